#include "gfx/AnimationSet.h"

#include <cstdio>

#include "base/LineReader.h"

namespace {
const char* const kAssetsFolder = "Resources/Assets/";
}  // namespace

std::vector<std::unique_ptr<Sprite>> LoadAnimationSet(SDL_Renderer* renderer,
                                                      const std::string& listPath) {
  std::vector<std::unique_ptr<Sprite>> frames;
  LineReader reader(listPath);
  std::string line;
  // Each line is a frame, taken whole: names may hold blanks, and an empty
  // line is a frame whose path is the bare folder (it fails to load).
  while (reader.Next(line)) frames.push_back(std::make_unique<Sprite>(renderer, kAssetsFolder + line));

  if (frames.empty()) {
    // Every actor reads its current frame for drawing, movement and overlap,
    // so it gets one frame that draws nothing and has no size.
    std::printf("Sprite list '%s' names no frames; the actor is invisible.\n", listPath.c_str());
    frames.push_back(std::make_unique<Sprite>(renderer, kAssetsFolder));
  }
  return frames;
}
