#pragma once

#include <malloc.h>

#include <cstddef>
#include <cstdio>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
#define ILSMARK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ILSMARK_ASAN 1
#endif
#endif

#ifdef ILSMARK_ASAN
// From the sanitizer runtime (its headers do not come with every compiler).
extern "C" size_t __sanitizer_get_current_allocated_bytes(void);
extern "C" int __lsan_do_recoverable_leak_check(void);
#endif

namespace harness {

// True in the sanitizer build, where LeakSanitizer can be asked for a check.
constexpr bool kLeakCheckAvailable =
#ifdef ILSMARK_ASAN
    true;
#else
    false;
#endif

// Bytes the program has allocated and not yet freed, from the allocator
// itself: exact, unlike the resident size, which pages and caches blur.
inline size_t HeapInUse() {
#ifdef ILSMARK_ASAN
  return __sanitizer_get_current_allocated_bytes();
#else
  struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
#endif
}

// A line of /proc/self/status in kilobytes ("VmRSS", "VmHWM"); 0 if unknown.
inline long StatusKilobytes(const char* field) {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (!status) return 0;
  char line[256];
  long value = 0;
  const size_t length = std::strlen(field);
  while (std::fgets(line, sizeof line, status)) {
    if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
      std::sscanf(line + length + 1, "%ld", &value);
      break;
    }
  }
  std::fclose(status);
  return value;
}

// Runs LeakSanitizer now; true when it found leaks (it prints them). False,
// and nothing done, outside the sanitizer build.
inline bool LeaksFound() {
#ifdef ILSMARK_ASAN
  return __lsan_do_recoverable_leak_check() != 0;
#else
  return false;
#endif
}

}  // namespace harness
