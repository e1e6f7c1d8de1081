#pragma once

#include <cstdio>
#include <string>

// Reads a text file line by line. Lines end at a line feed; a carriage
// return right before it is not part of the line. A last line without a
// line feed is still a line; a line feed at the very end adds no line.
class LineReader {
 public:
  // Opens path for reading; a file that cannot be opened reads as empty.
  explicit LineReader(const std::string& path);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // True when the file could be opened.
  bool IsOpen() const { return file != nullptr; }
  // Reads the next line into line (without its line break); false at the end.
  bool Next(std::string& line);

 private:
  std::FILE* file = nullptr;
};
