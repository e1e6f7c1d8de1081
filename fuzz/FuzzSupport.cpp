#include "FuzzSupport.h"

#include <SDL_ttf.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "base/Clock.h"

namespace fs = std::filesystem;

namespace fuzz {
namespace {
// Small, so that clearing and drawing a step costs little: at the window's
// real size the software renderer's clears took most of each input's time.
// The game places its camera and HUD by the window's size, whatever it is.
constexpr int kWindowWidth = 160;  // pixels
constexpr int kWindowHeight = 90;

SDL_Window* window = nullptr;
SDL_Renderer* renderer = nullptr;
}  // namespace

void SetUp() {
  if (window) return;
  char pattern[] = "/tmp/ilsmark-fuzz-XXXXXX";
  std::string folder = mkdtemp(pattern);
  fs::create_directories(folder + "/Resources");
  fs::copy(std::string(ILSMARK_RUN_DIR) + "/Resources/Data", folder + "/Resources/Data",
           fs::copy_options::recursive);
  // The assets are copied without the font and the music: text opens the
  // font for every line it draws, which made one input of play take
  // seconds, and every Audio loads the 4.5 MB music; without them each
  // fails at once (those paths have tests of their own), and the time goes
  // to the level, the lists and the save.
  fs::copy(std::string(ILSMARK_RUN_DIR) + "/Resources/Assets", folder + "/Resources/Assets",
           fs::copy_options::recursive);
  fs::remove(folder + "/Resources/Assets/DejaVuSans.ttf");
  fs::remove(folder + "/Resources/Assets/Music.WAV");
  fs::current_path(folder);
  // The game's console lines (a missing font is one per text line drawn)
  // would fill the fuzzer's log; its own reports go to standard error.
  if (!std::freopen("/dev/null", "w", stdout)) std::perror("fuzz: cannot silence stdout");
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO);
  TTF_Init();
  window = SDL_CreateWindow("fuzz", 0, 0, kWindowWidth, kWindowHeight, 0);
  renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  Clock::UseManual(0);
}

SDL_Window* Window() { return window; }
SDL_Renderer* Renderer() { return renderer; }

void WriteFile(const std::string& relative, const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(relative.c_str(), "wb");
  if (!file) return;
  if (size > 0) std::fwrite(data, 1, size, file);
  std::fclose(file);
}

}  // namespace fuzz
