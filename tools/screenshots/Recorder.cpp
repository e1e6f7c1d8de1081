// Renders a stretch of a level played from its route to numbered BMP frames,
// headless, at the game's own pace: a frame every kStepsPerFrame steps of
// 8 ms, so the frames shown kFrameMs apart play at the game's real speed.
//   ilsmark_recorder <route file> <from seconds> <to seconds> <output folder>
// Run from a copy of the run folder: a route that reaches the door stores its
// results in the save. The last line printed is "frame-ms <kFrameMs>".
#include <cstdio>
#include <cstdlib>
#include <string>

#include "HeadlessGame.h"
#include "Route.h"
#include "RouteRun.h"
#include "base/Rules.h"

namespace {
constexpr int kStepsPerFrame = 5;                          // steps between two frames
constexpr int kFrameMs = rules::kStepMs * kStepsPerFrame;  // 40 ms: 25 frames a second

int Usage() {
  std::fprintf(
      stderr, "usage: ilsmark_recorder <route file> <from seconds> <to seconds> <output folder>\n");
  return 2;
}

// Seconds of play as a count of steps; -1 when text is not a number of seconds.
int SecondsToSteps(const char* text) {
  char* end = nullptr;
  const double seconds = std::strtod(text, &end);
  if (end == text || *end != '\0' || !(seconds >= 0.0)) return -1;
  return static_cast<int>(seconds * 1000.0 / rules::kStepMs + 0.5);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) return Usage();
  Route route;
  std::string error;
  if (!ReadRoute(argv[1], route, error)) {
    std::fprintf(stderr, "ilsmark_recorder: %s\n", error.c_str());
    return 1;
  }
  const int firstStep = SecondsToSteps(argv[2]);
  const int lastStep = SecondsToSteps(argv[3]);
  if (firstStep < 0 || lastStep <= firstStep) {
    std::fprintf(stderr, "ilsmark_recorder: the time span must be 0 <= from < to, in seconds\n");
    return Usage();
  }
  const std::string out = argv[4];

  HeadlessGame headless;
  RouteRun run(*headless.instance);
  if (!run.Start(route.level, route.seed)) {
    std::fprintf(stderr, "ilsmark_recorder: level %d does not start (run from a run folder)\n",
                 route.level);
    return 1;
  }
  int frames = 0;
  bool unwritten = false;  // a frame could not be written
  auto record = [&] {
    if (run.StepsRun() <= firstStep || (run.StepsRun() - firstStep) % kStepsPerFrame != 0)
      return true;
    char name[32];
    std::snprintf(name, sizeof name, "/frame%05d.bmp", frames);
    if (!headless.SaveBmp(out + name)) {
      std::fprintf(stderr, "ilsmark_recorder: cannot write %s%s\n", out.c_str(), name);
      unwritten = true;
      return false;
    }
    ++frames;
    return true;
  };
  size_t next = 0;
  run.PlayEvents(route.events, next, lastStep, record);
  if (unwritten) return 1;
  if (run.StepsRun() < lastStep) {
    std::fprintf(stderr, "ilsmark_recorder: the level ended after %.2f s, before the span did\n",
                 run.StepsRun() * rules::kStepMs / 1000.0);
    return 1;
  }
  std::printf("%d frames of level %d from %s s to %s s\nframe-ms %d\n", frames, route.level,
              argv[2], argv[3], kFrameMs);
  return 0;
}
