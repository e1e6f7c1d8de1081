#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// Little-endian byte packing for the file writers, and whole-file output.

inline void PutU16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xff));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

inline uint16_t GetU16(const std::vector<uint8_t>& in, size_t at) {
  if (at + 2 > in.size()) throw std::runtime_error("read past the end of the data");
  return static_cast<uint16_t>(in[at] | (in[at + 1] << 8));
}

inline uint32_t GetU32(const std::vector<uint8_t>& in, size_t at) {
  if (at + 4 > in.size()) throw std::runtime_error("read past the end of the data");
  return static_cast<uint32_t>(in[at]) | (static_cast<uint32_t>(in[at + 1]) << 8) |
         (static_cast<uint32_t>(in[at + 2]) << 16) | (static_cast<uint32_t>(in[at + 3]) << 24);
}

// Writes bytes to path through a temporary file renamed into place, so a
// failed run never leaves a half-written asset that looks up to date.
// Throws std::runtime_error when the file cannot be written.
void WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes);
// Reads a whole file; throws std::runtime_error when it cannot be read.
std::vector<uint8_t> ReadWholeFile(const std::string& path);
