// The level check's file rules for the shipped levels: the format every
// level file must follow, and where enemies may start. Whether a level can
// be finished is the game's own reach model (level/LevelReach.h).

#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "level/LevelReach.h"

namespace level_check {

using Cell = LevelReach::Cell;

constexpr int kMinColumns = 40;          // narrowest level we ship
constexpr int kMinRows = 23;             // lowest level we ship: one window high, rounded up
constexpr long long kMaxCells = 250000;  // the game refuses bigger levels
constexpr int kEnemyStartColumns = 6;    // no enemy may start this close to the player's start
constexpr int kEnemyStartRows = 3;

// The level file's lines: split at line feeds, a carriage return before a line
// feed dropped, a line feed at the very end not making an extra line.
inline std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  bool pending = false;
  for (char ch : text) {
    if (ch == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      line.clear();
      pending = false;
    } else {
      line += ch;
      pending = true;
    }
  }
  if (pending) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// Every broken format rule, one message each naming the level, row and column.
inline std::vector<std::string> FormatProblems(const std::string& name,
                                               const std::vector<std::string>& lines) {
  std::vector<std::string> problems;
  auto at = [&](int r, int c) {
    return name + " row " + std::to_string(r) + " column " + std::to_string(c) + ": ";
  };
  if (lines.empty()) {
    problems.push_back(name + ": the file has no lines");
    return problems;
  }
  const int columns = static_cast<int>(lines[0].size());
  const int rows = static_cast<int>(lines.size());
  if (columns < kMinColumns)
    problems.push_back(name + ": " + std::to_string(columns) + " columns, fewer than " +
                       std::to_string(kMinColumns));
  if (rows < kMinRows)
    problems.push_back(name + ": " + std::to_string(rows) + " rows, fewer than " +
                       std::to_string(kMinRows));
  if (static_cast<long long>(columns) * rows > kMaxCells)
    problems.push_back(name + ": " + std::to_string(static_cast<long long>(columns) * rows) +
                       " cells, more than the game loads");
  int starts = 0;
  int doors = 0;
  const std::string codes = "WPSDEIC.";
  for (int r = 0; r < rows; ++r) {
    const std::string& line = lines[r];
    if (static_cast<int>(line.size()) != columns) {
      problems.push_back(name + " row " + std::to_string(r) + ": " + std::to_string(line.size()) +
                         " characters, the first line has " + std::to_string(columns));
    }
    for (int c = 0; c < static_cast<int>(line.size()); ++c) {
      char ch = line[c];
      if (codes.find(ch) == std::string::npos) {
        problems.push_back(at(r, c) + "'" + std::string(1, ch) + "' is not a cell code");
      }
      if (ch == 'S') ++starts;
      if (ch == 'D') ++doors;
      bool edge = r == 0 || c == 0 || c == columns - 1;
      if (edge && ch != 'W') problems.push_back(at(r, c) + "the edge must be a wall");
    }
    if (static_cast<int>(line.size()) < columns && r > 0)
      problems.push_back(at(r, columns - 1) + "the edge must be a wall");
  }
  if (starts != 1) problems.push_back(name + ": " + std::to_string(starts) + " 'S' cells, not 1");
  if (doors != 1) problems.push_back(name + ": " + std::to_string(doors) + " 'D' cells, not 1");
  return problems;
}

// Enemy cells too close to the start: every kind must give the player a
// moment before the first fight.
inline std::vector<Cell> EnemiesNearStart(const std::vector<std::string>& lines) {
  Cell start{-1, -1};
  std::vector<Cell> enemies, near;
  for (int r = 0; r < static_cast<int>(lines.size()); ++r)
    for (int c = 0; c < static_cast<int>(lines[r].size()); ++c) {
      if (lines[r][c] == 'S') start = {c, r};
      if (lines[r][c] == 'E') enemies.push_back({c, r});
    }
  for (const Cell& e : enemies)
    if (std::abs(e.c - start.c) < kEnemyStartColumns && std::abs(e.r - start.r) < kEnemyStartRows)
      near.push_back(e);
  return near;
}

}  // namespace level_check
