#include "base/LineReader.h"

LineReader::LineReader(const std::string& path) { file = std::fopen(path.c_str(), "rb"); }

LineReader::~LineReader() {
  if (file) std::fclose(file);
}

bool LineReader::Next(std::string& line) {
  line.clear();
  if (!file) return false;
  int ch = std::fgetc(file);
  if (ch == EOF) return false;
  while (ch != EOF && ch != '\n') {
    line.push_back(static_cast<char>(ch));
    ch = std::fgetc(file);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}
