#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kSampleRate = 22050;  // samples per second per channel, for every game sound

// Sound in memory: interleaved float samples, nominally within [-1, 1].
struct SoundBuffer {
  int channels = 1;            // 1 mono, 2 stereo (left, right)
  std::vector<float> samples;  // frames * channels, interleaved

  size_t Frames() const { return samples.size() / static_cast<size_t>(channels); }
};

// Encodes audio as a 16-bit PCM RIFF WAVE at kSampleRate. Samples are
// rounded to the nearest 16-bit step and limited to full scale.
std::vector<uint8_t> EncodeWav(const SoundBuffer& audio);

// What a decoded WAV header says, for tests and checks.
struct WavInfo {
  int channels = 0;
  int sampleRate = 0;
  int bitsPerSample = 0;
  std::vector<int16_t> samples;  // interleaved
};
// Reads back a 16-bit PCM WAV written by EncodeWav; throws std::runtime_error otherwise.
WavInfo DecodeWav(const std::vector<uint8_t>& bytes);
