// The benchmark: runs the real Game headless with the manual clock at exactly
// 8 ms per step and scripted input, and reports, per scenario, the step time
// split into update passes, drawing and text, the path searches, the tile
// tests, level start, heap allocations per step and peak memory.
//
//   ilsmark_bench [steps] [scenario]
//
// runs from anywhere (it works in a copy of the run folder); a scenario name
// (Level0 to Level9, Stress, WorstPath, Menu) runs that one alone.
//
// Times are the processor time of the game's thread (CLOCK_THREAD_CPUTIME_ID),
// so that other programs sharing the machine do not count against the game;
// the wall-clock time of a whole step is shown beside it. Drawing and text are
// told apart from the update passes by wrapping SDL and SDL_ttf calls at link
// time; the game code itself is not instrumented.
#include <SDL.h>
#include <SDL_ttf.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "AllocationCounter.h"
#include "actors/BirdEnemy.h"
#include "actors/DumbEnemy.h"
#include "actors/Stalker.h"
#include "app/GameInstance.h"
#include "app/Input.h"
#include "base/Clock.h"
#include "base/Rules.h"
#include "frontend/Menu.h"
#include "game/FrameTimers.h"
#include "game/Game.h"
#include "gfx/TextRenderer.h"

namespace fs = std::filesystem;

// --- Clocks and what the wrapped calls gather during one step. ---

namespace {
// The renderer queues copies and draws them when it flushes, so a copy takes
// well under a microsecond. One that took longer than this in wall time was
// descheduled by the system: its time is not the game's and is left out.
constexpr long long kDescheduledCopyNs = 100000;

// Wall time: cheap enough for the many short sprite and tile copies.
long long WallNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

struct Counters {
  long long drawNs = 0;  // copies, clear, present and the flushes before text
  long long textNs = 0;  // opening fonts, rendering lines and their textures, closing fonts
  long long pathNs = 0;  // Level::FindPath, wall time
  long pathCalls = 0;
  long pathAllocations = 0;
  long tileCalls = 0;  // WallInColumn, WallInRow, PlatformInRow
  long tileAllocations = 0;
  long cpuReads = 0;           // processor clock reads, whose own cost is taken out
  long copyWallReads = 0;      // wall clock reads around copies, likewise
  long descheduledCopies = 0;  // copies whose wall time shows the thread was descheduled
  int drawIntervals = 0;       // intervals timed with the processor clock, into drawNs
  int textIntervals = 0;
  long long textStart = 0;
  bool inText = false;
  SDL_Surface* textSurface = nullptr;  // the line being rendered
  long textLines = 0;                  // lines rendered
};
Counters counters;
SDL_Renderer* benchRenderer = nullptr;

// Processor time of this thread. The read costs a system call, so it is only
// used around the few long calls: fonts, clear, present, whole steps.
long long CpuNs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  ++counters.cpuReads;
  return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// The processor time one read of each clock costs, measured once at start:
// every timed interval holds about one read, and a step holds all the reads
// made inside it.
double cpuReadNs = 0.0;
double wallReadNs = 0.0;

void CalibrateClocks() {
  constexpr int kReads = 20000;
  std::vector<double> cpu, wall;
  for (int round = 0; round < 9; ++round) {
    long long start = CpuNs();
    for (int i = 0; i < kReads; ++i) CpuNs();
    cpu.push_back(static_cast<double>(CpuNs() - start) / (kReads + 1));
    start = CpuNs();
    for (int i = 0; i < kReads; ++i) WallNs();
    wall.push_back(static_cast<double>(CpuNs() - start) / kReads);
  }
  std::sort(cpu.begin(), cpu.end());
  std::sort(wall.begin(), wall.end());
  cpuReadNs = cpu[cpu.size() / 2];
  wallReadNs = wall[wall.size() / 2];
}

void AddCopyTime(long long ns) {
  counters.copyWallReads += 2;
  if (ns > kDescheduledCopyNs) {
    ++counters.descheduledCopies;
    return;
  }
  counters.drawNs += ns;
}

// Text starts: what the game queued to draw so far is flushed first and
// counted as drawing, so that the text's own flush holds only the text.
void BeginText() {
  if (counters.inText) return;
  const long long start = CpuNs();
  SDL_RenderFlush(benchRenderer);
  const long long flushed = CpuNs();
  counters.drawNs += flushed - start;
  ++counters.drawIntervals;
  counters.inText = true;
  counters.textStart = flushed;
}

void EndText() {
  if (!counters.inText) return;
  counters.textNs += CpuNs() - counters.textStart;
  ++counters.textIntervals;
  counters.inText = false;
}
}  // namespace

