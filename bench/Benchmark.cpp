// The benchmark: runs the real Game headless with the manual clock at exactly
// 8 ms per step and scripted input, and reports, per scenario, the step time
// split into update passes, drawing and text, the path searches, level start,
// heap allocations per step and peak memory.
//
//   ilsmark_bench [steps]      (run from anywhere; it works in a copy of the run folder)
#include <SDL.h>
#include <SDL_ttf.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "actors/BirdEnemy.h"
#include "actors/DumbEnemy.h"
#include "actors/Stalker.h"
#include "app/Input.h"
#include "base/Clock.h"
#include "frontend/Menu.h"
#include "game/FrameTimers.h"
#include "game/Game.h"
#include "gfx/TextRenderer.h"

namespace fs = std::filesystem;
using BenchClock = std::chrono::steady_clock;

// --- Heap allocations, counted by a replaced global operator new. ---

static std::atomic<long> allocations{0};

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

// --- Time spent inside the wrapped drawing, text and path calls. ---

namespace {
long long NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(BenchClock::now().time_since_epoch())
      .count();
}

struct Counters {
  long long drawNs = 0;   // sprite and tile copies, clear and present, outside text
  long long textNs = 0;   // from opening a line's font to closing it
  long long pathNs = 0;   // Level::FindPath
  long pathCalls = 0;
  long long textStart = 0;
  bool inText = false;
};
Counters counters;
}  // namespace

class Level;
extern "C" {
int __real_SDL_RenderCopy(SDL_Renderer*, SDL_Texture*, const SDL_Rect*, const SDL_Rect*);
int __real_SDL_RenderCopyEx(SDL_Renderer*, SDL_Texture*, const SDL_Rect*, const SDL_Rect*, double,
                            const SDL_Point*, SDL_RendererFlip);
int __real_SDL_RenderClear(SDL_Renderer*);
void __real_SDL_RenderPresent(SDL_Renderer*);
TTF_Font* __real_TTF_OpenFont(const char*, int);
void __real_TTF_CloseFont(TTF_Font*);

int __wrap_SDL_RenderCopy(SDL_Renderer* r, SDL_Texture* t, const SDL_Rect* s, const SDL_Rect* d) {
  if (counters.inText) return __real_SDL_RenderCopy(r, t, s, d);
  long long start = NowNs();
  int result = __real_SDL_RenderCopy(r, t, s, d);
  counters.drawNs += NowNs() - start;
  return result;
}
int __wrap_SDL_RenderCopyEx(SDL_Renderer* r, SDL_Texture* t, const SDL_Rect* s, const SDL_Rect* d,
                            double a, const SDL_Point* c, SDL_RendererFlip f) {
  long long start = NowNs();
  int result = __real_SDL_RenderCopyEx(r, t, s, d, a, c, f);
  counters.drawNs += NowNs() - start;
  return result;
}
int __wrap_SDL_RenderClear(SDL_Renderer* r) {
  long long start = NowNs();
  int result = __real_SDL_RenderClear(r);
  counters.drawNs += NowNs() - start;
  return result;
}
void __wrap_SDL_RenderPresent(SDL_Renderer* r) {
  long long start = NowNs();
  __real_SDL_RenderPresent(r);
  counters.drawNs += NowNs() - start;
}
TTF_Font* __wrap_TTF_OpenFont(const char* file, int size) {
  counters.inText = true;
  counters.textStart = NowNs();
  return __real_TTF_OpenFont(file, size);
}
void __wrap_TTF_CloseFont(TTF_Font* font) {
  __real_TTF_CloseFont(font);
  if (counters.inText) counters.textNs += NowNs() - counters.textStart;
  counters.inText = false;
}
}

