#pragma once

#include <cstddef>
#include <string>
#include <vector>

// A content file split into numbered lines of words. '#' starts a comment
// that runs to the end of the line; blank and comment-only lines are dropped.
// Both LF and CR LF line ends are accepted.
struct TextLine {
  int number = 0;                  // 1-based line number in the file
  std::vector<std::string> words;  // whitespace-separated, never empty
};

struct TextSource {
  std::string name;             // the file name used in error messages
  std::vector<TextLine> lines;  // meaningful lines in file order
};

// Splits text (the whole file) into lines of words; name is kept for messages.
TextSource SplitText(const std::string& name, const std::string& text);
// Reads and splits the file at path; throws ContentError when it cannot be read.
TextSource ReadTextSource(const std::string& path);

// Word parsing that reports faults against line. Each throws ContentError
// naming source.name and line.number when the word is not a number or lies
// outside [low, high].
double ParseNumber(const TextSource& source, const TextLine& line, const std::string& word,
                   double low, double high);
int ParseInteger(const TextSource& source, const TextLine& line, const std::string& word, int low,
                 int high);
// Throws ContentError unless line has exactly count words after its keyword.
void ExpectArguments(const TextSource& source, const TextLine& line, size_t count);

// A keyword that sets one number of an object, within a range.
template <typename Object>
struct NumberSetting {
  const char* keyword;
  double Object::*field;
  double low;
  double high;
};

// Sets the number that line gives when its keyword is one of settings; false
// when it is none of them.
template <typename Object, size_t N>
bool ParseNumberSetting(const TextSource& source, const TextLine& line,
                        const NumberSetting<Object> (&settings)[N], Object& object) {
  for (const NumberSetting<Object>& setting : settings) {
    if (line.words[0] != setting.keyword) continue;
    ExpectArguments(source, line, 1);
    object.*setting.field = ParseNumber(source, line, line.words[1], setting.low, setting.high);
    return true;
  }
  return false;
}