class Level;
// One tile test, counted with the allocations it made.
template <typename Test>
bool CountTileTest(Test real, const Level* level, int a, int b, int c) {
  const long before = AllocationCount();
  const bool result = real(level, a, b, c);
  counters.tileAllocations += AllocationCount() - before;
  ++counters.tileCalls;
  return result;
}

extern "C" {
int __real_SDL_RenderCopy(SDL_Renderer*, SDL_Texture*, const SDL_Rect*, const SDL_Rect*);
int __real_SDL_RenderCopyEx(SDL_Renderer*, SDL_Texture*, const SDL_Rect*, const SDL_Rect*, double,
                            const SDL_Point*, SDL_RendererFlip);
int __real_SDL_RenderClear(SDL_Renderer*);
void __real_SDL_RenderPresent(SDL_Renderer*);
void __real_SDL_FreeSurface(SDL_Surface*);
TTF_Font* __real_TTF_OpenFont(const char*, int);
void __real_TTF_CloseFont(TTF_Font*);
SDL_Surface* __real_TTF_RenderText_Solid(TTF_Font*, const char*, SDL_Color);

int __wrap_SDL_RenderCopy(SDL_Renderer* r, SDL_Texture* t, const SDL_Rect* s, const SDL_Rect* d) {
  if (counters.inText) return __real_SDL_RenderCopy(r, t, s, d);
  const long long start = WallNs();
  const int result = __real_SDL_RenderCopy(r, t, s, d);
  AddCopyTime(WallNs() - start);
  return result;
}
int __wrap_SDL_RenderCopyEx(SDL_Renderer* r, SDL_Texture* t, const SDL_Rect* s, const SDL_Rect* d,
                            double a, const SDL_Point* c, SDL_RendererFlip f) {
  if (counters.inText) return __real_SDL_RenderCopyEx(r, t, s, d, a, c, f);
  const long long start = WallNs();
  const int result = __real_SDL_RenderCopyEx(r, t, s, d, a, c, f);
  AddCopyTime(WallNs() - start);
  return result;
}
int __wrap_SDL_RenderClear(SDL_Renderer* r) {
  const long long start = CpuNs();
  const int result = __real_SDL_RenderClear(r);
  counters.drawNs += CpuNs() - start;
  ++counters.drawIntervals;
  return result;
}
void __wrap_SDL_RenderPresent(SDL_Renderer* r) {
  const long long start = CpuNs();
  __real_SDL_RenderPresent(r);
  counters.drawNs += CpuNs() - start;
  ++counters.drawIntervals;
}
TTF_Font* __wrap_TTF_OpenFont(const char* file, int size) {
  BeginText();
  return __real_TTF_OpenFont(file, size);
}
SDL_Surface* __wrap_TTF_RenderText_Solid(TTF_Font* font, const char* text, SDL_Color colour) {
  BeginText();
  ++counters.textLines;
  counters.textSurface = __real_TTF_RenderText_Solid(font, text, colour);
  return counters.textSurface;
}
// A line's text ends when its surface is freed, after its texture was drawn
// and destroyed; a font's closing is text of its own.
void __wrap_SDL_FreeSurface(SDL_Surface* surface) {
  __real_SDL_FreeSurface(surface);
  if (surface && surface == counters.textSurface) {
    counters.textSurface = nullptr;
    EndText();
  }
}
void __wrap_TTF_CloseFont(TTF_Font* font) {
  BeginText();
  __real_TTF_CloseFont(font);
  EndText();
}

// Level::FindPath and the tile tests, wrapped by their mangled names.
void __real__ZN5Level8FindPathEiiiiRiS0_(Level*, int, int, int, int, int&, int&);
void __wrap__ZN5Level8FindPathEiiiiRiS0_(Level* level, int a, int b, int c, int d, int& e, int& f) {
  const long before = AllocationCount();
  const long long start = WallNs();
  __real__ZN5Level8FindPathEiiiiRiS0_(level, a, b, c, d, e, f);
  counters.pathNs += WallNs() - start;
  counters.pathAllocations += AllocationCount() - before;
  ++counters.pathCalls;
}
bool __real__ZNK5Level12WallInColumnEiii(const Level*, int, int, int);
bool __real__ZNK5Level9WallInRowEiii(const Level*, int, int, int);
bool __real__ZNK5Level13PlatformInRowEiii(const Level*, int, int, int);
bool __wrap__ZNK5Level12WallInColumnEiii(const Level* level, int a, int b, int c) {
  return CountTileTest(__real__ZNK5Level12WallInColumnEiii, level, a, b, c);
}
bool __wrap__ZNK5Level9WallInRowEiii(const Level* level, int a, int b, int c) {
  return CountTileTest(__real__ZNK5Level9WallInRowEiii, level, a, b, c);
}
bool __wrap__ZNK5Level13PlatformInRowEiii(const Level* level, int a, int b, int c) {
  return CountTileTest(__real__ZNK5Level13PlatformInRowEiii, level, a, b, c);
}
}

