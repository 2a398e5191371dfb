// Fuzz target: GPX documents through the reader, then out as GPX and as an
// object file, each of which must read back.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/Log.h"
#include "navobjects/files/Gpx.h"
#include "navobjects/files/NobReader.h"
#include "navobjects/files/NobWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnwick;
  CLogCapture quiet;
  GpxReadResult result = ReadGpxDocument(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!result.ok) return 0;
  if (!ReadGpxDocument(WriteGpxDocument(result.objects)).ok) __builtin_trap();
  if (!ReadNobDocument(WriteNobDocument(result.objects)).ok) __builtin_trap();
  return 0;
}
