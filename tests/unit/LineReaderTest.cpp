#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/LineReader.h"
#include "harness/Harness.h"

namespace {
// Every line the reader gives for a file holding bytes, or for path alone.
std::vector<std::string> LinesOf(const std::string& bytes) {
  harness::TempRunFolder folder;
  folder.Write("list.txt", bytes);
  LineReader reader("list.txt");
  EXPECT_TRUE(reader.IsOpen());
  std::vector<std::string> lines;
  std::string line;
  while (reader.Next(line)) lines.push_back(line);
  // The end stays the end.
  EXPECT_FALSE(reader.Next(line));
  EXPECT_TRUE(line.empty());
  return lines;
}

using Lines = std::vector<std::string>;
}  // namespace

TEST(LineReader, LineFeedAndCarriageReturnLineFeedEndLines) {
  EXPECT_EQ(LinesOf("a\nbb\nccc\n"), (Lines{"a", "bb", "ccc"}));
  EXPECT_EQ(LinesOf("a\r\nbb\r\nccc\r\n"), (Lines{"a", "bb", "ccc"}));
  EXPECT_EQ(LinesOf("a\r\nbb\nccc\r\n"), (Lines{"a", "bb", "ccc"})) << "mixed endings";
}

TEST(LineReader, LastLineWithAndWithoutLineFeed) {
  EXPECT_EQ(LinesOf("one\ntwo"), (Lines{"one", "two"})) << "last line without a line feed";
  EXPECT_EQ(LinesOf("one\ntwo\n"), (Lines{"one", "two"})) << "no empty line after the last";
  EXPECT_EQ(LinesOf("one\r\ntwo\r\n"), (Lines{"one", "two"}));
  EXPECT_EQ(LinesOf("only"), (Lines{"only"}));
  EXPECT_EQ(LinesOf(""), Lines{}) << "an empty file has no lines";
}

TEST(LineReader, EmptyLinesAreLines) {
  EXPECT_EQ(LinesOf("\n"), (Lines{""}));
  EXPECT_EQ(LinesOf("a\n\nb\n"), (Lines{"a", "", "b"}));
  EXPECT_EQ(LinesOf("a\r\n\r\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(LinesOf("\n\n\n"), (Lines{"", "", ""}));
}

TEST(LineReader, BytesInsideALineAreKept) {
  EXPECT_EQ(LinesOf("a\rb\n"), (Lines{"a\rb"})) << "a lone carriage return inside a line";
  EXPECT_EQ(LinesOf("  padded name.bmp \n"), (Lines{"  padded name.bmp "})) << "no trimming";
  EXPECT_EQ(LinesOf(std::string("nul\0inside\n", 11)), (Lines{std::string("nul\0inside", 10)}));
  EXPECT_EQ(LinesOf("tab\there\n"), (Lines{"tab\there"}));
}

TEST(LineReader, MissingFileReadsAsEmpty) {
  harness::TempRunFolder folder;
  LineReader reader("Resources/Data/NoSuchFile.txt");
  EXPECT_FALSE(reader.IsOpen());
  std::string line = "left over";
  EXPECT_FALSE(reader.Next(line));
  EXPECT_TRUE(line.empty());
}

TEST(LineReader, LongLinesAreReadWhole) {
  std::string longLine(200000, 'x');
  EXPECT_EQ(LinesOf(longLine + "\r\nshort\n"), (Lines{longLine, "short"}));
}
