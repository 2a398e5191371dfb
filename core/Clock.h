#pragma once
// Time sources of the program: a monotonic millisecond tick for staleness, hold
// times and intervals, and UTC wall time. Every caller reads time through
// Clock(), so tests install a CSimulatedClock and never sleep.

#include <atomic>
#include <cstdint>

namespace tarnwick {

class IClock {
 public:
  virtual ~IClock() = default;
  // Milliseconds of a monotonic clock; only differences are meaningful.
  virtual uint64_t TickMs() const = 0;
  // Milliseconds since 1970-01-01T00:00:00Z.
  virtual int64_t UtcMs() const = 0;
};

class CSystemClock final : public IClock {
 public:
  uint64_t TickMs() const override;
  int64_t UtcMs() const override;
};

// A clock that moves only when told to; safe to read from any thread.
class CSimulatedClock final : public IClock {
 public:
  explicit CSimulatedClock(uint64_t tickMs = 1'000'000, int64_t utcMs = 1'767'225'600'000);
  uint64_t TickMs() const override { return tick_.load(); }
  int64_t UtcMs() const override { return utc_.load(); }
  // Moves both the tick and UTC forward by ms milliseconds.
  void Advance(uint64_t ms);
  void SetUtcMs(int64_t utcMs) { utc_.store(utcMs); }

 private:
  std::atomic<uint64_t> tick_;
  std::atomic<int64_t> utc_;
};

// The process clock (the system clock unless a test installed another).
IClock& Clock();

// Installs clock as the process clock until the returned guard is destroyed.
class CScopedClock {
 public:
  explicit CScopedClock(IClock& clock);
  ~CScopedClock();
  CScopedClock(const CScopedClock&) = delete;
  CScopedClock& operator=(const CScopedClock&) = delete;

 private:
  IClock* previous_;
};

// Shorthands for Clock().TickMs() and Clock().UtcMs().
inline uint64_t TickCount() { return Clock().TickMs(); }
inline int64_t UtcNowMs() { return Clock().UtcMs(); }

}  // namespace tarnwick
