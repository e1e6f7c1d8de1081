// Fuzzes the sprite-list and effects-list readers with arbitrary list files.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzSupport.h"
#include "audio/Audio.h"
#include "gfx/AnimationSet.h"

namespace {
constexpr size_t kMaxBytes = 4096;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxBytes) return 0;
  fuzz::SetUp();
  fuzz::WriteFile("Resources/Data/FuzzSpriteList.txt", data, size);
  auto frames = LoadAnimationSet(fuzz::Renderer(), "Resources/Data/FuzzSpriteList.txt");
  if (frames.empty()) std::abort();  // an actor always has a frame to show
  fuzz::WriteFile("Resources/Data/FXList.txt", data, size);
  Audio audio;
  audio.PlaySound("Pickup.WAV");
  audio.SetVolumes(50, 50);
  return 0;
}
