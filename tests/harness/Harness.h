#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

#include <set>
#include <string>

// The headless harness: one real 1280x720 window with the software renderer,
// made once by the test main under SDL's dummy video and audio drivers.
namespace harness {

SDL_Window* Window();
SDL_Renderer* Renderer();

// The staged run folder of the build (executable, Resources/Assets, Resources/Data).
std::string RunDir();

// A private copy of the run folder for one test: Resources/Data is copied,
// Resources/Assets is linked. The working directory moves into it for the
// object's life and comes back afterwards; the copy is then removed.
class TempRunFolder {
 public:
  TempRunFolder();
  ~TempRunFolder();
  TempRunFolder(const TempRunFolder&) = delete;
  TempRunFolder& operator=(const TempRunFolder&) = delete;

  const std::string& Path() const { return path; }
  // Writes text to a file relative to the folder (for example "Resources/Data/Level0.txt").
  void Write(const std::string& relative, const std::string& text) const;
  // Reads a file relative to the folder; empty when missing.
  std::string Read(const std::string& relative) const;
  // Replaces the linked assets folder with a real copy, so a test may delete
  // or damage assets.
  void CopyAssets() const;

 private:
  std::string path;
  std::string previous;
};

// Dates a file's last change the given number of seconds back.
void AgeFile(const std::string& path, int seconds);

// Real SDL key events, as the shell would receive them.
SDL_Event KeyDown(SDL_Keycode key, Uint16 mod = KMOD_NONE, bool repeat = false);
SDL_Event KeyUp(SDL_Keycode key);

// The colour of one window pixel of what has been drawn so far.
SDL_Color PixelAt(int x, int y);
// Clears the window to black.
void ClearWindow();

// The chunks playing on the mixer's channels now, one entry per channel.
std::multiset<Mix_Chunk*> PlayingChunks();
// True when any pixel of the rectangle is not black.
bool AnyLitPixel(int x, int y, int w, int h);

// Captures stdout while alive; Text() returns what was printed.
class CaptureStdout {
 public:
  CaptureStdout();
  ~CaptureStdout();
  std::string Text();

 private:
  int savedFd = -1;
  std::string file;
  bool done = false;
};

}  // namespace harness
