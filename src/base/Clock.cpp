#include "base/Clock.h"

#include <chrono>

namespace {
using SteadyClock = std::chrono::steady_clock;

const SteadyClock::time_point& StartTime() {
  static const SteadyClock::time_point start = SteadyClock::now();
  return start;
}

bool manual = false;
int manualNow = 0;
}  // namespace

int Clock::Now() {
  if (manual) return manualNow;
  auto elapsed = SteadyClock::now() - StartTime();
  return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void Clock::UseManual(int startMs) {
  manual = true;
  manualNow = startMs;
}

void Clock::Advance(int ms) { manualNow += ms; }

void Clock::UseWall() { manual = false; }

bool Clock::IsManual() { return manual; }
