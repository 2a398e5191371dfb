#pragma once
// When a sentence arrived: taken as its first character came in, it travels
// with the sentence into the navigation source and the AIS target record.

#include <cstdint>

namespace tarnwick {

struct ReceiveTime {
  uint64_t tickMs = 0;  // monotonic tick (staleness, hold times)
  int64_t utcMs = 0;    // UTC milliseconds since 1970 (records, logs)
};

}  // namespace tarnwick
