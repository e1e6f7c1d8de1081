// Finds, checks and shows input routes for the shipped levels by playing the
// real game. Run it from the run folder; it works in a private copy of the
// data, so the save is never touched:
//   ilsmark_routefinder find <level> <route file> [--seed N] [--error E] [--seconds S] [--jobs J]
//                       [--verbose] [--why]
//   ilsmark_routefinder replay <route file>
//   ilsmark_routefinder tolerance <route file>
//   ilsmark_routefinder watch <route file>
//   ilsmark_routefinder report <routes folder> [--no-tolerance] [--moves] [--levels A-B]
//                       [--markdown FILE]
// find searches a route that a person can play (see RouteSearch.h), checks
// it with every key moved at random by a person's timing error and by a
// replay in the game's own window with the real font, and writes it; replay
// plays a route file and tells where it ended; tolerance finds the widest
// timing error the route survives; watch plays it in a real window at the
// game's own speed, with sound; report replays every level's routes and
// prints the level report (see LevelReport.h). The search draws into a small window without
// the font: what is drawn never changes what happens in a level, and text
// rendering is most of the cost of a step.
#include <SDL.h>
#include <SDL_ttf.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "LevelReport.h"
#include "PersonModel.h"
#include "PrivateRunFolder.h"
#include "Route.h"
#include "RouteFigures.h"
#include "RouteRun.h"
#include "RouteSearch.h"
#include "app/GameInstance.h"
#include "base/Rules.h"

namespace {
namespace fs = std::filesystem;

constexpr int kWindowWidth = 1280;  // the game's window: the camera and drawing as in play
constexpr int kWindowHeight = 720;
constexpr int kSearchWindowSide = 64;   // pixels; the search only needs the game to run
constexpr int kToleranceVariants = 20;  // replays per timing error when measuring tolerance
constexpr int kWidestError = 12;        // steps; tolerance stops looking here
constexpr int kWatchEndMs = 1500;       // the door's frame stays a moment before the window closes

// What the report covers and how.
struct ReportOptions {
  std::string folder;     // where the route files are
  bool tolerance = true;  // measure the timing error each route survives (slow)
  bool moves = false;     // print every route's moves
  int firstLevel = 0;     // levels 0-9
  int lastLevel = rules::kLastLevel;
  std::string markdown;  // a file for the Markdown table, or empty
};

// A window, its renderer and a running game on them; sound only when asked.
struct Session {
  Session(int width, int height, bool withAudio = false, Uint32 windowFlags = 0,
          Uint32 rendererFlags = SDL_RENDERER_SOFTWARE)
      : window(SDL_CreateWindow("Ilsmark - Quorvane", SDL_WINDOWPOS_CENTERED,
                                SDL_WINDOWPOS_CENTERED, width, height, windowFlags)),
        renderer(SDL_CreateRenderer(window, -1, rendererFlags)),
        instance(std::make_unique<GameInstance>(window, renderer, withAudio)) {}
  ~Session() {
    instance.reset();  // its sprites belong to the renderer
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  SDL_Window* window;
  SDL_Renderer* renderer;
  std::unique_ptr<GameInstance> instance;
};

// Sends the game's console lines (a missing font is reported on every text
// line) to /dev/null while alive.
class QuietConsole {
 public:
  QuietConsole() : saved(dup(STDOUT_FILENO)) {
    std::fflush(stdout);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    close(null);
  }
  ~QuietConsole() {
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
  }
  QuietConsole(const QuietConsole&) = delete;
  QuietConsole& operator=(const QuietConsole&) = delete;

