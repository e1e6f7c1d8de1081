#include "audio/SoundEffect.h"

#include <utility>

SoundEffect::SoundEffect(std::string name, Mix_Chunk* chunk) : name(std::move(name)), chunk(chunk) {}

SoundEffect::~SoundEffect() {
  if (chunk) Mix_FreeChunk(chunk);
}
