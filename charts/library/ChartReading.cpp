#include "charts/library/ChartReading.h"

#include <cmath>
#include <cstdio>

#include "charts/geotiff/GeoTiffChart.h"
#include "charts/raster/RasterChart.h"
#include "charts/s57/S57ChartReader.h"
#include "charts/s57/SencFolder.h"
#include "core/Log.h"

namespace tarnwick {
namespace {

constexpr uint16_t kObjlCoverage = 302;  // M_COVR
constexpr uint16_t kAttlCatcov = 18;     // CATCOV: 1 coverage available, 2 none

MercatorBox BoxOf(const ProjectedBox& box) {
  return {box.west, box.south, box.east, box.north};
}

ChartRegion FeatureRings(const S57FeatureView& feature) {
  ChartRegion rings;
  for (S57PartView part : feature.Parts()) {
    ChartRing ring;
    ring.reserve(part.Count());
    for (uint32_t i = 0; i < part.Count(); ++i) ring.push_back(part.Point(i));
    // Rings are stored closed; the region keeps them open.
    if (ring.size() > 1 && ring.front().x == ring.back().x && ring.front().y == ring.back().y)
      ring.pop_back();
    if (ring.size() >= 3) rings.push_back(std::move(ring));
  }
  return rings;
}

std::optional<uint32_t> LeadingNumber(const std::string& text) {
  if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return std::nullopt;
  return static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
}

}  // namespace

ChartCoverage VectorCoverage(const CS57Chart& chart) {
  ChartRegion covered, uncovered;
  for (uint32_t i = 0; i < chart.FeatureCount(); ++i) {
    const auto feature = chart.Feature(i);
    if (!feature || feature->Objl() != kObjlCoverage || feature->Prim() != kPrimArea) continue;
    const auto catcov = feature->Attribute(kAttlCatcov);
    const ChartRegion rings = FeatureRings(*feature);
    if (rings.empty()) continue;
    if (catcov && *catcov == "2")
      uncovered = UniteRegions(uncovered, rings);
    else if (catcov && *catcov == "1")
      covered = UniteRegions(covered, rings);
  }
  if (covered.empty()) {
    if (chart.Extent().Empty()) return {};
    return ChartCoverage::FromBox(BoxOf(chart.Extent()));
  }
  if (!uncovered.empty()) covered = SubtractRegions(covered, uncovered);
  return ChartCoverage::FromRings(std::move(covered));
}

double RasterScale(const CGeoRaster& raster) {
  if (raster.Scale() > 0) return raster.Scale();
  const auto mpp = raster.MercatorMetresPerPixel();
  const auto centre = raster.PixelToGeo({raster.Width() / 2.0, raster.Height() / 2.0});
  if (!mpp || !centre || !(*mpp > 0)) return 0;
  return DisplayScaleDenominator(*mpp, centre->lat);
}

ChartReadOutcome ReadVectorChart(const std::filesystem::path& cell,
                                 const std::filesystem::path& sencFolder, const CExchangeSet* set,
                                 const ChartRecord& previous,
                                 const std::function<void(const std::string&)>& progress) {
  ChartReadOutcome out;
  CS57ChartReader reader(sencFolder);
  if (set)
    reader.SetFileCheck([set](const std::filesystem::path& file) { return set->CheckFile(file); });
  if (progress) reader.SetProgress(progress);
  const std::filesystem::path senc = reader.SencPath(cell);
  S57CompiledCell compiled;
  std::string error;
  if (reader.NeedsRebuild(cell)) {
    if (!reader.BuildSencFile(cell, error, &compiled)) {
      out.error = error;
      return out;
    }
    out.rebuilt = true;
  }
  auto chart = CS57Chart::Open(senc, error);
  if (!chart && !out.rebuilt) {
    // A damaged or foreign file where the SENC should be: build it again.
    if (!reader.BuildSencFile(cell, error, &compiled)) {
      out.error = error;
      return out;
    }
    out.rebuilt = true;
    chart = CS57Chart::Open(senc, error);
  }
  if (!chart) {
    out.error = error;
    return out;
  }
  const SencHeader& h = chart->Header();
  ChartRecord& r = out.record;
  r.scale = h.cscl;
  r.edition = h.edtn;
  r.update = h.updn;
  r.intendedUsage = h.intu;
  r.title = h.title;
  if (out.rebuilt) {
    if (compiled.failedUpdate) {
      r.failedUpdate = compiled.failedUpdate->filename().string();
      r.updateError = compiled.failedUpdateError;
    }
  } else if (const auto failed = ReadFailedUpdate(senc)) {
    char name[32];
    std::snprintf(name, sizeof name, ".%03u", failed->update);
    r.failedUpdate = cell.stem().string() + name;
    r.updateError = previous.failedUpdate == r.failedUpdate && !previous.updateError.empty()
                        ? previous.updateError
                        : "Update " + std::to_string(failed->update) + " could not be applied.";
  }
  auto coverage = std::make_shared<const ChartCoverage>(VectorCoverage(*chart));
  if (coverage->Empty()) {
    out.error = "the cell has no features with positions";
    return out;
  }
  r.extent = coverage->box;
  r.coverage = std::move(coverage);
  out.ok = true;
  return out;
}

ChartReadOutcome ReadRasterChart(const std::filesystem::path& file, ChartKind kind) {
  ChartReadOutcome out;
  std::unique_ptr<CGeoRaster> raster;
  ChartRecord& r = out.record;
  if (kind == ChartKind::kKap) {
    KapOpenError error;
    auto kap = CRasterChart::ReadKapFile(file, error);
    if (!kap) {
      out.error = error.userMessage.empty() ? error.error : error.userMessage;
      if (!error.detail.empty()) out.error += " (" + error.detail + ")";
      return out;
    }
    if (!kap->Georef()) {
      out.error = "the chart cannot be placed: " + kap->GeorefError();
      return out;
    }
    const KapHeader& h = kap->Header();
    const auto ced = [&](const char* key) -> std::string {
      const auto it = h.ced.find(key);
      return it == h.ced.end() ? "" : it->second;
    };
    r.edition = LeadingNumber(ced("SE"));
    r.update = LeadingNumber(ced("RE"));
    r.title = kap->Title();
    raster = std::move(kap);
  } else {
    std::string error;
    auto tiff = CGeoTiffChart::Open(file, error);
    if (!tiff) {
      out.error = error;
      return out;
    }
    if (!tiff->Georeferenced()) {
      out.error = "the image cannot be placed: " + tiff->GeorefError();
      return out;
    }
    r.title = file.filename().string();
    raster = std::move(tiff);
  }
  const auto& outline = raster->MercatorOutline();
  if (outline.size() < 3) {
    out.error = "the chart has no outline";
    return out;
  }
  r.scale = static_cast<uint32_t>(std::lround(RasterScale(*raster)));
  auto coverage = std::make_shared<const ChartCoverage>(ChartCoverage::FromRings({outline}));
  r.extent = coverage->box;
  r.coverage = std::move(coverage);
  out.ok = true;
  return out;
}

}  // namespace tarnwick
