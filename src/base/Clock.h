#pragma once

// The game's one source of "now": milliseconds of wall time since the
// program started, from a monotonic clock. Tests switch it to a manual
// clock that only moves when they advance it, so every deadline is exact.
class Clock {
 public:
  // Milliseconds since start-up (wall clock) or the manual reading.
  static int Now();
  // Switches to the manual clock, reading startMs until advanced.
  static void UseManual(int startMs);
  // Moves the manual clock forward by ms milliseconds (no effect on wall time).
  static void Advance(int ms);
  // Returns to the monotonic wall clock.
  static void UseWall();
  // True while the manual clock is in use.
  static bool IsManual();
};
