#include "charts/s52/S52ChartSource.h"

#include "charts/s57/S57Catalogue.h"

namespace tarnwick {

// One feature of the chart. Attribute values are read from the mapped file on
// each call; the parts are copied once, since the file's doubles need not lie
// on 8-byte boundaries.
class CS52ChartFeature final : public IS52Feature {
 public:
  explicit CS52ChartFeature(const S57FeatureView& view)
      : view_(view), acronym_(ObjectClassAcronym(view.Objl())) {
    const ProjectedBox box = view.Box();
    box_ = {box.west, box.south, box.east, box.north};
  }

  std::string_view Acronym() const override { return acronym_; }
  S52Primitive Primitive() const override {
    const uint8_t prim = view_.Prim();
    return prim >= 1 && prim <= 3 ? static_cast<S52Primitive>(prim) : S52Primitive::None;
  }
  std::optional<std::string_view> Attribute(std::string_view acronym) const override {
    const auto code = AttributeCode(acronym);
    if (!code) return std::nullopt;
    return view_.Attribute(*code);
  }
  size_t PartCount() const override { return view_.PartCount(); }
  S52Part Part(size_t index) const override {
    std::call_once(partsCopied_, [this] { CopyParts(); });
    const CopiedPart& copy = parts_[index];
    return S52Part{copy.points, copy.depths, copy.quapos, copy.interior};
  }
  S52Box Box() const override { return box_; }
  uint64_t Key() const override { return view_.Index(); }

 private:
  struct CopiedPart {
    std::vector<S52Point> points;
    std::vector<double> depths;
    int quapos = 0;
    bool interior = false;
  };
  void CopyParts() const {
    parts_.reserve(view_.PartCount());
    for (const S57PartView part : view_.Parts()) {
      CopiedPart copy;
      copy.quapos = part.Quapos();
      copy.interior = part.Interior();
      copy.points.reserve(part.Count());
      for (uint32_t i = 0; i < part.Count(); ++i) {
        const MercatorPoint p = part.Point(i);
        copy.points.push_back({p.x, p.y});
      }
      if (part.HasDepths())
        for (uint32_t i = 0; i < part.Count(); ++i) copy.depths.push_back(part.Depth(i));
      parts_.push_back(std::move(copy));
    }
  }

  S57FeatureView view_;
  std::string_view acronym_;
  S52Box box_;
  mutable std::once_flag partsCopied_;
  mutable std::vector<CopiedPart> parts_;
};

CS52ChartSource::CS52ChartSource(const CS57Chart& chart, bool inland) : chart_(chart), inland_(inland) {
  features_.resize(chart.FeatureCount());
  for (uint32_t i = 0; i < chart.FeatureCount(); ++i)
    if (const auto view = chart.Feature(i)) features_[i] = std::make_unique<CS52ChartFeature>(*view);
}

CS52ChartSource::~CS52ChartSource() = default;

const IS52Feature* CS52ChartSource::Feature(uint32_t index) const {
  return index < features_.size() ? features_[index].get() : nullptr;
}

void CS52ChartSource::ForEachAround(const S52Box& box, std::span<const std::string_view> classes,
                                    const std::function<void(const IS52Feature&)>& visit) const {
  ProjectedBox view;
  view.Add(box.west, box.south);
  view.Add(box.east, box.north);
  chart_.Query(view, [&](const S57FeatureView& found) {
    const CS52ChartFeature* feature = found.Index() < features_.size() ? features_[found.Index()].get() : nullptr;
    if (!feature) return;
    for (std::string_view cls : classes) {
      if (cls == feature->Acronym()) {
        visit(*feature);
        return;
      }
    }
  });
}

bool S52IsInlandCell(const CS57Chart& chart) { return chart.Header().intu >= 7; }

}  // namespace tarnwick