 private:
  int saved;
};

void PrintOutcome(const RouteOutcome& outcome) {
  std::printf(
      "%s after %d steps: player %s at (%.1f, %.1f), health %d, gold %d (%d from the level's "
      "own coins) of %d needed\n",
      outcome.doorEntered ? "door entered" : "door NOT entered", outcome.stepsRun,
      outcome.last.alive ? "alive" : "dead", outcome.last.x, outcome.last.y, outcome.last.health,
      outcome.last.gold, outcome.last.placedGold, outcome.goldNeeded);
}

bool Load(const std::string& path, Route& route) {
  std::string error;
  if (ReadRoute(path, route, error)) return true;
  std::fprintf(stderr, "%s\n", error.c_str());
  return false;
}

// Replays route in the game's own window with the real font.
RouteOutcome CheckRoute(const Route& route, double& seconds) {
  PrivateRunFolder folder(true);
  Session session(kWindowWidth, kWindowHeight);
  auto begin = std::chrono::steady_clock::now();
  RouteOutcome outcome = ReplayRoute(route, *session.instance);
  seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  return outcome;
}

// Replays count copies of route with every key moved at random by up to
// error steps (seeds 1 to count); returns the first seed that does not
// finish the level, or 0 when all do.
unsigned FirstFailingSeed(const Route& route, int error, int count, RouteOutcome& failure) {
  PrivateRunFolder folder(false);
  QuietConsole quiet;
  Session session(kSearchWindowSide, kSearchWindowSide);
  for (unsigned seed = 1; seed <= static_cast<unsigned>(count); ++seed) {
    failure = ReplayRoute(Jittered(route, seed, error), *session.instance);
    if (!Finished(failure)) return seed;
  }
  return 0;
}

int Replay(const std::string& path) {
  Route route;
  if (!Load(path, route)) return 2;
  double seconds = 0.0;
  RouteOutcome outcome = CheckRoute(route, seconds);
  PrintOutcome(outcome);
  std::printf("%zu key events (%.2f a second, at most %d in one second), replayed in %.2f s\n",
              route.events.size(), EventsPerSecond(route), BusiestWindow(route), seconds);
  const std::string fault = BreaksPersonModel(route);
  if (!fault.empty()) std::printf("a person could not play this route: %s\n", fault.c_str());
  return Finished(outcome) && fault.empty() ? 0 : 1;
}

// The widest timing error at which kToleranceVariants replays with keys
// moved at random all finish the level (0 when even one step fails), each
// error tried from 1 up; with print, a line per error tried.
int WidestError(const Route& route, bool print) {
  int survived = 0;
  for (int error = 1; error <= kWidestError; ++error) {
    RouteOutcome failure;
    const unsigned seed = FirstFailingSeed(route, error, kToleranceVariants, failure);
    if (seed != 0) {
      if (print) {
        std::printf("timing error of %d steps, seed %u: ", error, seed);
        PrintOutcome(failure);
      }
      break;
    }
    survived = error;
    if (print)
      std::printf("timing error of %d steps: all %d replays finish the level\n", error,
                  kToleranceVariants);
  }
  return survived;
}

int Tolerance(const std::string& path) {
  Route route;
  if (!Load(path, route)) return 2;
  const int survived = WidestError(route, true);
  std::printf("level %d survives a timing error of +-%d steps (%d ms)\n", route.level, survived,
              survived * rules::kStepMs);
  return 0;
}

void PrintMoves(const RouteFigures& figures) {
  for (const RouteMove& move : figures.moves) {
    std::printf("    %6.2f s  %-24s (%d, %d) -> (%d, %d)%s%s\n",
                move.firstStep * rules::kStepSeconds, move.Shape().c_str(), move.fromColumn,
                move.fromRow, move.toColumn, move.toRow,
                move.landing && !move.landingSeen ? "  LANDING NOT IN VIEW" : "",
                move.landing && move.nearEnemy ? "  LANDS NEAR AN ENEMY'S START" : "");
  }
}

// Replays every level's routes in folder and prints the level report;
// with markdown, also writes it as a Markdown table there.
int Report(const ReportOptions& options) {
  const fs::path font = fs::absolute("Resources/Assets/DejaVuSans.ttf");
  std::vector<LevelRow> rows;
  for (int level = options.firstLevel; level <= options.lastLevel; ++level) {
    std::vector<RouteFigures> figures;
    int tolerance = options.tolerance ? kWidestError : -1;
    for (const std::string& file : LevelRouteFiles(options.folder, level)) {
      Route route;
      if (!Load(file, route)) return 2;
      {
        PrivateRunFolder folder(false);
        QuietConsole quiet;
        Session session(kWindowWidth, kWindowHeight);
        figures.push_back(MeasureRoute(route, *session.instance, true, font.string()));
      }
      const RouteFigures& f = figures.back();
      std::printf(
          "  %s: %s, %.1f s, health %d, gold %d of %d, %zu moves, longest run %d, enemies: %s\n",
          fs::path(file).filename().c_str(), f.finished ? "finished" : "NOT FINISHED", f.Seconds(),
          f.health, f.gold, f.goldNeeded, f.moves.size(), f.LongestRun(),
          f.enemyKinds.empty() ? "none" : f.enemyKinds.c_str());
      if (options.moves) PrintMoves(f);
      if (options.tolerance) tolerance = std::min(tolerance, WidestError(route, false));
    }
    rows.push_back(Summarise(level, figures, figures.empty() ? -1 : tolerance));
  }
  const std::string table = FormatReport(rows, false);
  std::printf("%s", table.c_str());
  if (options.markdown.empty()) return 0;
  std::FILE* out = std::fopen(options.markdown.c_str(), "w");
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", options.markdown.c_str());
    return 2;
  }
  std::fputs(FormatReport(rows, true).c_str(), out);
  std::fclose(out);
  return 0;
}

// True once Escape is pressed in the window or the window is closed.
bool StopAsked() {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (event.type == SDL_QUIT) return true;
    if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) return true;
  }
  return false;
}

