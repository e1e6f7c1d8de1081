#pragma once

#include <SDL_mixer.h>

#include <string>

// One named effect: the effects-list line and the sample loaded from it.
class SoundEffect {
 public:
  SoundEffect(std::string name, Mix_Chunk* chunk);
  // Frees the chunk.
  ~SoundEffect();
  SoundEffect(const SoundEffect&) = delete;
  SoundEffect& operator=(const SoundEffect&) = delete;

  std::string name;             // the line as read; the key for PlaySound
  Mix_Chunk* chunk = nullptr;   // owned; null when the file did not load
};