// Level::FindPath, wrapped by its mangled name.
extern "C" void _ZN5Level8FindPathEiiiiRiS0_(Level*, int, int, int, int, int&, int&);
extern "C" void __real__ZN5Level8FindPathEiiiiRiS0_(Level*, int, int, int, int, int&, int&);
extern "C" void __wrap__ZN5Level8FindPathEiiiiRiS0_(Level* level, int a, int b, int c, int d,
                                                    int& e, int& f) {
  long long start = NowNs();
  __real__ZN5Level8FindPathEiiiiRiS0_(level, a, b, c, d, e, f);
  counters.pathNs += NowNs() - start;
  ++counters.pathCalls;
}

namespace {
constexpr int kStepMs = 8;
constexpr double kBudgetUs = 8000.0;  // one step at 125 steps a second
constexpr int kWarmSteps = 100;       // allocations are counted after these

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

struct Session {
  Session(SDL_Window* window, SDL_Renderer* renderer)
      : text(window, renderer),
        game(window, renderer, &input, nullptr, &text, &playing),
        menu(window, renderer, &input, &text, &game, nullptr, &playing) {
    game.menu = &menu;
  }
  TextRenderer text;
  Input input;
  int playing = 0;
  Game game;
  Menu menu;
};

// The scripted player: run right, jump, shoot, run left, in a loop.
void Script(Input& input, int step) {
  int phase = step % 1000;
  input.right = phase < 450;
  input.rightHeld = input.right;
  input.left = phase >= 500 && phase < 950;
  input.leftHeld = input.left;
  if (phase % 90 == 0) input.keyZ = true;
  input.keyX = (phase / 60) % 2 == 0;
  if (phase == 470) input.keyR = true;  // a restart now and then: level start on the hot path
}

struct Result {
  std::string name;
  Stats update, draw, text, whole;
  double pathCallsPerStep = 0, pathUsPerCall = 0;
  double startMs = 0;
  double allocationsPerStep = 0;
  long peakKb = 0;
};

// Runs steps of the running level with the script and measures each one.
Result RunSteps(const std::string& name, Session& s, int steps, double startMs) {
  Result result;
  result.name = name;
  result.startMs = startMs;
  std::vector<double> update, draw, text, whole;
  long pathCalls = 0;
  long long pathNs = 0;
  long counted = 0;
  s.playing = 1;
  for (int step = 0; step < steps && s.playing; ++step) {
    Script(s.input, step);
    bool restart = s.input.keyR;
    Clock::Advance(kStepMs);
    counters = Counters{};
    long before = allocations.load();
    long long start = NowNs();
    s.game.Update();
    double total = (NowNs() - start) / 1000.0;
    if (step >= kWarmSteps && !restart) counted += allocations.load() - before;
    double drawUs = counters.drawNs / 1000.0;
    double textUs = counters.textNs / 1000.0;
    whole.push_back(total);
    draw.push_back(drawUs);
    text.push_back(textUs);
    update.push_back(std::max(0.0, total - drawUs - textUs));
    pathCalls += counters.pathCalls;
    pathNs += counters.pathNs;
  }
  result.update = Summarise(update);
  result.draw = Summarise(draw);
  result.text = Summarise(text);
  result.whole = Summarise(whole);
  size_t measured = whole.size();
  result.pathCallsPerStep = measured ? static_cast<double>(pathCalls) / measured : 0;
  result.pathUsPerCall = pathCalls ? pathNs / 1000.0 / pathCalls : 0;
  result.allocationsPerStep =
      measured > kWarmSteps ? static_cast<double>(counted) / (measured - kWarmSteps) : 0;
  result.peakKb = PeakRssKb();
  return result;
}

double TimeLaunch(Session& s, int level) {
  s.menu.levelChoice = level;
  long long start = NowNs();
  s.menu.LaunchLevel();
  return (NowNs() - start) / 1e6;
}

// A generated stress level: 400 x 60 cells, walls, platforms, 150 coins.
void WriteStressLevel(const std::string& path) {
  const int columns = 400, rows = 60;
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
  // A sealed cell in the top-right corner: the worst path search aims there.
  grid[1][columns - 3] = grid[2][columns - 3] = grid[2][columns - 2] = 'W';
  grid[rows - 2][5] = 'S';
  grid[rows - 2][columns - 3] = 'D';
  std::ofstream out(path, std::ios::trunc);
  for (const auto& line : grid) out << line << '\n';
}

// 80 enemies, 30 of them birds, all near the player's start so the birds hunt.
void PopulateStress(Session& s) {
  Game& g = s.game;
  g.enemies.clear();
  for (int i = 0; i < 80; ++i) {
    int x = 64 + (i % 40) * 40;
    int y = 32 * (4 + (i / 40) * 20);
    if (i % 8 < 3) {
      g.enemies.push_back(std::make_unique<BirdEnemy>(g.renderer, g.level.get(), g.player.get(),
                                                      nullptr, x, y));
    } else if (i % 8 < 6) {
      g.enemies.push_back(std::make_unique<DumbEnemy>(g.renderer, g.level.get(), g.player.get(),
                                                      nullptr, x, 32 * 57));
    } else {
      g.enemies.push_back(std::make_unique<Stalker>(g.renderer, g.level.get(), g.player.get(),
                                                    nullptr, x, 32 * 57));
    }
  }
}

// The worst search: a goal sealed off from the rest, so every open cell is expanded.
Stats WorstPathSearch(Session& s, int calls, double& perCallUs) {
  Level& level = *s.game.level;
  std::vector<double> times;
  int nextCol = 0, nextRow = 0;
  // The goal cell (columns - 2, 1) is boxed in by walls in the stress grid.
  for (int i = 0; i < calls; ++i) {
    counters = Counters{};
    level.FindPath(5, level.rows - 2, level.columns - 2, 1, nextCol, nextRow);
    times.push_back(counters.pathNs / 1000.0);
  }
  Stats stats = Summarise(times);
  perCallUs = stats.median;
  return stats;
}

Stats MenuFrames(Session& s, int screen, int frames, SDL_Renderer* renderer) {
  std::vector<double> times;
  s.playing = 0;
  s.menu.screen = screen;
  s.menu.levelReached = 9;
  for (int i = 0; i < frames; ++i) {
    long long start = NowNs();
    SDL_RenderClear(renderer);
    if (screen == 0) s.menu.MainMenu();
    if (screen == 1) s.menu.LevelSelect();
    SDL_RenderPresent(renderer);
    times.push_back((NowNs() - start) / 1000.0);
  }
  return Summarise(times);
}

void PrintRow(const Result& r) {
  std::printf("%-12s %8.0f %8.0f %8.0f | %8.0f %8.0f | %8.0f %8.0f | %8.0f %8.0f %8.0f %5.1f%% | %6.2f %8.1f | %7.1f | %6.2f | %7ld\n",
              r.name.c_str(), r.update.median, r.update.p99, r.update.max, r.draw.median,
              r.draw.p99, r.text.median, r.text.p99, r.whole.median, r.whole.p99, r.whole.max,
              100.0 * r.whole.p99 / kBudgetUs, r.pathCallsPerStep, r.pathUsPerCall, r.startMs,
              r.allocationsPerStep, r.peakKb / 1024);
}

void PrintMachineLine(const Result& r) {
  std::printf(
      "BENCH scenario=%s update_median_us=%.1f update_p99_us=%.1f update_max_us=%.1f "
      "update_p99_budget=%.2f%% draw_median_us=%.1f draw_p99_us=%.1f text_median_us=%.1f "
      "text_p99_us=%.1f step_median_us=%.1f step_p99_us=%.1f step_max_us=%.1f "
      "step_p99_budget=%.2f%% findpath_per_step=%.3f findpath_us=%.2f start_ms=%.2f "
      "allocs_per_step=%.3f peak_rss_mb=%ld\n",
      r.name.c_str(), r.update.median, r.update.p99, r.update.max,
      100.0 * r.update.p99 / kBudgetUs, r.draw.median, r.draw.p99, r.text.median, r.text.p99,
      r.whole.median, r.whole.p99, r.whole.max, 100.0 * r.whole.p99 / kBudgetUs,
      r.pathCallsPerStep, r.pathUsPerCall, r.startMs, r.allocationsPerStep, r.peakKb / 1024);
}
}  // namespace

