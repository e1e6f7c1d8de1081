#pragma once

#include <stdexcept>
#include <string>

// A fault in a content file: which file, which line (0 when the fault is in
// the file as a whole) and what is wrong. what() reads "file:line: message",
// the form editors and build logs turn into a link.
class ContentError : public std::runtime_error {
 public:
  ContentError(const std::string& file, int line, const std::string& message);

  std::string file;
  int line = 0;
  std::string message;
};
