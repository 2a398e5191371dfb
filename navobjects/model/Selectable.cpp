#include "navobjects/model/Selectable.h"

#include <cstdio>
#include <random>

#include "navobjects/model/FileTime.h"

namespace tarnwick {

std::string NewObjectId() {
  thread_local std::mt19937_64 engine{std::random_device{}()};
  uint64_t high = engine();
  uint64_t low = engine();
  high = (high & 0xFFFFFFFFFFFF0FFFULL) | 0x0000000000004000ULL;  // version 4
  low = (low & 0x3FFFFFFFFFFFFFFFULL) | 0x8000000000000000ULL;    // RFC 4122 variant
  char text[40];
  snprintf(text, sizeof text, "{%08X-%04X-%04X-%04X-%012llX}", static_cast<unsigned>(high >> 32),
           static_cast<unsigned>((high >> 16) & 0xFFFF), static_cast<unsigned>(high & 0xFFFF),
           static_cast<unsigned>(low >> 48),
           static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFULL));
  return text;
}

CSelectable::CSelectable(const CClassDescriptor& descriptor)
    : class_(&descriptor), id_(NewObjectId()), created_(FileTimeNow()) {}

}  // namespace tarnwick
