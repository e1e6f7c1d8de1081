#include "Judge.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "RouteRun.h"
#include "Touchdown.h"
#include "actors/Door.h"
#include "app/GameInstance.h"
#include "base/Rules.h"
#include "game/Game.h"

namespace {
constexpr double kCoinWorth = 1000.0;  // tiles of map distance one needed coin is worth
constexpr double kHealthWeight = 0.5;  // tiles per point of health lost
constexpr double kStepCost = 0.002;   // tiles per step, so that of two equal moves the shorter wins
constexpr double kKillWorth = 150.0;  // tiles per enemy gone: shot, it can no longer hurt or block
constexpr double kWon = 1e12;
// Pixels: a move ends in the same place within this much, on one floor. A
// person sees where the player stopped; a route cannot, so its places are
// kept this close whatever the timing.
constexpr float kSamePlace = 48.0f;
}  // namespace

Judge::Judge(const std::vector<std::string>& lines, int plannedGold, size_t enemiesAtStart)
    : reach(lines), plannedGold(plannedGold), enemiesAtStart(enemiesAtStart) {
  for (int r = 0; r < static_cast<int>(lines.size()); ++r)
    for (int c = 0; c < static_cast<int>(lines[r].size()); ++c)
      if (lines[r][c] == 'E') enemyStarts.push_back({c, r});
}

bool Judge::NearEnemyStart(int column, int row) const {
  return std::any_of(enemyStarts.begin(), enemyStarts.end(), [&](const auto& start) {
    return NearCell(start.first, start.second, column, row);
  });
}

bool Judge::FeetCell(const Player& hero, int& column, int& row) const {
  FeetCellOf(hero, column, row);
  return reach.StandingCell(column, row);
}

// Every coin still needed weighs kCoinWorth, plus the way through the best
// next coin on to the door, or the way to the door once the gold is there.
// Only the level's own coins count: a route must not hang on what an enemy
// drops.
double Judge::Remaining(RouteRun& run) {
  int column = 0;
  int row = 0;
  if (!FeetCell(run.Hero(), column, row)) return LevelReach::kUnreachable;
  const Level& level = *run.instance.game->level;
  const int doorColumn = static_cast<int>(level.door->x) / rules::kTileSize;
  const int doorRow = static_cast<int>(level.door->y) / rules::kTileSize;
  const int missing = plannedGold - run.PlacedGold();
  const int coinsNeeded = std::max(0, (missing + rules::kGoldPerCoin - 1) / rules::kGoldPerCoin);
  if (coinsNeeded == 0) return reach.CellDistance(column, row, doorColumn, doorRow);
  double best = LevelReach::kUnreachable;
  for (const PickupItem* coin : run.PlacedCoins()) {
    const int coinColumn = coin->x / rules::kTileSize;
    const int coinRow = coin->y / rules::kTileSize;
    int coinStand = coinRow;
    const double onward = reach.StandingCell(coinColumn, coinStand)
                              ? reach.CellDistance(coinColumn, coinStand, doorColumn, doorRow)
                              : LevelReach::kUnreachable;
    best = std::min(best, reach.CoinDistance(column, row, coinColumn, coinRow) +
                              std::min(onward, LevelReach::kUnreachable / 2));
  }
  return kCoinWorth * (coinsNeeded - 1) + std::min(best, kCoinWorth);
}

double Judge::Score(RouteRun& run) {
  const int steps = run.StepsRun();
  if (run.DoorEntered()) return kWon - steps;
  if (!run.Alive()) return MoveEnd::kLost;
  const double killed = static_cast<double>(enemiesAtStart - run.instance.game->enemies.size());
  return -Remaining(run) - kHealthWeight * (rules::kFullHealth - run.Hero().health) -
         kStepCost * steps + kKillWorth * killed;
}

MoveEnd Judge::Look(RouteRun& run, bool rested, int steps) {
  MoveEnd end;
  end.won = run.DoorEntered();
  end.rested = rested;
  end.steps = steps;
  end.score = end.won || rested ? Score(run) : MoveEnd::kLost;
  if (run.instance.game->level) end.enemies = static_cast<int>(run.instance.game->enemies.size());
  if (run.Alive()) {
    end.alive = true;
    end.x = run.Hero().x;
    end.y = run.Hero().y;
    end.health = run.Hero().health;
    end.placedGold = run.PlacedGold();
    FeetCell(run.Hero(), end.column, end.row);
  }
  return end;
}

bool Judge::SamePlace(const MoveEnd& plan, const MoveEnd& variant) const {
  if (plan.won) return variant.won;
  return variant.alive && variant.rested && std::fabs(variant.y - plan.y) < 1.0f &&
         std::fabs(variant.x - plan.x) <= kSamePlace && variant.row == plan.row &&
         reach.OneFloor(plan.column, variant.column, plan.row) && variant.health >= plan.health &&
         variant.placedGold >= plan.placedGold && variant.enemies <= plan.enemies;
}