int Watch(const std::string& path) {
  Route route;
  if (!Load(path, route)) return 2;
  PrivateRunFolder folder(true);
  const bool sound = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  Session session(kWindowWidth, kWindowHeight, sound, SDL_WINDOW_SHOWN, 0);
  if (!session.instance->audio) std::printf("no sound: %s\n", SDL_GetError());
  const std::string title =
      "Ilsmark - Quorvane: the route of level " + std::to_string(route.level + 1);
  SDL_SetWindowTitle(session.window, title.c_str());
  RouteRun run(*session.instance);
  if (!run.Start(route.level, route.seed)) return 1;
  const auto begin = std::chrono::steady_clock::now();
  bool stopped = false;
  // At the game's own speed, until the door, the end or Escape.
  auto pace = [&] {
    std::this_thread::sleep_until(begin +
                                  std::chrono::milliseconds(rules::kStepMs * run.StepsRun()));
    stopped = StopAsked();
    return !stopped;
  };
  size_t next = 0;
  run.PlayEvents(route.events, next, route.steps, pace);
  if (!stopped) SDL_Delay(kWatchEndMs);
  PrintOutcome(OutcomeOf(run));
  return 0;
}

int Find(const SearchOptions& options, const std::string& path) {
  Route route;
  bool found = false;
  auto begin = std::chrono::steady_clock::now();
  {
    PrivateRunFolder folder(false);
    QuietConsole quiet;
    Session session(kSearchWindowSide, kSearchWindowSide);
    found = SearchRoute(options, *session.instance, route);
  }
  double searched = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  const std::string partial = path + ".partial";
  if (!found) {
    WriteRoute(partial, route, "Where the search gave up.");
    std::printf(
        "level %d: no route found in %.0f s with seed %u; the keys up to where it gave "
        "up are in %s\n",
        options.level, searched, options.seed, partial.c_str());
    return 1;
  }
  // Every error up to the one asked, as the tolerance measure tries them: a
  // route that survives twenty timings at three steps may still fail one of
  // the timings at two.
  RouteOutcome failure;
  unsigned failingSeed = 0;
  int failingError = 0;
  for (int error = 1; error <= options.timingError && failingSeed == 0; ++error) {
    failingSeed = FirstFailingSeed(route, error, kToleranceVariants, failure);
    failingError = error;
  }
  double seconds = 0.0;
  RouteOutcome outcome = CheckRoute(route, seconds);
  PrintOutcome(outcome);
  const std::string fault = BreaksPersonModel(route);
  if (!Finished(outcome) || failingSeed != 0 || !fault.empty()) {
    WriteRoute(partial, route, "A route that failed its checks.");
    if (failingSeed != 0) {
      std::printf("with a timing error of up to %d steps, seed %u: ", failingError, failingSeed);
      PrintOutcome(failure);
    }
    if (!fault.empty()) std::printf("a person could not play it: %s\n", fault.c_str());
    std::printf("level %d: the route found fails its checks; written to %s only\n", options.level,
                partial.c_str());
    return 1;
  }
  char comment[256];
  std::snprintf(comment, sizeof comment,
                "Level %d: %d steps (%.1f s), %zu key changes (%.2f a second), %d gold at the "
                "door of %d needed. Made by ilsmark_routefinder.",
                options.level, route.steps, route.steps * rules::kStepSeconds, route.events.size(),
                EventsPerSecond(route), outcome.last.gold, outcome.goldNeeded);
  if (!WriteRoute(path, route, comment)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return 2;
  }
  std::printf("level %d: wrote %s (searched %.0f s, replay %.2f s)\n", options.level, path.c_str(),
              searched, seconds);
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: ilsmark_routefinder find <level> <route file> [--seed N] [--seconds S] "
               "[--jobs J] [--error E] [--verbose] [--why]\n"
               "       ilsmark_routefinder replay <route file>\n"
               "       ilsmark_routefinder tolerance <route file>\n"
               "       ilsmark_routefinder watch <route file>\n"
               "       ilsmark_routefinder report <routes folder> [--no-tolerance] [--moves] "
               "[--levels A-B] [--markdown FILE]\n");
  return 2;
}

