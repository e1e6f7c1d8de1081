#include "RouteSearch.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "LevelGraph.h"
#include "RouteRun.h"
#include "actors/Door.h"
#include "game/Game.h"

namespace {
// --- Moves. ---
constexpr int kWarmupSteps = 2;       // the game's warm-up: keys are read from the second step
constexpr float kRunSpeedCap = 3.0f;  // pixels per step; faster runs overshoot every ledge
constexpr int kShootSteps = 60;       // X held: two or three shots at the game's shot rate
constexpr int kSettleLimit = 300;     // steps a move may take to come to rest
constexpr float kRestVerticalSpeed = 1.0f;  // pixels per second: the landing bounce has died down

// --- Judging an end state. ---
constexpr double kCoinWorth = 1000.0;  // tiles of map distance one needed coin is worth
constexpr double kHealthWeight = 0.5;  // tiles per point of health lost
constexpr double kRevisitCost = 0.7;   // tiles per earlier stop in the same cell
constexpr double kStepCost = 0.002;  // tiles per step, so that of two equal moves the shorter wins
constexpr double kKillWorth = 4.0;   // tiles per enemy gone: it can no longer hurt
constexpr double kWon = 1e12;
constexpr double kLost = -1e12;
constexpr int kGoldPerCoin = 10;
constexpr int kTileSize = 32;

// --- Going back. ---
constexpr int kStallLimit = 25;  // choices without a new best state before going back
constexpr int kMaxRank = 6;      // how far down the ranking a choice may be retried

enum class Action { None, Jump, Drop, Shoot, Wait };

struct Move {
  int direction = 0;  // -1 left, 0 none, 1 right
  int runSteps = 0;   // direction held before the action
  Action action = Action::None;
  int afterSteps = 0;  // direction held after the action (or idle steps for Wait)
};

std::vector<Move> AllMoves() {
  std::vector<Move> moves;
  for (int direction : {-1, 1}) {
    for (int run : {6, 16, 32, 60}) moves.push_back({direction, run, Action::None, 0});
    for (int run : {0, 12, 30}) {
      for (int after : {0, 12, 30, 60, 120}) moves.push_back({direction, run, Action::Jump, after});
    }
    for (int after : {0, 20}) moves.push_back({direction, 0, Action::Drop, after});
    moves.push_back({direction, 1, Action::Shoot, 0});
  }
  moves.push_back({0, 0, Action::Jump, 0});
  moves.push_back({0, 0, Action::Drop, 0});
  moves.push_back({0, 0, Action::Wait, 30});
  moves.push_back({0, 0, Action::Wait, 90});
  return moves;
}

// The running game with a log of every key change it was sent.
class Driver {
 public:
  Driver(Game& game, Menu& menu, Input& input, int& playing)
      : game(game), run(game, menu, input, playing) {}

  bool Start(int level, unsigned seed) {
    events.clear();
    std::fill(std::begin(held), std::end(held), false);
    return run.Start(level, seed);
  }
  void Set(RouteKey key, bool down) {
    bool& state = held[static_cast<int>(key)];
    if (state == down) return;
    state = down;
    run.Send(key, down);
    events.push_back({run.StepsRun(), down, key});
  }
  void Step() { run.Step(); }
  void Tap(RouteKey key) {
    Set(key, true);
    Step();
    Set(key, false);
  }
  bool Finished() const { return run.Over() || !Alive(); }
  bool Alive() const { return game.player && !game.player->dead; }
  const Player& Hero() const { return *game.player; }

