// Fuzz target: any bytes given as an S-57 cell (and, after the separator
// "\0UPDATE\0", as its update file) are read by the ISO 8211 layer, every
// subfield of every record is decoded, the cell is compiled and written as a
// SENC, and that SENC must open and be walked whole. Nothing may read out of
// bounds, and a SENC written by the program must always pass its own checks.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "charts/iso8211/Iso8211Module.h"
#include "charts/s57/S57Cell.h"
#include "charts/s57/S57Chart.h"
#include "charts/s57/SencWriter.h"

namespace {

constexpr std::string_view kSeparator("\0UPDATE\0", 8);

// Keeps the decoded values from being optimised away.
uint64_t g_s57FuzzSink = 0;

void DecodeEverything(const std::string& bytes) {
  std::string error;
  auto module = tarnwick::CIso8211Module::FromBytes(bytes, "fuzz", error);
  if (!module) return;
  tarnwick::CIso8211Record record;
  while (module->ReadRecord(record, error)) {
    for (size_t f = 0; f < record.FieldCount(); ++f) {
      const tarnwick::CIso8211Field field = record.Field(f);
      const size_t reps = field.RepeatCount();
      for (size_t r = 0; r < reps && r < 64; ++r) {
        for (size_t s = 0; s < field.Defn().Subfields().size(); ++s) {
          g_s57FuzzSink += field.Int(s, r).value_or(0);
          g_s57FuzzSink += static_cast<uint64_t>(field.Real(s, r).value_or(0) != 0);
          g_s57FuzzSink += field.Raw(s, r).value_or("").size();
        }
      }
      g_s57FuzzSink += field.Repetitions().size();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnwick;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find(kSeparator);
  const std::string base(input.substr(0, split));
  const std::string update(split == std::string_view::npos ? "" : input.substr(split + kSeparator.size()));
  DecodeEverything(base);

  std::string error;
  auto module = CIso8211Module::FromBytes(base, "fuzz.000", error);
  if (!module) return 0;
  CS57Cell cell;
  if (!cell.ReadBase(std::move(module), error)) return 0;
  if (!update.empty()) {
    if (auto updateModule = CIso8211Module::FromBytes(update, "fuzz.001", error))
      cell.ApplyUpdate(std::move(updateModule));
  }
  const std::vector<S57Feature> features = cell.Compile();
  std::vector<ProjectedBox> boxes;
  for (const S57Feature& f : features) boxes.push_back(f.box);
  const std::string senc = SerializeSenc({}, features, BuildSencQuadtree(boxes));
  auto chart = CS57Chart::FromBytes(senc, "fuzz.tksenc", error);
  if (!chart) abort();  // our own writer made a file our reader refuses
  for (uint32_t i = 0; i < chart->FeatureCount(); ++i) {
    const auto feature = chart->Feature(i);
    if (!feature) continue;
    for (uint32_t a = 0; a < feature->AttributeCount(); ++a) g_s57FuzzSink += feature->AttributeValue(a).size();
    for (const S57PartView part : feature->Parts())
      for (uint32_t p = 0; p < part.Count(); ++p) g_s57FuzzSink += static_cast<uint64_t>(part.Point(p).x);
  }
  chart->Query(chart->Extent(), [](const S57FeatureView& f) { g_s57FuzzSink += f.Index(); });
  return 0;
}
