#include "game/FrameTimers.h"

#include "base/Clock.h"

int frameTick = Clock::Now();
double stepAccumulator = 0.0;
int stepTick = Clock::Now();
double deltaSeconds = 0.0;
double levelTime = 0.0;
int gameOverDeadline = 0;

void RestartStepClock() {
  frameTick = Clock::Now();
  stepAccumulator = 0.0;
  stepTick = frameTick;
}

void ResetFrameTimers() {
  RestartStepClock();
  deltaSeconds = 0.0;
  levelTime = 0.0;
  gameOverDeadline = 0;
}