  Game& game;
  RouteRun run;
  std::vector<RouteEvent> events;
  bool held[5] = {};
};

// Holds direction for steps steps, letting go whenever the run is at the cap.
void Hold(Driver& driver, int direction, int steps) {
  const RouteKey key = direction < 0 ? RouteKey::Left : RouteKey::Right;
  const RouteKey other = direction < 0 ? RouteKey::Right : RouteKey::Left;
  driver.Set(other, false);
  for (int i = 0; i < steps && !driver.Finished(); ++i) {
    const Player& hero = driver.Hero();
    const float speed = direction < 0 ? hero.leftSpeed : hero.rightSpeed;
    driver.Set(key, speed < kRunSpeedCap);
    driver.Step();
  }
  driver.Set(key, false);
}

bool AtRest(const Player& hero, float previousY) {
  return hero.leftSpeed <= 0.0f && hero.rightSpeed <= 0.0f &&
         std::fabs(hero.verticalSpeed) < kRestVerticalSpeed && hero.y == previousY;
}

void Settle(Driver& driver) {
  for (RouteKey key : {RouteKey::Left, RouteKey::Right, RouteKey::Shoot}) driver.Set(key, false);
  for (int i = 0; i < kSettleLimit && !driver.Finished(); ++i) {
    float before = driver.Hero().y;
    driver.Step();
    if (driver.Finished() || AtRest(driver.Hero(), before)) return;
  }
}

void Perform(Driver& driver, const Move& move) {
  if (move.direction != 0) Hold(driver, move.direction, move.runSteps);
  if (driver.Finished()) return;
  switch (move.action) {
    case Action::Jump:
      driver.Tap(RouteKey::Jump);
      break;
    case Action::Drop:
      driver.Tap(RouteKey::Down);
      break;
    case Action::Shoot:
      driver.Set(RouteKey::Shoot, true);
      for (int i = 0; i < kShootSteps && !driver.Finished(); ++i) driver.Step();
      driver.Set(RouteKey::Shoot, false);
      break;
    case Action::Wait:
      for (int i = 0; i < move.afterSteps && !driver.Finished(); ++i) driver.Step();
      break;
    case Action::None:
      break;
  }
  if (move.direction != 0 && move.action != Action::Wait && !driver.Finished())
    Hold(driver, move.direction, move.afterSteps);
  if (!driver.Finished()) Settle(driver);
}

// The standing cell under the middle of the player's feet.
bool FeetCell(const Player& hero, LevelGraph& graph, int& column, int& row) {
  const Sprite* box = hero.CurrentFrame();
  column = static_cast<int>((hero.x + static_cast<float>(box->width) / 2.0f) / kTileSize);
  row = static_cast<int>((hero.y + static_cast<float>(box->height - 1)) / kTileSize);
  return graph.StandingCell(column, row);
}

// How far the state is from the door with enough gold, in map tiles: every
// coin still needed weighs kCoinWorth, plus the way through the best next coin
// on to the door, or the way to the door once the gold is there. Taking the
// last coin needed thus never makes the state look worse.
double Remaining(Driver& driver, LevelGraph& graph, int neededGold) {
  const Player& hero = driver.Hero();
  int column = 0;
  int row = 0;
  if (!FeetCell(hero, graph, column, row)) return LevelGraph::kUnreachable;
  const Level& level = *driver.game.level;
  const int doorColumn = static_cast<int>(level.door->x) / kTileSize;
  const int doorRow = static_cast<int>(level.door->y) / kTileSize;
  const int coinsNeeded = std::max(0, (neededGold - hero.gold + kGoldPerCoin - 1) / kGoldPerCoin);
  if (coinsNeeded == 0) return graph.CellDistance(column, row, doorColumn, doorRow);
  double best = LevelGraph::kUnreachable;
  for (const auto& item : driver.game.pickups) {
    if (item->kind != 0 || item->collected) continue;
    const int coinColumn = item->x / kTileSize;
    const int coinRow = item->y / kTileSize;
    int coinStand = coinRow;
    double onward = graph.StandingCell(coinColumn, coinStand)
                        ? graph.CellDistance(coinColumn, coinStand, doorColumn, doorRow)
                        : LevelGraph::kUnreachable;
    best = std::min(best, graph.CoinDistance(column, row, coinColumn, coinRow) +
                              std::min(onward, LevelGraph::kUnreachable / 2));
  }
  return kCoinWorth * (coinsNeeded - 1) + std::min(best, kCoinWorth);
}

struct Judge {
  LevelGraph graph;
  int neededGold = 0;
  size_t enemiesAtStart = 0;
  std::map<std::pair<int, int>, int> stops;  // earlier stops per cell

