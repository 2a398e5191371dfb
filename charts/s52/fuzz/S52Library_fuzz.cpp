// Fuzz target: any bytes given to the presentation library's readers — as a
// module file of each kind, a look-up table or a whole DAI file — are either
// refused or give modules whose drawings, SVG and look-up instructions can be
// used: every symbol drawn, every table's instruction run on crafted features.
// The first byte chooses the reader; the rest is the file.

#include <cstddef>
#include <cstdint>
#include <string>

#include "charts/s52/S52ArchiveBuilder.h"
#include "charts/s52/S52Library.h"
#include "charts/s52/S52Portrayal.h"
#include "charts/tests/S52CraftedFeatures.h"

size_t g_s52FuzzSink = 0;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnwick;
  if (size == 0) return 0;
  static const char* const kNames[] = {"F.sym", "F.lin", "F.pat", "F.col", "psymreft.dic", "asymrefs.dic", "F.dai"};
  const char* name = kNames[data[0] % 7];
  const std::string content(reinterpret_cast<const char*>(data + 1), size - 1);
  std::string error;
  CS52Library library;
  if (std::string_view(name) == "F.dai") {
    const S52DaiConversion conversion = ConvertS52Dai(content);
    for (const auto& entry : conversion.entries) library.AddEntry(entry.name, entry.content, error);
  } else {
    library.AddEntry(name, content, error);
  }
  library.Finish();
  for (const S52LibraryModule* module : library.Modules()) {
    g_s52FuzzSink += S52ModuleToSvg(module->module, library.Colours(), S52Scheme::Night).size();
  }
  testing::CCraftedSource source;
  source.Area("DEPARE", testing::Square(0, 0, 10, 10), {{"DRVAL1", "5"}, {"DRVAL2", "20"}, {"OBJNAM", "x"}});
  source.Point("BOYLAT", 5, 5, {{"BOYSHP", "2"}, {"COLOUR", "3,4,3"}, {"ORIENT", "45"}});
  source.Line("DEPCNT", {{0, 0}, {10, 10}}, {{"VALDCO", "10"}});
  CS52Portrayal portrayal(library);
  S52MarinerSettings settings;
  settings.showOtherText = settings.showLightDescriptions = true;
  for (const char* cls : {"DEPARE", "BOYLAT", "DEPCNT"}) {
    source.ForEachAround({-1, -1, 11, 11}, std::array<std::string_view, 1>{cls}, [&](const IS52Feature& feature) {
      g_s52FuzzSink += portrayal.PortrayWith(feature, source, settings, 20240101).commands.size();
    });
  }
  return 0;
}