namespace {
constexpr double kBudgetUs = 8000.0;  // one step at 125 steps a second
constexpr int kWarmSteps = 100;       // allocations are counted after these
constexpr int kScriptPeriod = 1000;   // steps of the scripted run before it repeats
constexpr int kRestartPhase = 470;    // the step of each period at which R restarts the level

struct Stats {
  double median = 0, p99 = 0, max = 0;
};

Stats Summarise(std::vector<double> values) {
  Stats s;
  if (values.empty()) return s;
  std::sort(values.begin(), values.end());
  s.median = values[values.size() / 2];
  s.p99 = values[std::min(values.size() - 1, values.size() * 99 / 100)];
  s.max = values.back();
  return s;
}

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// The scripted player: run right, jump, shoot, run left, in a loop.
void Script(Input& input, int step) {
  const int phase = step % kScriptPeriod;
  input.right = phase < 450;
  input.rightHeld = input.right;
  input.left = phase >= 500 && phase < 950;
  input.leftHeld = input.left;
  if (phase % 90 == 0) input.keyZ = true;
  input.keyX = (phase / 60) % 2 == 0;
}

// Starts the menu's level choice as the level select and the R key do, and
// answers the processor time it took in milliseconds.
double TimeLaunch(GameInstance& s) {
  const long long start = CpuNs();
  s.menu->LaunchLevel();
  return (CpuNs() - start - cpuReadNs) / 1e6;
}

struct Result {
  std::string name;
  Stats update, draw, text, whole, wall;
  Stats withoutText;  // whole steps less their text
  double textLinesPerStep = 0;
  long descheduledCopies = 0;
  double pathCallsPerStep = 0, pathUsPerCall = 0, pathMaxUs = 0;
  long pathAllocations = 0;
  double tileCallsPerStep = 0;
  long tileAllocations = 0;
  Stats start;  // level start in ms: the first one and every restart
  double allocationsPerStep = 0;
  long peakKb = 0;
};

// Runs steps of the running level with the script and measures each one. A
// restart (R) comes once per script period; it is timed as a level start, and
// afterStart, when set, runs after every start.
Result RunSteps(const std::string& name, GameInstance& s, int steps, double firstStartMs,
                void (*afterStart)(GameInstance&)) {
  Result result;
  result.name = name;
  std::vector<double> update, draw, text, whole, wall, withoutText, starts{firstStartMs};
  long pathCalls = 0;
  long long pathNs = 0;
  long tileCalls = 0;
  long textLines = 0;
  long counted = 0;
  long countedSteps = 0;
  s.playing = 1;
  for (int step = 0; step < steps && s.playing; ++step) {
    Script(*s.input, step);
    if (step % kScriptPeriod == kRestartPhase) {
      starts.push_back(TimeLaunch(s));
      if (afterStart) afterStart(s);
    }
    Clock::Advance(rules::kStepMs);  // outside the timing, unlike GameInstance::Step
    counters = Counters{};
    const long before = AllocationCount();
    const long long wallStart = WallNs();
    const long long cpuStart = CpuNs();
    s.game->Update();
    const long long cpuEnd = CpuNs();
    const long long wallEnd = WallNs();
    if (step >= kWarmSteps) {
      counted += AllocationCount() - before;
      ++countedSteps;
    }
    // Each timed interval holds about one clock read; the step holds all of
    // those made inside it.
    const double readsInside = static_cast<double>(counters.cpuReads - 2);
    const double totalUs =
        (cpuEnd - cpuStart - (readsInside + 1) * cpuReadNs - counters.copyWallReads * wallReadNs) /
        1000.0;
    const double drawUs = (counters.drawNs - counters.drawIntervals * cpuReadNs -
                           counters.copyWallReads / 2 * wallReadNs) /
                          1000.0;
    const double textUs = (counters.textNs - counters.textIntervals * cpuReadNs) / 1000.0;
    whole.push_back(totalUs);
    wall.push_back((wallEnd - wallStart) / 1000.0);
    draw.push_back(drawUs);
    text.push_back(textUs);
    update.push_back(std::max(0.0, totalUs - drawUs - textUs));
    withoutText.push_back(totalUs - textUs);
    result.descheduledCopies += counters.descheduledCopies;
    textLines += counters.textLines;
    pathCalls += counters.pathCalls;
    pathNs += counters.pathNs;
    result.pathMaxUs =
        std::max(result.pathMaxUs, counters.pathCalls ? counters.pathNs / 1000.0 : 0.0);
    result.pathAllocations += counters.pathAllocations;
    result.tileAllocations += counters.tileAllocations;
    tileCalls += counters.tileCalls;
  }
  result.update = Summarise(update);
  result.draw = Summarise(draw);
  result.text = Summarise(text);
  result.whole = Summarise(whole);
  result.wall = Summarise(wall);
  result.withoutText = Summarise(withoutText);
  result.start = Summarise(starts);
  const size_t measured = whole.size();
  result.pathCallsPerStep = measured ? static_cast<double>(pathCalls) / measured : 0;
  result.pathUsPerCall = pathCalls ? pathNs / 1000.0 / pathCalls : 0;
  result.tileCallsPerStep = measured ? static_cast<double>(tileCalls) / measured : 0;
  result.textLinesPerStep = measured ? static_cast<double>(textLines) / measured : 0;
  result.allocationsPerStep = countedSteps ? static_cast<double>(counted) / countedSteps : 0;
  result.peakKb = PeakRssKb();
  return result;
}

// A generated stress level: 400 x 60 cells, walls, platforms, 150 coins, and
// a sealed cell in the top-right corner.
constexpr int kStressColumns = 400;
constexpr int kStressRows = 60;

void WriteStressLevel(const std::string& path) {
  const int columns = kStressColumns, rows = kStressRows;
  std::vector<std::string> grid(rows, std::string(columns, '.'));
  for (int c = 0; c < columns; ++c) grid[0][c] = grid[rows - 1][c] = 'W';
  for (int r = 0; r < rows; ++r) grid[r][0] = grid[r][columns - 1] = 'W';
  std::srand(7);
  for (int i = 0; i < 300; ++i) {  // ledges of walls and platforms
    int r = 3 + std::rand() % (rows - 6), c = 2 + std::rand() % (columns - 12);
    char code = i % 3 == 0 ? 'W' : 'P';
    for (int k = 0; k < 3 + std::rand() % 6; ++k) grid[r][c + k] = code;
  }
  int coins = 0;
  while (coins < 150) {
    int r = 1 + std::rand() % (rows - 2), c = 1 + std::rand() % (columns - 2);
    if (grid[r][c] == '.') grid[r][c] = 'C', ++coins;
  }
  grid[1][columns - 3] = grid[2][columns - 3] = grid[2][columns - 2] = 'W';
  grid[rows - 2][5] = 'S';
  grid[rows - 2][columns - 3] = 'D';
  std::ofstream out(path, std::ios::trunc);
  for (const auto& line : grid) out << line << '\n';
}

// 80 enemies, 30 of them birds. The birds fly in the rows above the player's
// start, within their sight of it; the others walk the floor around it.
void PopulateStress(GameInstance& s) {
  Game& g = *s.game;
  g.enemies.clear();
  const int floorY = rules::kTileSize * (kStressRows - 3);
  for (int i = 0; i < 80; ++i) {
    const int x = 64 + (i % 40) * 40;
    if (i % 8 < 3) {
      const int y = rules::kTileSize * (kStressRows - 16 + (i % 3) * 4);
      g.enemies.push_back(
          std::make_unique<BirdEnemy>(g.renderer, g.level.get(), g.player.get(), nullptr, x, y));
    } else if (i % 8 < 6) {
      g.enemies.push_back(std::make_unique<DumbEnemy>(g.renderer, g.level.get(), g.player.get(),
                                                      nullptr, x, floorY));
    } else {
      g.enemies.push_back(
          std::make_unique<Stalker>(g.renderer, g.level.get(), g.player.get(), nullptr, x, floorY));
    }
  }
}

// Times one search, wall clock, in microseconds.
double TimeSearch(Level& level, int startCol, int startRow, int goalCol, int goalRow) {
  int nextCol = 0, nextRow = 0;
  counters = Counters{};
  level.FindPath(startCol, startRow, goalCol, goalRow, nextCol, nextRow);
  return counters.pathNs / 1000.0;
}

// The sealed goal: no search can reach it from the rest of the level.
Stats SealedGoalSearch(Level& level, int calls) {
  std::vector<double> times;
  for (int i = 0; i < calls; ++i)
    times.push_back(TimeSearch(level, 5, level.rows - 2, level.columns - 2, 1));
  return Summarise(times);
}

// The worst reachable goal: every 4th cell of every 3rd row is tried from the
// player's start, each three times, the fastest of the three counting (the
// others may have been descheduled); the slowest goal is searched again and
// its median reported.
Stats WorstReachableSearch(Level& level, int calls, int& worstCol, int& worstRow) {
  double slowest = -1.0;
  for (int r = 1; r < level.rows - 1; r += 3) {
    for (int c = 1; c < level.columns - 1; c += 4) {
      double us = TimeSearch(level, 5, level.rows - 2, c, r);
      us = std::min(us, TimeSearch(level, 5, level.rows - 2, c, r));
      us = std::min(us, TimeSearch(level, 5, level.rows - 2, c, r));
      if (us > slowest) slowest = us, worstCol = c, worstRow = r;
    }
  }
  std::vector<double> times;
  for (int i = 0; i < calls; ++i)
    times.push_back(TimeSearch(level, 5, level.rows - 2, worstCol, worstRow));
  return Summarise(times);
}

Stats MenuFrames(GameInstance& s, int screen, int frames) {
  std::vector<double> times;
  s.playing = 0;
  s.menu->screen = screen;
  s.menu->levelReached = 9;
  for (int i = 0; i < frames; ++i) {
    counters = Counters{};
    const long long start = CpuNs();
    s.MenuFrame();
    const long long end = CpuNs();
    times.push_back(
        (end - start - (counters.cpuReads - 1) * cpuReadNs - counters.copyWallReads * wallReadNs) /
        1000.0);
  }
  return Summarise(times);
}

// One row per scenario: update passes, drawing, text, the whole step (also
// less its text), the wall-clock step, path searches, tile tests, level
// starts, allocations per step after warm-up, peak resident memory.
void PrintHeader() {
  const char* format =
      "%-9s %6s %6s %6s | %6s %6s | %6s %6s %5s | %6s %6s %6s %6s %6s | %6s | %6s %7s %6s | %6s "
      "%6s | %7s %7s | %7s | %5s\n";
  std::printf(format, "scenario", "upd", "upd", "upd", "drw", "drw", "txt", "txt", "txt", "stp",
              "stp", "stp", "stp", "no-txt", "wall", "path", "path", "path", "tile", "tile",
              "start", "start", "alloc", "rss");
  std::printf(format, "", "med", "p99", "max", "med", "p99", "med", "p99", "lines", "med", "p99",
              "max", "p99%", "p99", "p99", "/step", "us/call", "allocs", "/step", "allocs",
              "med ms", "max ms", "/step", "MB");
}

void PrintRow(const Result& r) {
  std::printf(
      "%-9s %6.0f %6.0f %6.0f | %6.0f %6.0f | %6.0f %6.0f %5.2f | %6.0f %6.0f %6.0f %5.1f%% %6.0f "
      "| "
      "%6.0f | %6.2f %7.1f %6ld | %6.0f %6ld | %7.1f %7.1f | %7.3f | %5ld\n",
      r.name.c_str(), r.update.median, r.update.p99, r.update.max, r.draw.median, r.draw.p99,
      r.text.median, r.text.p99, r.textLinesPerStep, r.whole.median, r.whole.p99, r.whole.max,
      100.0 * r.whole.p99 / kBudgetUs, r.withoutText.p99, r.wall.p99, r.pathCallsPerStep,
      r.pathUsPerCall, r.pathAllocations, r.tileCallsPerStep, r.tileAllocations, r.start.median,
      r.start.max, r.allocationsPerStep, r.peakKb / 1024);
}

void PrintMachineLine(const Result& r) {
  std::printf(
      "BENCH scenario=%s update_median_us=%.1f update_p99_us=%.1f update_max_us=%.1f "
      "update_p99_budget=%.2f%% draw_median_us=%.1f draw_p99_us=%.1f text_median_us=%.1f "
      "text_p99_us=%.1f text_lines_per_step=%.2f step_median_us=%.1f step_p99_us=%.1f "
      "step_max_us=%.1f "
      "step_p99_budget=%.2f%% step_without_text_p99_us=%.1f wall_step_median_us=%.1f "
      "wall_step_p99_us=%.1f descheduled_copies=%ld "
      "findpath_per_step=%.3f findpath_us=%.2f findpath_step_max_us=%.1f findpath_allocs=%ld "
      "tile_tests_per_step=%.0f tile_test_allocs=%ld start_median_ms=%.2f start_max_ms=%.2f "
      "allocs_per_step=%.3f peak_rss_mb=%ld\n",
      r.name.c_str(), r.update.median, r.update.p99, r.update.max, 100.0 * r.update.p99 / kBudgetUs,
      r.draw.median, r.draw.p99, r.text.median, r.text.p99, r.textLinesPerStep, r.whole.median,
      r.whole.p99, r.whole.max, 100.0 * r.whole.p99 / kBudgetUs, r.withoutText.p99, r.wall.median,
      r.wall.p99, r.descheduledCopies, r.pathCallsPerStep, r.pathUsPerCall, r.pathMaxUs,
      r.pathAllocations, r.tileCallsPerStep, r.tileAllocations, r.start.median, r.start.max,
      r.allocationsPerStep, r.peakKb / 1024);
}
// Makes a private copy of the run folder (the assets linked) the working
// directory, so the save is never touched; its path, or empty on failure.
std::string EnterCopyOfRunFolder() {
  char pattern[] = "/tmp/ilsmark-bench-XXXXXX";
  const char* made = mkdtemp(pattern);
  if (!made) {
    std::perror("mkdtemp");
    return "";
  }
  const std::string folder = made;
  fs::create_directories(folder + "/Resources");
  fs::copy(std::string(ILSMARK_RUN_DIR) + "/Resources/Data", folder + "/Resources/Data",
           fs::copy_options::recursive);
  fs::create_directory_symlink(std::string(ILSMARK_RUN_DIR) + "/Resources/Assets",
                               folder + "/Resources/Assets");
  fs::current_path(folder);
  return folder;
}

void RunLevels(SDL_Window* window, SDL_Renderer* renderer, int steps, const std::string& only,
               std::vector<Result>& results) {
  for (int level = 0; level < rules::kLevelCount; ++level) {
    const std::string name = "Level" + std::to_string(level);
    if (!only.empty() && only != name) continue;
    std::srand(42);
    GameInstance s(window, renderer, false);
    s.menu->levelChoice = level;
    const double startMs = TimeLaunch(s);
    if (!s.game->level) {
      std::printf("%s: not started\n", name.c_str());
      continue;
    }
    results.push_back(RunSteps(name, s, steps, startMs, nullptr));
    PrintRow(results.back());
  }
}

void RunStress(SDL_Window* window, SDL_Renderer* renderer, int steps,
               std::vector<Result>& results) {
  std::srand(42);
  GameInstance s(window, renderer, false);
  s.menu->levelChoice = 9;
  const double startMs = TimeLaunch(s);
  PopulateStress(s);
  results.push_back(RunSteps("Stress", s, steps, startMs, PopulateStress));
  PrintRow(results.back());
}

void RunWorstPath(SDL_Window* window, SDL_Renderer* renderer) {
  GameInstance s(window, renderer, false);
  s.game->StartLevel("Resources/Data/Level9.txt", kStressColumns, kStressRows);
  Level& level = *s.game->level;
  const Stats sealed = SealedGoalSearch(level, 50);
  int worstCol = 0, worstRow = 0;
  const Stats reachable = WorstReachableSearch(level, 50, worstCol, worstRow);
  std::printf(
      "FindPath on the stress level, 50 calls each (wall clock): sealed goal median "
      "%.1f us max %.1f us; slowest reachable goal (%d, %d) median %.1f us max %.1f "
      "us\n",
      sealed.median, sealed.max, worstCol, worstRow, reachable.median, reachable.max);
  std::printf(
      "BENCH scenario=WorstPath sealed_median_us=%.1f sealed_max_us=%.1f "
      "reachable_median_us=%.1f reachable_max_us=%.1f reachable_goal=%d,%d\n",
      sealed.median, sealed.max, reachable.median, reachable.max, worstCol, worstRow);
}

void RunMenu(SDL_Window* window, SDL_Renderer* renderer) {
  GameInstance s(window, renderer, false);
  const Stats mainMenu = MenuFrames(s, Menu::kMainMenu, 200);
  const Stats select = MenuFrames(s, Menu::kLevelSelect, 200);
  std::printf(
      "Menu frames (processor time, without the 16 ms wait): main menu median %.0f us "
      "p99 %.0f us; level select median %.0f us p99 %.0f us\n",
      mainMenu.median, mainMenu.p99, select.median, select.p99);
  std::printf("BENCH scenario=MainMenu frame_median_us=%.1f frame_p99_us=%.1f\n", mainMenu.median,
              mainMenu.p99);
  std::printf("BENCH scenario=LevelSelect frame_median_us=%.1f frame_p99_us=%.1f\n", select.median,
              select.p99);
}
}  // namespace

