#include "audio/Audio.h"

#include <cstdio>
#include <string>

#include "base/LineReader.h"

namespace {
constexpr int kSampleRate = 22050;     // samples per second
constexpr Uint16 kFormat = AUDIO_S16LSB;
constexpr int kChannels = 2;           // stereo
constexpr int kMixBuffer = 1536;       // samples per mixing buffer
constexpr int kAnyChannel = -1;        // first free mixing channel
constexpr int kLoopForever = -1;
constexpr int kPlayOnce = 0;
constexpr int kNoTimeLimit = -1;

const char* const kMusicPath = "Resources/Assets/Music.WAV";
const char* const kEffectsListPath = "Resources/Data/FXList.txt";
const char* const kAssetsFolder = "Resources/Assets/";

// The loader closes the stream; a file that cannot be opened gives a null
// stream, which the loader refuses, leaving a null chunk that plays nothing.
Mix_Chunk* LoadChunk(const std::string& path) {
  Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromFile(path.c_str(), "rb"), 1);
  if (!chunk) std::printf("Sound '%s' not loaded: %s\n", path.c_str(), SDL_GetError());
  return chunk;
}
}  // namespace

Audio::Audio() {
  if (Mix_OpenAudio(kSampleRate, kFormat, kChannels, kMixBuffer) == -1) {
    std::printf("Error: %s, Audio failed. Returning.", SDL_GetError());
    std::fflush(stdout);
    failed = true;
    return;
  }
  Mix_HaltMusic();

  music = LoadChunk(kMusicPath);

  LineReader list(kEffectsListPath);
  std::string line;
  // Every line is an entry, empty ones and duplicates included: the line is
  // both the file name and the name the effect is played by.
  while (list.Next(line)) {
    Mix_Chunk* chunk = LoadChunk(kAssetsFolder + line);
    effects.push_back(std::make_unique<SoundEffect>(line, chunk));
  }
  if (effects.empty()) {
    std::printf("Effects list '%s' %s; the game plays no effects.\n", kEffectsListPath,
                list.IsOpen() ? "names no effects" : "cannot be read");
  }

  // The music is a chunk looping on a channel of its own for the whole run.
  if (music) Mix_PlayChannelTimed(kAnyChannel, music, kLoopForever, kNoTimeLimit);
}

Audio::~Audio() {
  // Mix_FreeChunk halts any channel still playing the chunk it frees. The
  // device stays open: the process ends right after.
  if (music) Mix_FreeChunk(music);
  effects.clear();
}

void Audio::PlaySound(const char* name) {
  if (!name) return;
  for (const auto& effect : effects) {
    if (effect->name == name) {
      // Only the first entry of a name plays, even when it did not load.
      if (effect->chunk) Mix_PlayChannelTimed(kAnyChannel, effect->chunk, kPlayOnce, kNoTimeLimit);
      return;
    }
  }
}

void Audio::SetVolumes(int musicVolume, int effectsVolume) {
  if (music) Mix_VolumeChunk(music, musicVolume);
  for (const auto& effect : effects) {
    if (effect->chunk) Mix_VolumeChunk(effect->chunk, effectsVolume);
  }
}
