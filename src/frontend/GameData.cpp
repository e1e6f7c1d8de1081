#include "frontend/GameData.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "base/LineReader.h"

namespace {
const char* const kSavePath = "Resources/Data/GameData.txt";
const char* const kSaveFolder = "Resources/Data";
// mkstemp replaces the X's; the temporary lives next to the save so that
// rename() replaces it within one file system. The name is hidden and says
// what it is, so that no player's own copy of the save is ever taken for one.
const char* const kTempPattern = "Resources/Data/.GameData.txt.writing-XXXXXX";
// A temporary this old is a leftover of a write that was cut short: a write
// in progress, in this copy of the game or another, is far younger.
constexpr std::time_t kLeftoverAge = 60;  // seconds since its last change

// The characters mkstemp puts in place of the X's.
bool IsLetterOrDigit(char ch) {
  return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9');
}

// True when path is a name that mkstemp makes from the temporary pattern.
bool IsTemporaryName(const std::string& path) {
  const std::string pattern = kTempPattern;
  const size_t stem = pattern.find_last_not_of('X') + 1;
  if (path.size() != pattern.size() || path.compare(0, stem, pattern, 0, stem) != 0) return false;
  for (size_t at = stem; at < path.size(); ++at) {
    if (!IsLetterOrDigit(path[at])) return false;
  }
  return true;
}

// True when path is a plain file (not a link, not a folder) last changed
// more than kLeftoverAge ago.
bool IsStalePlainFile(const std::string& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  return std::time(nullptr) - status.st_mtime > kLeftoverAge;
}

// Holds an advisory lock on the save's folder for as long as it lives, so
// that two copies of the game never read, change and replace the save at
// the same time. Where the folder cannot be locked the write goes on
// without it, as it always did.
class SaveLock {
 public:
  SaveLock() : folder_(::open(kSaveFolder, O_RDONLY | O_DIRECTORY)) {
    if (folder_ < 0) return;
    while (::flock(folder_, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  ~SaveLock() {
    if (folder_ >= 0) ::close(folder_);  // closing releases the lock
  }
  SaveLock(const SaveLock&) = delete;
  SaveLock& operator=(const SaveLock&) = delete;

  // The folder's descriptor, or -1 when it could not be opened.
  int Folder() const { return folder_; }

 private:
  int folder_;
};

// The white space that formatted integer extraction skips.
bool IsBlank(char ch) {
  return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

// Reads a value line as formatted integer extraction does: leading white
// space, an optional sign, decimal digits, up to the first other character.
// False when there is no digit or the number does not fit in 32 bits.
bool ParseValue(const std::string& line, int& out) {
  size_t at = 0;
  while (at < line.size() && IsBlank(line[at])) ++at;
  bool negative = false;
  if (at < line.size() && (line[at] == '+' || line[at] == '-')) {
    negative = line[at] == '-';
    ++at;
  }
  // Accumulated as a magnitude in 64 bits; anything past INT_MIN's magnitude
  // is out of range, so the loop can stop growing the number there.
  constexpr std::int64_t kLimit = static_cast<std::int64_t>(INT_MAX) + 1;
  std::int64_t magnitude = 0;
  size_t digits = 0;
  for (; at < line.size() && line[at] >= '0' && line[at] <= '9'; ++at, ++digits) {
    if (magnitude <= kLimit) magnitude = magnitude * 10 + (line[at] - '0');
  }
  if (digits == 0) return false;
  if (negative ? magnitude > kLimit : magnitude > INT_MAX) return false;
  out = static_cast<int>(negative ? -magnitude : magnitude);
  return true;
}

// Splits the save's bytes into lines by the same rule as LineReader: a line
// ends at a line feed, a carriage return before it is dropped, and a last
// line without a line feed still counts.
std::vector<std::string> SplitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

// The whole save, or false when it exists but cannot be read to the end.
// A missing save reads as empty.
bool ReadWholeSave(std::string& bytes, std::string& problem) {
  bytes.clear();
  std::FILE* file = std::fopen(kSavePath, "rb");
  if (!file) {
    if (errno == ENOENT) return true;
    problem = std::strerror(errno);
    return false;
  }
  char buffer[1 << 16];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
  bool readError = std::ferror(file) != 0;
  int savedErrno = errno;
  std::fclose(file);
  if (readError) {
    problem = std::strerror(savedErrno);
    return false;
  }
  return true;
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(wrote);
  }
  return true;
}

// The permissions a freshly created save gets: what fopen would give it.
mode_t NewFileMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

// Writes text to a temporary file beside the save, flushes it to the disk
// and renames it over the save, so that the save on disk is at every moment
// either the old one or the new one in full; folder is the save's folder
// (or -1), synced after the rename. False (with the reason) when
// anything fails; the temporary is then removed and the old save stays.
bool ReplaceSave(const std::string& text, mode_t mode, int folder, std::string& problem) {
  std::vector<char> tempPath(kTempPattern, kTempPattern + std::strlen(kTempPattern) + 1);
  int fd = ::mkstemp(tempPath.data());
  if (fd < 0) {
    problem = std::strerror(errno);
    return false;
  }
  bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, text) && ::fsync(fd) == 0;
  if (!ok) problem = std::strerror(errno);
  if (::close(fd) != 0 && ok) {
    ok = false;
    problem = std::strerror(errno);
  }
  if (ok && std::rename(tempPath.data(), kSavePath) != 0) {
    ok = false;
    problem = std::strerror(errno);
  }
  if (!ok) {
    ::unlink(tempPath.data());
    return false;
  }
  // The rename itself is only durable once the folder is on the disk too.
  if (folder >= 0) ::fsync(folder);
  return true;
}
}  // namespace

void ReadValue(const char* key, int& out) {
  if (!key) return;
  LineReader reader(kSavePath);
  std::string line;
  while (reader.Next(line)) {
    if (line != key) continue;
    // Only the first occurrence counts, whether or not its value reads.
    int value = 0;
    if (reader.Next(line) && ParseValue(line, value)) out = value;
    return;
  }
}

void WriteValue(const char* key, const int& value) {
  if (!key) return;
  // Held from the read to the rename: another copy's write waits for ours.
  SaveLock lock;

  // --- The old save: refuse to touch one that we may not read or replace.
  struct stat status {};
  bool exists = ::stat(kSavePath, &status) == 0;
  if (exists && (!S_ISREG(status.st_mode) || ::access(kSavePath, R_OK | W_OK) != 0)) {
    std::printf("Save file '%s' cannot be opened for reading and writing; it is left unchanged.\n",
                kSavePath);
    return;
  }
  std::string bytes;
  std::string problem;
  if (!ReadWholeSave(bytes, problem)) {
    std::printf("Save file '%s' cannot be read (%s); it is left unchanged.\n", kSavePath,
                problem.c_str());
    return;
  }

  // --- The new text: every value line after the key is replaced, every
  // line ends with a line feed and reads back as the same line.
  std::vector<std::string> lines = SplitLines(bytes);
  std::string valueText = IntToText(value);
  std::string text;
  text.reserve(bytes.size() + valueText.size() + 2);
  for (size_t at = 0; at < lines.size(); ++at) {
    text += lines[at];
    // A line that still ends in a carriage return keeps the one the reader
    // drops, so that "Music\r" is not read back as the key "Music".
    if (!lines[at].empty() && lines[at].back() == '\r') text += '\r';
    text += '\n';
    if (lines[at] == key) {
      text += valueText;
      text += '\n';
      ++at;  // the old value line, if any, is dropped
    }
  }

  // --- Replace the file as a whole.
  mode_t mode = exists ? static_cast<mode_t>(status.st_mode & 07777) : NewFileMode();
  if (!ReplaceSave(text, mode, lock.Folder(), problem)) {
    std::printf("Save file '%s' could not be written (%s); the old save is kept.\n", kSavePath,
                problem.c_str());
  }
}

void RemoveLeftoverTemporaries() {
  namespace fs = std::filesystem;
  std::error_code error;
  std::error_code ignored;
  std::vector<fs::path> leftovers;
  for (fs::directory_iterator entry(kSaveFolder, error), end; !error && entry != end;
       entry.increment(error)) {
    // A plain file only: a link or a folder of that name is not the game's.
    const std::string path = entry->path().string();
    if (IsTemporaryName(path) && IsStalePlainFile(path)) {
      leftovers.push_back(entry->path());
    }
  }
  for (const fs::path& leftover : leftovers) fs::remove(leftover, ignored);
}

std::string IntToText(int value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%d", value);
  return buffer;
}