int main(int argc, char** argv) {
  int steps = argc > 1 ? std::atoi(argv[1]) : 3000;
  if (steps < kWarmSteps * 2) steps = kWarmSteps * 2;
  const std::string only = argc > 2 ? argv[2] : "";
  const std::string folder = EnterCopyOfRunFolder();
  if (folder.empty()) return 1;

  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  SDL_Init(SDL_INIT_VIDEO);
  TTF_Init();
  SDL_Window* window = SDL_CreateWindow("bench", 0, 0, 1280, 720, 0);
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  benchRenderer = renderer;
  Clock::UseManual(1000);
  ResetFrameTimers();
  CalibrateClocks();

  std::printf(
      "%d steps of 8 ms per scenario; budget 8000 us per step. Times are the game "
      "thread's processor time in us\n(the cost of the benchmark's own clock reads, "
      "%.0f ns and %.0f ns, taken out); 'wall p99' is the wall-clock step time.\n",
      steps, cpuReadNs, wallReadNs);
  PrintHeader();
  std::vector<Result> results;
  RunLevels(window, renderer, steps, only, results);
  WriteStressLevel("Resources/Data/Level9.txt");
  if (only.empty() || only == "Stress") RunStress(window, renderer, steps, results);
  if (only.empty() || only == "WorstPath") RunWorstPath(window, renderer);
  if (only.empty() || only == "Menu") RunMenu(window, renderer);
  for (const Result& r : results) PrintMachineLine(r);

  fs::current_path("/");
  fs::remove_all(folder);
  return 0;
}
