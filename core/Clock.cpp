#include "core/Clock.h"

#include <chrono>

namespace tarnwick {

uint64_t CSystemClock::TickMs() const {
  using namespace std::chrono;
  return static_cast<uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int64_t CSystemClock::UtcMs() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

CSimulatedClock::CSimulatedClock(uint64_t tickMs, int64_t utcMs) : tick_(tickMs), utc_(utcMs) {}

void CSimulatedClock::Advance(uint64_t ms) {
  tick_.fetch_add(ms);
  utc_.fetch_add(static_cast<int64_t>(ms));
}

namespace {
CSystemClock g_systemClock;
std::atomic<IClock*> g_clock{&g_systemClock};
}  // namespace

IClock& Clock() { return *g_clock.load(std::memory_order_acquire); }

CScopedClock::CScopedClock(IClock& clock) : previous_(g_clock.exchange(&clock)) {}
CScopedClock::~CScopedClock() { g_clock.store(previous_); }

}  // namespace tarnwick
