// Fuzz target: any bytes given as a BSB chart-set file are either refused or
// give a chart set whose panel entries were read. The bytes are written as
// "fuzz.bsb" into a private temporary folder, so that panel file names the
// input lists are looked for there and nowhere else.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "charts/raster/BsbChartInfo.h"

// Keeps the read values from being optimised away.
uint64_t g_bsbFuzzSink = 0;

namespace {
// Made once, never destroyed (the exit handler still reads it), removed at exit.
const std::filesystem::path& FuzzFolder() {
  static const std::filesystem::path* folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "bsb-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) abort();
    auto* made = new std::filesystem::path(pattern);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(FuzzFolder(), ec);
    });
    return made;
  }();
  return *folder;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnwick;
  const std::filesystem::path file = FuzzFolder() / "fuzz.bsb";
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  BsbOpenError error;
  if (auto info = LoadBsbFile(file, error)) {
    for (const auto& [key, value] : info->Properties()) g_bsbFuzzSink += key.size() + value.size();
    for (const BsbPanel& panel : info->Panels()) g_bsbFuzzSink += panel.fileName.size() + (panel.chart ? 1 : 0);
    g_bsbFuzzSink += info->Warnings().size();
  } else {
    g_bsbFuzzSink += error.detail.size();
  }
  return 0;
}
