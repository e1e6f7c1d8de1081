#include "ContentError.h"

namespace {

std::string Describe(const std::string& file, int line, const std::string& message) {
  if (line > 0) return file + ":" + std::to_string(line) + ": " + message;
  return file + ": " + message;
}

}  // namespace

ContentError::ContentError(const std::string& file, int line, const std::string& message)
    : std::runtime_error(Describe(file, line, message)), file(file), line(line), message(message) {}
