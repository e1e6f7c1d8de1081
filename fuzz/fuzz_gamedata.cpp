// Fuzzes the save file: reads and writes over arbitrary file contents, and
// checks that a write keeps every line and is read back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "FuzzSupport.h"
#include "frontend/GameData.h"

namespace {
constexpr size_t kMaxBytes = 1 << 16;

std::string Contents() {
  std::ifstream in("Resources/Data/GameData.txt", std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxBytes) return 0;
  fuzz::SetUp();
  fuzz::WriteFile("Resources/Data/GameData.txt", data, size);
  const char* keys[] = {"Music", "FX", "Level Reached", "Level0 Score", "Level9 Time"};
  for (const char* key : keys) {
    int value = 12345;
    ReadValue(key, value);
  }
  const int written = static_cast<int>(size) - 77;
  WriteValue("Music", written);
  int readBack = -999;
  ReadValue("Music", readBack);
  // When the key is in the file its first value line now holds what was written.
  std::string after = Contents();
  bool hasKey = after.rfind("Music\n", 0) == 0 || after.find("\nMusic\n") != std::string::npos;
  if (hasKey && readBack != written) std::abort();
  if (!after.empty() && after.back() != '\n') std::abort();
  return 0;
}
