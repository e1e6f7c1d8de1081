#include "TextSource.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "ContentError.h"

TextSource SplitText(const std::string& name, const std::string& text) {
  TextSource source;
  source.name = name;
  std::istringstream stream(text);
  std::string raw;
  int number = 0;
  while (std::getline(stream, raw)) {
    ++number;
    const size_t comment = raw.find('#');
    if (comment != std::string::npos) raw.erase(comment);
    TextLine line;
    line.number = number;
    std::istringstream words(raw);  // whitespace includes the CR of a CR LF line end
    std::string word;
    while (words >> word) line.words.push_back(word);
    if (!line.words.empty()) source.lines.push_back(std::move(line));
  }
  return source;
}

TextSource ReadTextSource(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw ContentError(path, 0, "cannot open the file for reading");
  std::ostringstream text;
  text << file.rdbuf();
  return SplitText(path, text.str());
}

double ParseNumber(const TextSource& source, const TextLine& line, const std::string& word,
                   double low, double high) {
  const char* begin = word.c_str();
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(begin, &end);
  if (end == begin || *end != '\0' || errno != 0 || !std::isfinite(value)) {
    throw ContentError(source.name, line.number, "'" + word + "' is not a number");
  }
  if (value < low || value > high) {
    std::ostringstream message;
    message << "'" << word << "' is outside the range " << low << " to " << high;
    throw ContentError(source.name, line.number, message.str());
  }
  return value;
}

int ParseInteger(const TextSource& source, const TextLine& line, const std::string& word, int low,
                 int high) {
  const char* begin = word.c_str();
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(begin, &end, 10);
  if (end == begin || *end != '\0' || errno != 0) {
    throw ContentError(source.name, line.number, "'" + word + "' is not a whole number");
  }
  if (value < low || value > high) {
    throw ContentError(source.name, line.number,
                       "'" + word + "' is outside the range " + std::to_string(low) + " to " +
                           std::to_string(high));
  }
  return static_cast<int>(value);
}

void ExpectArguments(const TextSource& source, const TextLine& line, size_t count) {
  const size_t given = line.words.size() - 1;
  if (given != count) {
    throw ContentError(source.name, line.number,
                       "'" + line.words[0] + "' takes " + std::to_string(count) + " value" +
                           (count == 1 ? "" : "s") + ", found " + std::to_string(given));
  }
}
