// Finds and checks input routes for the shipped levels by playing the real
// game headless. Run it from the run folder; it works in a private copy of
// the data, so the save is never touched:
//   ilsmark_routefinder find <level> <route file> [--seed N] [--seconds S] [--verbose]
//   ilsmark_routefinder replay <route file>
// find searches a route (see RouteSearch.h), checks it by a replay in the
// game's own window with the real font, and writes it; replay plays a route
// file and tells where it ended. The search draws into a small window
// without the font: what is drawn never changes what happens in a level, and
// text rendering is most of the cost of a step.
#include <SDL.h>
#include <SDL_ttf.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "Route.h"
#include "RouteRun.h"
#include "RouteSearch.h"
#include "app/Input.h"
#include "frontend/Menu.h"
#include "game/Game.h"
#include "gfx/TextRenderer.h"

namespace {
namespace fs = std::filesystem;

constexpr int kWindowWidth = 1280;  // the game's window: the camera and drawing as in play
constexpr int kWindowHeight = 720;
constexpr int kSearchWindowSide = 64;  // pixels; the search only needs the game to run

// A private copy of the run folder's data (the assets are linked, the font
// only when asked for), made the working directory for the object's life, so
// the door's writes land in the copy.
class PrivateRunFolder {
 public:
  explicit PrivateRunFolder(bool withFont) : previous(fs::current_path()) {
    char pattern[] = "/tmp/ilsmark-routes-XXXXXX";
    path = mkdtemp(pattern);
    fs::create_directories(path / "Resources/Assets");
    fs::copy(previous / "Resources/Data", path / "Resources/Data", fs::copy_options::recursive);
    for (const auto& entry : fs::directory_iterator(previous / "Resources/Assets")) {
      if (!withFont && entry.path().extension() == ".ttf") continue;
      fs::create_symlink(fs::absolute(entry.path()),
                         path / "Resources/Assets" / entry.path().filename());
    }
    fs::current_path(path);
  }
  ~PrivateRunFolder() {
    fs::current_path(previous);
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
  PrivateRunFolder(const PrivateRunFolder&) = delete;
  PrivateRunFolder& operator=(const PrivateRunFolder&) = delete;

 private:
  fs::path previous;
  fs::path path;
};

// A window, its software renderer and the game's long-lived objects as the
// shell wires them, without audio.
struct Session {
  Session(int width, int height)
      : window(SDL_CreateWindow("Ilsmark - Quorvane", 0, 0, width, height, 0)),
        renderer(SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE)),
        text(window, renderer),
        game(window, renderer, &input, nullptr, &text, &playing),
        menu(window, renderer, &input, &text, &game, nullptr, &playing) {
    game.menu = &menu;
  }
  ~Session() {
    game.EndLevel(true);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  SDL_Window* window;
  SDL_Renderer* renderer;
  TextRenderer text;
  Input input;
  int playing = 0;
  Game game;
  Menu menu;
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
  std::printf("%s after %d steps: player %s at (%.1f, %.1f), health %d, gold %d of %d needed\n",
              outcome.doorEntered ? "door entered" : "door NOT entered", outcome.stepsRun,
              outcome.last.alive ? "alive" : "dead", outcome.last.x, outcome.last.y,
              outcome.last.health, outcome.last.gold, outcome.goldNeeded);
}

// Replays route in the game's own window with the real font.
RouteOutcome CheckRoute(const Route& route, double& seconds) {
  PrivateRunFolder folder(true);
  Session session(kWindowWidth, kWindowHeight);
  auto begin = std::chrono::steady_clock::now();
  RouteOutcome outcome =
      ReplayRoute(route, session.game, session.menu, session.input, session.playing);
  seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  return outcome;
}

int Replay(const std::string& path) {
  Route route;
  std::string error;
  if (!ReadRoute(path, route, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  double seconds = 0.0;
  RouteOutcome outcome = CheckRoute(route, seconds);
  PrintOutcome(outcome);
  std::printf("%zu key events, replayed in %.2f s\n", route.events.size(), seconds);
  return outcome.doorEntered ? 0 : 1;
}

int Find(const SearchOptions& options, const std::string& path) {
  Route route;
  bool found = false;
  auto begin = std::chrono::steady_clock::now();
  {
    PrivateRunFolder folder(false);
    QuietConsole quiet;
    Session session(kSearchWindowSide, kSearchWindowSide);
    found = SearchRoute(options, session.game, session.menu, session.input, session.playing, route);
  }
  double searched = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  if (!found) {
    const std::string partial = path + ".partial";
    WriteRoute(partial, route, "Where the search gave up.");
    std::printf(
        "level %d: no route found in %.0f s with seed %u; the keys up to where it gave "
        "up are in %s\n",
        options.level, searched, options.seed, partial.c_str());
    return 1;
  }
  double seconds = 0.0;
  RouteOutcome outcome = CheckRoute(route, seconds);
  PrintOutcome(outcome);
  if (!outcome.doorEntered) {
    std::printf("level %d: the route found does not replay to the door; not written\n",
                options.level);
    return 1;
  }
  char comment[160];
  std::snprintf(comment, sizeof comment,
                "Level %d: %d steps, %zu key changes, %d gold at the door of %d needed. "
                "Made by ilsmark_routefinder.",
                options.level, route.steps, route.events.size(), outcome.last.gold,
                outcome.goldNeeded);
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
               "[--verbose]\n"
               "       ilsmark_routefinder replay <route file>\n");
  return 2;
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
    } else if (option == "--seed" && i + 1 < argc) {
      options.seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
    } else if (option == "--seconds" && i + 1 < argc) {
      options.seconds = std::strtod(argv[++i], nullptr);
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
  if (command == "find" && (argc < 4 || !ParseFindOptions(argc, argv, options))) return Usage();
  if (command != "find" && command != "replay") return Usage();
  // Paths given on the command line are taken from where the tool was started.
  const std::string path = fs::absolute(command == "find" ? argv[3] : argv[2]).string();
  if (!fs::is_directory("Resources/Data") || !fs::is_directory("Resources/Assets")) {
    std::fprintf(stderr, "run ilsmark_routefinder from the game's run folder (build/run)\n");
    return 2;
  }
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  if (SDL_Init(SDL_INIT_VIDEO) != 0 || TTF_Init() != 0) {
    std::fprintf(stderr, "SDL start-up failed: %s\n", SDL_GetError());
    return 2;
  }
  return command == "find" ? Find(options, path) : Replay(path);
}
