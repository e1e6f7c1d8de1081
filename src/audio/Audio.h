#pragma once

#include <SDL_mixer.h>

#include <memory>
#include <vector>

#include "audio/SoundEffect.h"

// The music (a looping chunk on its own channel) and the named effects of
// "Resources/Data/FXList.txt". When the device cannot be opened, failed is
// set and the owner throws the object away: the game runs silent.
class Audio {
 public:
  // Opens the device, loads the music and every listed effect, starts the music.
  Audio();
  // Frees the music and every effect; the device stays open.
  ~Audio();
  Audio(const Audio&) = delete;
  Audio& operator=(const Audio&) = delete;

  // Plays the first effect whose name equals name exactly; unknown names do nothing.
  void PlaySound(const char* name);
  // Sets the music chunk's volume and every effect's volume (SDL_mixer scale 0-128).
  void SetVolumes(int musicVolume, int effectsVolume);

  Mix_Chunk* music = nullptr;  // owned; null when Music.WAV did not load
  std::vector<std::unique_ptr<SoundEffect>> effects;
  bool failed = false;
};