// Reads the options after "report <folder>"; false on anything unknown.
bool ParseReportOptions(int argc, char** argv, ReportOptions& options) {
  options.folder = fs::absolute(argv[2]).string();
  for (int i = 3; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--no-tolerance") {
      options.tolerance = false;
    } else if (option == "--moves") {
      options.moves = true;
    } else if (option == "--markdown" && i + 1 < argc) {
      options.markdown = fs::absolute(argv[++i]).string();
    } else if (option == "--levels" && i + 1 < argc &&
               std::sscanf(argv[++i], "%d-%d", &options.firstLevel, &options.lastLevel) == 2) {
      options.firstLevel -= 1;  // levels are named as players see them, 1 to 10
      options.lastLevel -= 1;
    } else {
      return false;
    }
  }
  return options.firstLevel >= 0 && options.lastLevel <= rules::kLastLevel &&
         options.firstLevel <= options.lastLevel;
}

// Reads the options after "find <level> <file>"; false on anything unknown.
bool ParseFindOptions(int argc, char** argv, SearchOptions& options) {
  char* end = nullptr;
  long level = std::strtol(argv[2], &end, 10);
  if (*end != '\0' || level < 0 || level > 9) return false;
  options.level = static_cast<int>(level);
  for (int i = 4; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--verbose") {
      options.verbose = true;
    } else if (option == "--why") {
      options.why = true;
    } else if (option == "--seed" && i + 1 < argc) {
      options.seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
    } else if (option == "--seconds" && i + 1 < argc) {
      options.seconds = std::strtod(argv[++i], nullptr);
    } else if (option == "--error" && i + 1 < argc) {
      options.timingError = static_cast<int>(std::strtol(argv[++i], nullptr, 10));
    } else if (option == "--jobs" && i + 1 < argc) {
      options.jobs = static_cast<int>(std::strtol(argv[++i], nullptr, 10));
    } else {
      return false;
    }
  }
  return true;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string command = argv[1];
  SearchOptions options;
  ReportOptions report;
  if (command == "find" && (argc < 4 || !ParseFindOptions(argc, argv, options))) return Usage();
  if (command == "report" && !ParseReportOptions(argc, argv, report)) return Usage();
  if (command != "find" && command != "replay" && command != "tolerance" && command != "watch" &&
      command != "report")
    return Usage();
  // Paths given on the command line are taken from where the tool was started.
  const std::string path = fs::absolute(command == "find" ? argv[3] : argv[2]).string();
  if (!fs::is_directory("Resources/Data") || !fs::is_directory("Resources/Assets")) {
    std::fprintf(stderr, "run ilsmark_routefinder from the game's run folder (build/run)\n");
    return 2;
  }
  if (command != "watch") {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }
  // Ctrl+C and kill end a long search as they end any other program.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_Init(SDL_INIT_VIDEO) != 0 || TTF_Init() != 0) {
    std::fprintf(stderr, "SDL start-up failed: %s\n", SDL_GetError());
    return 2;
  }
  if (command == "find") return Find(options, path);
  if (command == "replay") return Replay(path);
  if (command == "tolerance") return Tolerance(path);
  if (command == "report") return Report(report);
  return Watch(path);
}
