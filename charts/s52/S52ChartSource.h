#pragma once
// An open chart (SENC) as the portrayal's feature source: each feature view
// made into an IS52Feature (class acronym and attribute acronyms from the
// S-57 catalogue; geometry parts copied out of the mapped file on first use),
// and the neighbour queries answered through the chart's spatial tree.
//
// The source holds a reference to the chart, which must outlive it. It may be
// read from several threads at once.

#include <memory>
#include <mutex>
#include <vector>

#include "charts/s52/S52Feature.h"
#include "charts/s57/S57Chart.h"

namespace tarnwick {

class CS52ChartFeature;

class CS52ChartSource final : public IS52FeatureSource {
 public:
  // inland: the chart is an Inland ENC cell (see S52IsInlandCell).
  CS52ChartSource(const CS57Chart& chart, bool inland);
  ~CS52ChartSource() override;
  CS52ChartSource(const CS52ChartSource&) = delete;
  CS52ChartSource& operator=(const CS52ChartSource&) = delete;

  // The feature of index < chart.FeatureCount(), or null for a feature that
  // has no geometry (and no record in the SENC).
  const IS52Feature* Feature(uint32_t index) const;
  const CS57Chart& Chart() const { return chart_; }

  void ForEachAround(const S52Box& box, std::span<const std::string_view> classes,
                     const std::function<void(const IS52Feature&)>& visit) const override;
  bool Inland() const override { return inland_; }

 private:
  const CS57Chart& chart_;
  bool inland_;
  std::vector<std::unique_ptr<CS52ChartFeature>> features_;  // by feature index, null without geometry
};

// Whether a chart is an Inland ENC cell: an intended usage of 7 (river) or
// more (river harbour, river berthing, the inland overlay bands), for which
// the inland look-up tables apply.
bool S52IsInlandCell(const CS57Chart& chart);

}  // namespace tarnwick
