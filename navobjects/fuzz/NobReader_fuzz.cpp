// Fuzz target: object-file documents through the reader, and whatever reads
// back through the writer and the reader again.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/Log.h"
#include "navobjects/files/NobReader.h"
#include "navobjects/files/NobWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnwick;
  CLogCapture quiet;
  NobReadResult result = ReadNobDocument(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!result.ok) return 0;
  const std::string written = WriteNobDocument(result.objects);
  NobReadResult again = ReadNobDocument(written);
  if (!again.ok) __builtin_trap();  // whatever we write must read back
  return 0;
}