  double Score(Driver& driver, int stepsTaken) {
    if (driver.run.DoorEntered()) return kWon - stepsTaken;
    if (!driver.Alive()) return kLost;
    const Player& hero = driver.Hero();
    int column = 0;
    int row = 0;
    double revisits = 0.0;
    if (FeetCell(hero, graph, column, row)) revisits = stops[{column, row}];
    const double killed = static_cast<double>(enemiesAtStart - driver.game.enemies.size());
    return -Remaining(driver, graph, neededGold) - kHealthWeight * (100 - hero.health) -
           kRevisitCost * revisits - kStepCost * stepsTaken + kKillWorth * killed;
  }
  void NoteStop(Driver& driver) {
    int column = 0;
    int row = 0;
    if (driver.Alive() && FeetCell(driver.Hero(), graph, column, row)) ++stops[{column, row}];
  }
};

// Plays move in a forked copy of the game and returns the end state's score.
double TryInCopy(Driver& driver, Judge& judge, const Move& move) {
  int channel[2];
  if (pipe(channel) != 0) return kLost;
  std::fflush(nullptr);
  pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    const int before = driver.run.StepsRun();
    Perform(driver, move);
    double score = judge.Score(driver, driver.run.StepsRun() - before);
    ssize_t written = write(channel[1], &score, sizeof score);
    _exit(written == sizeof score ? 0 : 1);
  }
  close(channel[1]);
  double score = kLost;
  if (child < 0 || read(channel[0], &score, sizeof score) != sizeof score) score = kLost;
  close(channel[0]);
  if (child > 0) waitpid(child, nullptr, 0);
  return score;
}

// One choice point: where the game stood, and the moves ranked best first.
struct Choice {
  int step = 0;
  size_t eventCount = 0;
  std::vector<std::pair<double, int>> ranked;  // (score, move index), best first
  int rank = 0;                                // the entry taken
};

// The search over one level: a chain of choices from the start, each the
// best-ranked move not yet found wanting.
class Search {
 public:
  Search(const SearchOptions& options, Game& game, Menu& menu, Input& input, int& playing)
      : options(options), game(game), driver(game, menu, input, playing), moves(AllMoves()) {}

  // Plays until the door or the deadline; false when the level cannot be started.
  bool Run(std::chrono::steady_clock::time_point deadline) {
    if (!driver.Start(options.level, options.seed) || !game.level->door) return false;
    judge = std::make_unique<Judge>(
        Judge{LevelGraph(game.level->lines), driver.run.GoldNeeded(), game.enemies.size(), {}});
    for (int i = 0; i < kWarmupSteps; ++i) driver.Step();
    while (std::chrono::steady_clock::now() < deadline && !driver.run.DoorEntered()) {
      Choice choice = retry >= 0 ? Reopen() : Rank();
      if (choice.ranked.empty()) return true;  // the replay to an earlier choice failed
      Take(choice);
      if (driver.run.DoorEntered()) break;
      NoteProgress();
      if (stall >= kStallLimit && !GoBack()) break;  // every choice tried
    }
    return true;
  }

  // The keys sent so far, up to the last step run.
  Route Keys() const {
    Route route;
    route.level = options.level;
    route.seed = options.seed;
    route.steps = driver.run.StepsRun();
    // Key changes after the last step (letting go at the end) are not needed.
    for (const RouteEvent& event : driver.events) {
      if (event.step < route.steps) route.events.push_back(event);
    }
    return route;
  }
  bool DoorEntered() const { return driver.run.DoorEntered(); }

