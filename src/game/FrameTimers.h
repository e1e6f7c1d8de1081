#pragma once

// The process-wide frame timers that the game frame measures time with and
// that every moving thing reads (deltaSeconds is the step's length).
extern int frameTick;            // Clock::Now() at the previous Game::Update call, ms
extern double stepAccumulator;   // time gathered towards the next step, ms
extern int stepTick;             // Clock::Now() at the previous step, ms
extern double deltaSeconds;      // seconds since the previous step
extern double levelTime;         // playing time of the current level, seconds
extern int gameOverDeadline;     // Clock::Now() at which game over ends, ms

// Starts measuring steps afresh from now: the next step comes 8 ms from now
// at the earliest, and its deltaSeconds counts from now.
void RestartStepClock();
// Puts every timer back to its start-up value, reading the clock afresh (tests).
void ResetFrameTimers();
