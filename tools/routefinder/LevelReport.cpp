#include "LevelReport.h"

#include <algorithm>
#include <cstdio>

namespace {
double Median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

std::string Percent(double share) {
  char text[16];
  std::snprintf(text, sizeof text, "%.0f%%", 100.0 * share);
  return text;
}

struct Column {
  const char* title;
  std::string (*value)(const LevelRow&);
};

std::string Text(const char* format, double value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

const Column kColumns[] = {
    {"level", [](const LevelRow& r) { return std::to_string(r.level + 1); }},
    {"routes",
     [](const LevelRow& r) { return std::to_string(r.finished) + "/" + std::to_string(r.routes); }},
    {"time s", [](const LevelRow& r) { return Text("%.1f", r.seconds); }},
    {"keys/s", [](const LevelRow& r) { return Text("%.2f", r.keyChangesPerSecond); }},
    {"error",
     [](const LevelRow& r) {
       return r.tolerance < 0 ? std::string("-") : "±" + std::to_string(r.tolerance);
     }},
    {"black med", [](const LevelRow& r) { return Percent(r.blackMedian); }},
    {"black max", [](const LevelRow& r) { return Percent(r.blackMax); }},
    {"top black", [](const LevelRow& r) { return Percent(r.topBlackMedian); }},
    {"climb", [](const LevelRow& r) { return Percent(r.climbingShare); }},
    {"run", [](const LevelRow& r) { return std::to_string(r.longestRun); }},
    {"shots", [](const LevelRow& r) { return std::to_string(r.shots); }},
    {"ammo",
     [](const LevelRow& r) {
       return r.ammoBeforeShooting < 0 ? std::string("-") : std::to_string(r.ammoBeforeShooting);
     }},
    {"kills", [](const LevelRow& r) { return std::to_string(r.fewestKills); }},
    {"health", [](const LevelRow& r) { return std::to_string(r.health); }},
    {"gold/needed",
     [](const LevelRow& r) { return std::to_string(r.gold) + "/" + std::to_string(r.goldNeeded); }},
    {"unseen", [](const LevelRow& r) { return std::to_string(r.unseenLandings); }},
    {"near enemy", [](const LevelRow& r) { return std::to_string(r.landingsNearEnemies); }},
    {"away", [](const LevelRow& r) { return Percent(r.awayShare); }},
};
}  // namespace

LevelRow Summarise(int level, const std::vector<RouteFigures>& figures, int tolerance) {
  LevelRow row;
  row.level = level;
  row.routes = static_cast<int>(figures.size());
  row.tolerance = tolerance;
  if (figures.empty()) return row;
  std::vector<double> black, topBlack;
  int arrowSteps = 0;
  int awaySteps = 0;
  row.fewestKills = figures.front().killsByShots;
  row.health = figures.front().health;
  row.gold = figures.front().gold;
  row.goldNeeded = figures.front().goldNeeded;
  for (const RouteFigures& f : figures) {
    row.finished += f.finished ? 1 : 0;
    row.totalSeconds += f.Seconds();
    row.climbingSeconds += f.ClimbingSeconds();
    row.keyChangesPerSecond += f.keyChangesPerSecond / figures.size();
    black.insert(black.end(), f.black.begin(), f.black.end());
    topBlack.insert(topBlack.end(), f.topBlack.begin(), f.topBlack.end());
    row.longestRun = std::max(row.longestRun, f.LongestRun());
    row.shots += f.shots;
    if (f.ammoBeforeShooting >= 0 &&
        (row.ammoBeforeShooting < 0 || f.ammoBeforeShooting < row.ammoBeforeShooting))
      row.ammoBeforeShooting = f.ammoBeforeShooting;
    row.fewestKills = std::min(row.fewestKills, f.killsByShots);
    row.health = std::min(row.health, f.health);
    row.gold = std::min(row.gold, f.gold);
    row.unseenLandings += f.UnseenLandings();
    row.landingsNearEnemies += f.LandingsNearEnemies();
    arrowSteps += f.arrowSteps;
    awaySteps += f.awaySteps;
  }
  row.seconds = row.totalSeconds / figures.size();
  row.blackMedian = Median(black);
  row.blackMax = black.empty() ? 0.0 : *std::max_element(black.begin(), black.end());
  row.topBlackMedian = Median(topBlack);
  row.climbingShare = row.totalSeconds > 0.0 ? row.climbingSeconds / row.totalSeconds : 0.0;
  row.awayShare = arrowSteps > 0 ? static_cast<double>(awaySteps) / arrowSteps : 0.0;
  return row;
}

std::string FormatReport(const std::vector<LevelRow>& rows, bool markdown) {
  std::vector<std::vector<std::string>> cells;
  std::vector<std::string> header;
  for (const Column& column : kColumns) header.push_back(column.title);
  cells.push_back(header);
  for (const LevelRow& row : rows) {
    std::vector<std::string> line;
    for (const Column& column : kColumns) line.push_back(column.value(row));
    cells.push_back(line);
  }
  // All levels together: the median of the medians, the summed climbing.
  std::vector<double> medians;
  double climbing = 0.0, total = 0.0;
  for (const LevelRow& row : rows) {
    medians.push_back(row.blackMedian);
    climbing += row.climbingSeconds;
    total += row.totalSeconds;
  }
  std::vector<std::string> all(header.size(), "");
  all[0] = "all";
  all[5] = Percent(Median(medians)) + " (median)";
  all[8] = Percent(total > 0.0 ? climbing / total : 0.0);
  cells.push_back(all);

  std::vector<size_t> widths(header.size(), 0);
  for (const auto& line : cells)
    for (size_t i = 0; i < line.size(); ++i) widths[i] = std::max(widths[i], line[i].size());
  std::string text;
  for (size_t l = 0; l < cells.size(); ++l) {
    for (size_t i = 0; i < cells[l].size(); ++i) {
      std::string cell = cells[l][i];
      if (!markdown) cell.resize(widths[i] + 2, ' ');
      text += markdown ? "| " + cell + " " : cell;
    }
    text += markdown ? "|\n" : "\n";
    if (markdown && l == 0) {
      for (size_t i = 0; i < header.size(); ++i) text += "|---";
      text += "|\n";
    }
  }
  return text;
}