 private:
  // Tries every move from here in a copy and ranks them.
  Choice Rank() {
    Choice choice;
    choice.step = driver.run.StepsRun();
    choice.eventCount = driver.events.size();
    judge->Score(driver, 0);  // fills the map's distance tables before the copies need them
    for (size_t m = 0; m < moves.size(); ++m)
      choice.ranked.push_back({TryInCopy(driver, *judge, moves[m]), static_cast<int>(m)});
    std::stable_sort(choice.ranked.begin(), choice.ranked.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    return choice;
  }

  // Goes back to choice retry and returns it with its next move.
  Choice Reopen() {
    Choice choice = choices[retry];
    choices.resize(retry);
    retry = -1;
    if (!Rewind(choice.step, choice.eventCount)) return Choice{};
    ++choice.rank;
    return choice;
  }

  // Plays the logged keys again from the level start up to step, so that the
  // game is back where the choice was made.
  bool Rewind(int step, size_t eventCount) {
    std::vector<RouteEvent> keep(driver.events.begin(),
                                 driver.events.begin() + static_cast<std::ptrdiff_t>(eventCount));
    if (!driver.Start(options.level, options.seed)) return false;
    size_t next = 0;
    while (driver.run.StepsRun() < step) {
      for (; next < keep.size() && keep[next].step == driver.run.StepsRun(); ++next)
        driver.Set(keep[next].key, keep[next].press);
      driver.Step();
    }
    for (; next < keep.size(); ++next) driver.Set(keep[next].key, keep[next].press);
    return true;
  }

  void Take(const Choice& choice) {
    const auto& taken = choice.ranked[choice.rank];
    Perform(driver, moves[taken.second]);
    choices.push_back(choice);
    if (!options.verbose) return;
    const Player* hero = game.player.get();
    std::fprintf(stderr,
                 "choice %zu step %d move %d rank %d score %.1f at (%.0f, %.0f) gold %d "
                 "health %d enemies %zu\n",
                 choices.size(), driver.run.StepsRun(), taken.second, choice.rank, taken.first,
                 hero ? hero->x : -1.0f, hero ? hero->y : -1.0f, hero ? hero->gold : -1,
                 hero ? hero->health : -1, game.enemies.size());
  }

  void NoteProgress() {
    if (!driver.Alive() || choices.back().ranked[choices.back().rank].first <= kLost) {
      stall = kStallLimit;  // every move dies here: go back at once
      return;
    }
    judge->NoteStop(driver);
    double now = -Remaining(driver, judge->graph, judge->neededGold);
    if (now > best) {
      best = now;
      bestChoices = static_cast<int>(choices.size());
      stall = 0;
    } else {
      ++stall;
    }
  }

  bool CanRetry(const Choice& choice) const {
    const int next = choice.rank + 1;
    return next < kMaxRank && next < static_cast<int>(choice.ranked.size()) &&
           choice.ranked[next].first > kLost;
  }

  // Picks the choice made right after the best state to be taken again, or an
  // earlier one when its ranking is used up; false when none is left.
  bool GoBack() {
    int index = std::min(bestChoices, static_cast<int>(choices.size()) - 1);
    while (index >= 0 && !CanRetry(choices[index])) --index;
    if (index < 0) return false;
    retry = index;
    best = kLost;
    bestChoices = index;
    stall = 0;
    return true;
  }

  const SearchOptions& options;
  Game& game;
  Driver driver;
  const std::vector<Move> moves;
  std::unique_ptr<Judge> judge;
  std::vector<Choice> choices;
  double best = kLost;
  int bestChoices = 0;  // how many choices led to the best state
  int stall = 0;        // choices since the best state
  int retry = -1;       // choice index to take again at its next rank, or -1
};
}  // namespace

bool SearchRoute(const SearchOptions& options, Game& game, Menu& menu, Input& input, int& playing,
                 Route& route) {
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            std::chrono::duration<double>(options.seconds));
  Search search(options, game, menu, input, playing);
  if (!search.Run(deadline)) return false;
  route = search.Keys();
  return search.DoorEntered();
}
