#include "harness/Harness.h"

#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace harness {
extern SDL_Window* gWindow;
extern SDL_Renderer* gRenderer;

SDL_Window* Window() { return gWindow; }
SDL_Renderer* Renderer() { return gRenderer; }

std::string RunDir() { return ILSMARK_RUN_DIR; }

TempRunFolder::TempRunFolder() {
  char pattern[] = "/tmp/ilsmark-test-XXXXXX";
  path = mkdtemp(pattern);
  previous = fs::current_path().string();
  fs::create_directories(path + "/Resources");
  fs::copy(RunDir() + "/Resources/Data", path + "/Resources/Data", fs::copy_options::recursive);
  fs::create_directory_symlink(RunDir() + "/Resources/Assets", path + "/Resources/Assets");
  fs::current_path(path);
}

TempRunFolder::~TempRunFolder() {
  fs::current_path(previous);
  std::error_code ignored;
  fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path, ignored);
}

void TempRunFolder::Write(const std::string& relative, const std::string& text) const {
  std::ofstream out(path + "/" + relative, std::ios::binary | std::ios::trunc);
  out << text;
}

std::string TempRunFolder::Read(const std::string& relative) const {
  std::ifstream in(path + "/" + relative, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

void TempRunFolder::CopyAssets() const {
  fs::remove(path + "/Resources/Assets");
  fs::copy(RunDir() + "/Resources/Assets", path + "/Resources/Assets", fs::copy_options::recursive);
}

void AgeFile(const std::string& path, int seconds) {
  timeval now{};
  gettimeofday(&now, nullptr);
  now.tv_sec -= seconds;
  const timeval times[2] = {now, now};
  lutimes(path.c_str(), times);
}

SDL_Event KeyDown(SDL_Keycode key, Uint16 mod, bool repeat) {
  SDL_Event event{};
  event.type = SDL_KEYDOWN;
  event.key.state = SDL_PRESSED;
  event.key.repeat = repeat ? 1 : 0;
  event.key.keysym.sym = key;
  event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
  event.key.keysym.mod = mod;
  return event;
}

SDL_Event KeyUp(SDL_Keycode key) {
  SDL_Event event{};
  event.type = SDL_KEYUP;
  event.key.state = SDL_RELEASED;
  event.key.keysym.sym = key;
  event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
  return event;
}

SDL_Color PixelAt(int x, int y) {
  SDL_Rect rect{x, y, 1, 1};
  Uint32 pixel = 0;
  SDL_RenderReadPixels(gRenderer, &rect, SDL_PIXELFORMAT_ARGB8888, &pixel, 4);
  return SDL_Color{static_cast<Uint8>(pixel >> 16), static_cast<Uint8>(pixel >> 8),
                   static_cast<Uint8>(pixel), 255};
}

std::multiset<Mix_Chunk*> PlayingChunks() {
  std::multiset<Mix_Chunk*> chunks;
  int channels = Mix_AllocateChannels(-1);
  for (int channel = 0; channel < channels; ++channel) {
    if (Mix_Playing(channel)) chunks.insert(Mix_GetChunk(channel));
  }
  return chunks;
}

void ClearWindow() {
  SDL_SetRenderDrawColor(gRenderer, 0, 0, 0, 255);
  SDL_RenderClear(gRenderer);
}

bool AnyLitPixel(int x, int y, int w, int h) {
  std::vector<Uint32> pixels(static_cast<size_t>(w) * h);
  SDL_Rect rect{x, y, w, h};
  SDL_RenderReadPixels(gRenderer, &rect, SDL_PIXELFORMAT_ARGB8888, pixels.data(), w * 4);
  for (Uint32 p : pixels)
    if ((p & 0xFFFFFF) != 0) return true;
  return false;
}

CaptureStdout::CaptureStdout() {
  std::fflush(stdout);
  char pattern[] = "/tmp/ilsmark-stdout-XXXXXX";
  int fd = mkstemp(pattern);
  file = pattern;
  savedFd = dup(STDOUT_FILENO);
  dup2(fd, STDOUT_FILENO);
  close(fd);
}

std::string CaptureStdout::Text() {
  if (!done) {
    std::fflush(stdout);
    dup2(savedFd, STDOUT_FILENO);
    close(savedFd);
    done = true;
  }
  std::ifstream in(file);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

CaptureStdout::~CaptureStdout() {
  Text();
  std::remove(file.c_str());
}

}  // namespace harness