int main(int argc, char** argv) {
  int steps = argc > 1 ? std::atoi(argv[1]) : 3000;
  if (steps < kWarmSteps * 2) steps = kWarmSteps * 2;

  // Work in a private copy of the run folder, so the save is never touched.
  char pattern[] = "/tmp/ilsmark-bench-XXXXXX";
  std::string folder = mkdtemp(pattern);
  fs::create_directories(folder + "/Resources");
  fs::copy(std::string(ILSMARK_RUN_DIR) + "/Resources/Data", folder + "/Resources/Data",
           fs::copy_options::recursive);
  fs::create_directory_symlink(std::string(ILSMARK_RUN_DIR) + "/Resources/Assets",
                               folder + "/Resources/Assets");
  fs::current_path(folder);

  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  SDL_Init(SDL_INIT_VIDEO);
  TTF_Init();
  SDL_Window* window = SDL_CreateWindow("bench", 0, 0, 1280, 720, 0);
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  Clock::UseManual(1000);
  ResetFrameTimers();

  std::printf("%d steps of 8 ms per scenario; times in microseconds; budget 8000 us per step\n",
              steps);
  std::printf("%-12s %8s %8s %8s | %8s %8s | %8s %8s | %8s %8s %8s %6s | %6s %8s | %7s | %6s | %7s\n",
              "scenario", "upd med", "upd p99", "upd max", "drw med", "drw p99", "txt med",
              "txt p99", "stp med", "stp p99", "stp max", "p99%", "path/s", "path us",
              "start ms", "alloc/s", "rss MB");
  std::vector<Result> results;
  for (int level = 0; level < 10; ++level) {
    std::srand(42);
    Session s(window, renderer);
    double startMs = TimeLaunch(s, level);
    if (!s.game.level) {
      std::printf("Level%d: not started\n", level);
      continue;
    }
    results.push_back(RunSteps("Level" + std::to_string(level), s, steps, startMs));
    PrintRow(results.back());
  }

  WriteStressLevel("Resources/Data/Level9.txt");
  {
    std::srand(42);
    Session s(window, renderer);
    double startMs = TimeLaunch(s, 9);
    PopulateStress(s);
    Result stress = RunSteps("Stress", s, steps, startMs);
    results.push_back(stress);
    PrintRow(stress);
    s.game.StartLevel("Resources/Data/Level9.txt", 400, 60);
    double perCall = 0;
    Stats worst = WorstPathSearch(s, 50, perCall);
    std::printf("Worst FindPath on the stress level (unreachable goal): median %.0f us, max %.0f us\n",
                worst.median, worst.max);
    std::printf("BENCH scenario=WorstPath findpath_median_us=%.1f findpath_max_us=%.1f\n",
                worst.median, worst.max);
  }
  {
    Session s(window, renderer);
    Stats mainMenu = MenuFrames(s, 0, 200, renderer);
    Stats select = MenuFrames(s, 1, 200, renderer);
    std::printf("Menu frames (without the 16 ms wait): main menu median %.0f us p99 %.0f us; "
                "level select median %.0f us p99 %.0f us\n",
                mainMenu.median, mainMenu.p99, select.median, select.p99);
    std::printf("BENCH scenario=MainMenu frame_median_us=%.1f frame_p99_us=%.1f\n", mainMenu.median,
                mainMenu.p99);
    std::printf("BENCH scenario=LevelSelect frame_median_us=%.1f frame_p99_us=%.1f\n",
                select.median, select.p99);
  }
  for (const Result& r : results) PrintMachineLine(r);

  fs::current_path("/");
  fs::remove_all(folder);
  return 0;
}
