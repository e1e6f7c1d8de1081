#include "Wav.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "ByteIo.h"

namespace {

constexpr uint16_t kBitsPerSample = 16;
constexpr uint16_t kFormatPcm = 1;
constexpr float kFullScale = 32767.0f;

void PutTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

bool TagAt(const std::vector<uint8_t>& in, size_t at, const char* tag) {
  return at + 4 <= in.size() && std::memcmp(&in[at], tag, 4) == 0;
}

}  // namespace

std::vector<uint8_t> EncodeWav(const SoundBuffer& audio) {
  const uint16_t channels = static_cast<uint16_t>(audio.channels);
  const uint16_t blockAlign = channels * (kBitsPerSample / 8);
  const uint32_t dataSize = static_cast<uint32_t>(audio.samples.size()) * (kBitsPerSample / 8);

  std::vector<uint8_t> out;
  out.reserve(44 + dataSize);
  PutTag(out, "RIFF");
  PutU32(out, 36 + dataSize);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  PutU32(out, 16);
  PutU16(out, kFormatPcm);
  PutU16(out, channels);
  PutU32(out, kSampleRate);
  PutU32(out, kSampleRate * blockAlign);  // bytes per second
  PutU16(out, blockAlign);
  PutU16(out, kBitsPerSample);
  PutTag(out, "data");
  PutU32(out, dataSize);
  for (float s : audio.samples) {
    const float scaled = std::clamp(s, -1.0f, 1.0f) * kFullScale;
    PutU16(out, static_cast<uint16_t>(static_cast<int16_t>(std::lround(scaled))));
  }
  return out;
}

WavInfo DecodeWav(const std::vector<uint8_t>& bytes) {
  if (!TagAt(bytes, 0, "RIFF") || !TagAt(bytes, 8, "WAVE")) {
    throw std::runtime_error("not a RIFF WAVE file");
  }
  WavInfo info;
  bool haveFormat = false;
  size_t at = 12;
  while (at + 8 <= bytes.size()) {
    const uint32_t size = GetU32(bytes, at + 4);
    const size_t body = at + 8;
    if (body + size > bytes.size()) throw std::runtime_error("WAV chunk runs past the end");
    if (TagAt(bytes, at, "fmt ")) {
      if (GetU16(bytes, body) != kFormatPcm) throw std::runtime_error("WAV is not PCM");
      info.channels = GetU16(bytes, body + 2);
      info.sampleRate = static_cast<int>(GetU32(bytes, body + 4));
      info.bitsPerSample = GetU16(bytes, body + 14);
      haveFormat = true;
    } else if (TagAt(bytes, at, "data")) {
      if (!haveFormat || info.bitsPerSample != kBitsPerSample) {
        throw std::runtime_error("WAV data before a 16-bit format chunk");
      }
      info.samples.resize(size / 2);
      for (size_t i = 0; i < info.samples.size(); ++i) {
        info.samples[i] = static_cast<int16_t>(GetU16(bytes, body + i * 2));
      }
      return info;
    }
    at = body + size + (size & 1);
  }
  throw std::runtime_error("WAV has no data chunk");
}
