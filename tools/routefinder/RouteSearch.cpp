#include "RouteSearch.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <queue>
#include <random>
#include <set>
#include <tuple>
#include <vector>

#include "Copies.h"
#include "Move.h"
#include "PersonModel.h"
#include "RouteRun.h"
#include "actors/Door.h"
#include "app/GameInstance.h"
#include "base/Rules.h"
#include "game/Game.h"
#include "level/LevelReach.h"

namespace {
// --- Judging an end state. ---
constexpr double kCoinWorth = 1000.0;  // tiles of map distance one needed coin is worth
constexpr double kHealthWeight = 0.5;  // tiles per point of health lost
constexpr double kStepCost = 0.002;  // tiles per step, so that of two equal moves the shorter wins
constexpr double kKillWorth = 4.0;   // tiles per enemy gone: it can no longer hurt
constexpr double kWon = 1e12;
// The route plans for one coin more than the door asks, so that a coin a
// person's timing misses on the way does not keep the door shut.
constexpr int kSpareCoins = 1;
constexpr int kWarmupSteps = 2;  // the game's warm-up: keys are read from the second step

// --- A move a person can repeat. ---
// Pixels: a move ends in the same place within this much, on one floor. A
// person sees where the player stopped; a route cannot, so its places are
// kept this close whatever the timing.
constexpr float kSamePlace = 48.0f;
constexpr size_t kMaxCornerKeys = 4;  // moves with more keys try kRandomCorners of the corners
constexpr int kRandomCorners = 16;
constexpr int kMaxLead = 600;       // steps a move may wait for the pace of a person
constexpr int kReactionSteps = 10;  // a person sees the player stop before the next move

// The standing cell under the middle of the player's feet.
bool FeetCell(const Player& hero, LevelReach& graph, int& column, int& row) {
  const Sprite* box = hero.CurrentFrame();
  column = static_cast<int>((hero.x + static_cast<float>(box->width) / 2.0f) / rules::kTileSize);
  row = static_cast<int>((hero.y + static_cast<float>(box->height - 1)) / rules::kTileSize);
  return graph.StandingCell(column, row);
}

// How far the state is from the door with enough gold, in map tiles: every
// coin still needed weighs kCoinWorth, plus the way through the best next coin
// on to the door, or the way to the door once the gold is there. Only the
// level's own coins count: a route must not hang on what an enemy drops.
double Remaining(RouteRun& run, LevelReach& graph, int plannedGold) {
  const Player& hero = run.Hero();
  int column = 0;
  int row = 0;
  if (!FeetCell(hero, graph, column, row)) return LevelReach::kUnreachable;
  const Level& level = *run.instance.game->level;
  const int doorColumn = static_cast<int>(level.door->x) / rules::kTileSize;
  const int doorRow = static_cast<int>(level.door->y) / rules::kTileSize;
  const int missing = plannedGold - run.PlacedGold();
  const int coinsNeeded = std::max(0, (missing + rules::kGoldPerCoin - 1) / rules::kGoldPerCoin);
  if (coinsNeeded == 0) return graph.CellDistance(column, row, doorColumn, doorRow);
  double best = LevelReach::kUnreachable;
  for (const PickupItem* coin : run.PlacedCoins()) {
    const int coinColumn = coin->x / rules::kTileSize;
    const int coinRow = coin->y / rules::kTileSize;
    int coinStand = coinRow;
    double onward = graph.StandingCell(coinColumn, coinStand)
                        ? graph.CellDistance(coinColumn, coinStand, doorColumn, doorRow)
                        : LevelReach::kUnreachable;
    best = std::min(best, graph.CoinDistance(column, row, coinColumn, coinRow) +
                              std::min(onward, LevelReach::kUnreachable / 2));
  }
  return kCoinWorth * (coinsNeeded - 1) + std::min(best, kCoinWorth);
}

struct Judge {
  LevelReach graph;
  int plannedGold = 0;  // the door's ask and the spare coins
  size_t enemiesAtStart = 0;

  // Higher is better: the door, or alive and near it with the gold in hand.
  double Score(RouteRun& run) {
    const int steps = run.StepsRun();
    if (run.DoorEntered()) return kWon - steps;
    if (!run.Alive()) return MoveEnd::kLost;
    const double killed = static_cast<double>(enemiesAtStart - run.instance.game->enemies.size());
    return -Remaining(run, graph, plannedGold) - kHealthWeight * (100 - run.Hero().health) -
           kStepCost * steps + kKillWorth * killed;
  }
};

// Where the player may stand at a choice, given how the moves before it may
// have come out: the leftmost and the rightmost of those places.
struct Spread {
  float leftX = 0.0f, leftY = 0.0f;
  float rightX = 0.0f, rightY = 0.0f;

  void Take(const MoveEnd& end) {
    if (end.x < leftX) {
      leftX = end.x;
      leftY = end.y;
    }
    if (end.x > rightX) {
      rightX = end.x;
      rightY = end.y;
    }
  }
};

// Whether a try of a move with its timing moved came out as the planned one:
// the door both times, or alive and at rest in the same place (on the same
// stretch of floor, not far apart), with no more health lost and none of the
// coins the plan took missed.
bool SamePlace(const MoveEnd& plan, const MoveEnd& variant, const LevelReach& graph) {
  if (plan.won) return variant.won;
  return variant.alive && variant.rested && std::fabs(variant.y - plan.y) < 1.0f &&
         std::fabs(variant.x - plan.x) <= kSamePlace && variant.row == plan.row &&
         graph.OneFloor(plan.column, variant.column, plan.row) && variant.health >= plan.health &&
         variant.placedGold >= plan.placedGold;
}

// A place the search has reached or may reach: the move that leads there
// from its parent, how it came out as planned, and, once opened (the move
// found repeatable and played), the keys from the level start and where the
// player may stand.
struct Node {
  int parent = -1;  // index of the node the move starts from; -1 for the start
  int move = -1;
  int lead = 0;  // idle steps before the move's first key, for the pace of a person
  MoveEnd plan;
  bool opened = false;
  bool refused = false;  // a route through it failed with a person's timing error
  int step = 0;          // steps from the level start, once opened
  int lateness = 0;      // steps the move may come to rest later than planned
  std::vector<RouteEvent> events;
  Spread spread;
};

// Places that count as the same for the search: the standing cell and the
// gold from the level's own coins.
using PlaceKey = std::tuple<int, int, int>;

PlaceKey KeyOf(const MoveEnd& end) { return {end.column, end.row, end.placedGold}; }

// Best-first search over the places a person can reach: the most promising
// place not yet opened is opened next, by playing the move that leads to it
// once it has proved repeatable, and every move is tried from it.
class Search {
 public:
  Search(const SearchOptions& options, GameInstance& instance)
      : options(options), game(*instance.game), run(instance), moves(AllMoves()) {}

  // Searches until the door or the deadline; false when the level cannot be started.
  bool Run(std::chrono::steady_clock::time_point deadline) {
    if (!run.Start(options.level, options.seed) || !game.level->door) return false;
    judge = std::make_unique<Judge>(Judge{LevelReach(game.level->lines),
                                          run.GoldNeeded() + kSpareCoins * rules::kGoldPerCoin,
                                          game.enemies.size()});
    for (int i = 0; i < kWarmupSteps; ++i) run.Step();
    PlayMove(run, Move{}, Timing{});  // the player falls onto the floor under the start

    Node start;
    start.opened = true;
    start.step = run.StepsRun();
    start.events = run.Log();
    start.plan = Look(true, 0);
    start.spread = Spread{start.plan.x, start.plan.y, start.plan.x, start.plan.y};
    nodes.push_back(start);
    seen.insert(KeyOf(start.plan));
    current = 0;
    Expand(0);
    while (std::chrono::steady_clock::now() < deadline && !frontier.empty() && winner < 0) {
      const int next = frontier.top().second;
      frontier.pop();
      if (nodes[next].plan.score <= MoveEnd::kLost || nodes[next].refused ||
          nodes[nodes[next].parent].refused || seen.count(KeyOf(nodes[next].plan)))
        continue;
      if (!Open(next)) continue;
      if (winner < 0) {
        Expand(next);
        continue;
      }
      const int fragile = FirstFragileNode(winner);
      if (fragile >= 0) Refuse(fragile);
    }
    deepest = winner >= 0 ? winner : BestOpened();
    return true;
  }

  // The keys of the route found, or of the most promising place reached.
  Route Keys() const { return KeysTo(deepest); }
  bool DoorEntered() const { return winner >= 0; }

 private:
  Route KeysTo(int node) const {
    const Node& end = nodes[node];
    Route route;
    route.level = options.level;
    route.seed = options.seed;
    route.steps = end.step;
    // Key changes after the last step (letting go at the end) are not needed.
    for (const RouteEvent& event : end.events) {
      if (event.step < route.steps) route.events.push_back(event);
    }
    return route;
  }

  // Replays the route to end with every key moved at random by a person's
  // timing error (seeds 1 to kCheckedTimings); returns -1 when every replay
  // finishes the level, or else the place where a failed replay left the
  // plan for good: the first it did not come to as planned after the last it
  // did (the last it reached, when it came to every one before the door).
  int FirstFragileNode(int end) {
    std::vector<int> chain;  // the places of the route, first to last
    for (int n = end; n > 0; n = nodes[n].parent) chain.push_back(n);
    std::reverse(chain.begin(), chain.end());
    const Route route = KeysTo(end);
    current = -1;
    for (unsigned seed = 1; seed <= static_cast<unsigned>(kCheckedTimings); ++seed) {
      const Route moved = Jittered(route, seed, person::kTimingErrorSteps);
      run.Start(options.level, options.seed);
      size_t looked = 0;  // places of the chain looked at
      int stray = -1;     // where it left the plan and has not come back
      // A place is looked at just before the next move's earliest key.
      auto look = [&] {
        if (looked + 1 >= chain.size() || run.StepsRun() >= moved.steps || run.Over() ||
            run.StepsRun() != nodes[chain[looked]].step + nodes[chain[looked + 1]].lead -
                                  person::kTimingErrorSteps - 1)
          return true;
        const MoveEnd now = Look(true, 0);
        if (SamePlace(nodes[chain[looked]].plan, now, judge->graph)) {
          stray = -1;  // back on the plan: what strayed before did no harm
        } else if (stray < 0) {
          stray = chain[looked];
          LogStray(seed, nodes[stray].plan, now);
        }
        ++looked;
        return true;
      };
      size_t next = 0;
      run.PlayEvents(moved.events, next, moved.steps, look);
      if (!run.DoorEntered() || run.LastPlayer().placedGold < run.GoldNeeded())
        return stray >= 0 ? stray : chain[looked];
    }
    return -1;
  }

  void LogStray(unsigned seed, const MoveEnd& plan, const MoveEnd& found) const {
    if (!options.verbose) return;
    std::fprintf(stderr,
                 "timing seed %u, step %d: the player was %s at (%.0f, %.0f) with %d gold, the "
                 "plan had (%.0f, %.0f) with %d\n",
                 seed, run.StepsRun(), found.alive ? "alive" : "dead", found.x, found.y,
                 found.placedGold, plan.x, plan.y, plan.placedGold);
  }

  // Gives up the place fragile, the other moves from its parent that end
  // there too, and every place reached through them, so that the search
  // finds another way there and on.
  void Refuse(int fragile) {
    const Node& given = nodes[fragile];
    for (size_t i = static_cast<size_t>(given.parent) + 1; i < nodes.size(); ++i) {
      Node& node = nodes[i];
      const bool sameLanding = node.parent == given.parent && KeyOf(node.plan) == KeyOf(given.plan);
      if (!sameLanding && !nodes[node.parent].refused) continue;
      node.refused = true;
      if (node.opened) seen.erase(KeyOf(node.plan));
    }
    if (options.verbose)
      std::fprintf(stderr, "refused %s from step %d: a replay with a person's timing went astray\n",
                   moves[given.move].name.c_str(), nodes[given.parent].step);
    winner = -1;
  }

  // Plays move in this process with timing, from start when given, and reports.
  MoveEnd Try(const Move& move, const Timing& timing,
              std::optional<std::pair<float, float>> start) {
    if (start) {
      game.player->x = start->first;
      game.player->y = start->second;
    }
    const int rest = PlayMove(run, move, timing);
    return Look(rest >= 0, rest);
  }

  // The game as it stands now, as the end of a move that took steps.
  MoveEnd Look(bool rested, int steps) {
    MoveEnd end;
    end.won = run.DoorEntered();
    end.rested = rested;
    end.steps = steps;
    end.score = end.won || rested ? judge->Score(run) : MoveEnd::kLost;
    if (run.Alive()) {
      end.alive = true;
      end.x = run.Hero().x;
      end.y = run.Hero().y;
      end.health = run.Hero().health;
      end.placedGold = run.PlacedGold();
      FeetCell(run.Hero(), judge->graph, end.column, end.row);
    }
    return end;
  }

  // Brings the game to node's place by playing its keys from the level start.
  bool Restore(int node) {
    if (current == node) return true;
    current = -1;
    if (!run.Rewind(options.level, options.seed, nodes[node].step, nodes[node].events))
      return false;
    current = node;
    return true;
  }

  // Proves the move into node repeatable from its parent and plays it.
  bool Open(int index) {
    const Node candidate = nodes[index];
    if (!Restore(candidate.parent)) return false;
    spread = nodes[candidate.parent].spread;
    Spread reach;
    int lateness = 0;
    if (!Repeatable(candidate, reach, lateness)) return false;
    PlayMove(run, moves[candidate.move], Timing{candidate.lead, {}});
    Node& node = nodes[index];
    node.opened = true;
    node.step = run.StepsRun();
    node.events = run.Log();
    node.spread = reach;
    node.lateness = lateness;
    current = index;
    seen.insert(KeyOf(node.plan));
    if (run.DoorEntered()) winner = index;
    Log(node);
    return true;
  }

  // Tries every move from node's place in a copy and queues where each ends.
  void Expand(int parent) {
    judge->Score(run);  // fills the map's distance tables before the copies need them
    std::vector<Node> children;
    std::vector<std::function<MoveEnd()>> trials;
    for (size_t m = 0; m < moves.size(); ++m) {
      Node child;
      child.parent = parent;
      child.move = static_cast<int>(m);
      child.lead = Lead(moves[m], nodes[parent].lateness);
      children.push_back(child);
      trials.push_back([this, move = &moves[m], lead = child.lead] {
        return Try(*move, Timing{lead, {}}, std::nullopt);
      });
    }
    std::vector<MoveEnd> ends =
        RunInCopies(trials, options.jobs, [](const MoveEnd&) { return true; });
    for (size_t m = 0; m < moves.size(); ++m) {
      if (ends[m].score <= MoveEnd::kLost || seen.count(KeyOf(ends[m]))) continue;
      children[m].plan = ends[m];
      nodes.push_back(children[m]);
      frontier.push({ends[m].score, static_cast<int>(nodes.size()) - 1});
    }
  }

  // True when move's keys, begun lead steps from now, keep a person's pace
  // after the keys already sent.
  bool KeepsPace(const Move& move, int lead) const {
    const int start = run.StepsRun() + lead;
    for (const MoveKey& key : move.keys) {
      const int at = start + key.at;
      for (auto it = run.Log().rbegin(); it != run.Log().rend(); ++it) {
        if (it->key != key.key) continue;
        if (at - it->step < person::kMinGapSteps) return false;
        break;
      }
      int inWindow = 0;
      for (const RouteEvent& event : run.Log())
        inWindow += event.step > at - person::kWindowSteps ? 1 : 0;
      for (const MoveKey& other : move.keys)
        inWindow += start + other.at > at - person::kWindowSteps && other.at <= key.at ? 1 : 0;
      if (inWindow > person::kMaxEventsPerWindow) return false;
    }
    return true;
  }

  // The idle steps before move's first key: a person's reaction after the
  // latest the move before may have come to rest, or longer for the pace.
  int Lead(const Move& move, int lateness) const {
    int lead = kReactionSteps + lateness;
    while (lead < kMaxLead && !KeepsPace(move, lead)) ++lead;
    return lead;
  }

  // The timings at the edge of a person's timing error: every key change
  // moved by the whole error one way or the other, in each combination (the
  // longest and the shortest holds, the earliest and the latest jumps).
  std::vector<Timing> Corners(const Node& candidate) const {
    const size_t keys = moves[candidate.move].keys.size();
    auto corner = [&](auto late) {
      Timing timing{candidate.lead, {}};
      for (size_t i = 0; i < keys; ++i)
        timing.shifts.push_back(late(i) ? person::kTimingErrorSteps : -person::kTimingErrorSteps);
      return timing;
    };
    std::vector<Timing> timings;
    if (keys <= kMaxCornerKeys) {
      for (size_t bits = 0; bits < (size_t{1} << keys); ++bits)
        timings.push_back(corner([bits](size_t i) { return (bits >> i & 1) != 0; }));
      return timings;
    }
    std::mt19937 random(static_cast<unsigned>(run.StepsRun() * 131 + candidate.move));
    for (int k = 0; k < kRandomCorners; ++k)
      timings.push_back(corner([&random](size_t) { return (random() & 1) != 0; }));
    return timings;
  }

  // Each key change alone moved by every amount within the timing error.
  std::vector<Timing> SingleShifts(const Node& candidate) const {
    const size_t keys = moves[candidate.move].keys.size();
    std::vector<Timing> timings;
    for (size_t i = 0; i < keys; ++i) {
      for (int shift = -person::kTimingErrorSteps; shift <= person::kTimingErrorSteps; ++shift) {
        if (shift == 0) continue;
        Timing timing{candidate.lead, std::vector<int>(keys, 0)};
        timing.shifts[i] = shift;
        timings.push_back(timing);
      }
    }
    return timings;
  }

  // Tries the candidate at the corners of the timing error, then as planned
  // from the far ends of where the player may stand, then with each key alone
  // moved; true when every try comes out as planned, with where they ended in
  // reach and how much later than planned the last came to rest. The
  // likeliest to go wrong are tried first.
  bool Repeatable(const Node& candidate, Spread& reach, int& lateness) {
    const Move& move = moves[candidate.move];
    using Start = std::optional<std::pair<float, float>>;
    std::vector<Start> starts{std::nullopt};
    for (auto place : {std::make_pair(spread.leftX, spread.leftY),
                       std::make_pair(spread.rightX, spread.rightY)}) {
      if (place.first != game.player->x || place.second != game.player->y) starts.push_back(place);
    }
    std::vector<std::function<MoveEnd()>> trials;
    std::vector<std::string> names;  // what each try changes, for the log
    auto add = [&](const Timing& timing, const Start& start) {
      trials.push_back([this, &move, timing, start] { return Try(move, timing, start); });
      std::string name = start ? "from x " + std::to_string(start->first) : "from here";
      if (!timing.shifts.empty()) name += ", keys moved";
      for (int shift : timing.shifts) name += " " + std::to_string(shift);
      names.push_back(name);
    };
    for (const Timing& timing : Corners(candidate)) add(timing, std::nullopt);
    for (size_t s = 1; s < starts.size(); ++s) add(Timing{candidate.lead, {}}, starts[s]);
    for (const Timing& timing : SingleShifts(candidate)) add(timing, std::nullopt);
    bool same = true;
    std::vector<MoveEnd> ends = RunInCopies(trials, options.jobs, [&](const MoveEnd& end) {
      return same = same && SamePlace(candidate.plan, end, judge->graph);
    });
    if (!same) {
      const size_t failed =
          static_cast<size_t>(std::find_if(ends.begin(), ends.end(),
                                           [&](const MoveEnd& end) {
                                             return !SamePlace(candidate.plan, end, judge->graph);
                                           }) -
                              ends.begin());
      if (options.why && failed < ends.size()) LogRefusal(candidate, names[failed], ends[failed]);
      return false;
    }
    reach = Spread{candidate.plan.x, candidate.plan.y, candidate.plan.x, candidate.plan.y};
    lateness = 0;
    for (const MoveEnd& end : ends) {
      reach.Take(end);
      lateness = std::max(lateness, end.steps - candidate.plan.steps);
    }
    return true;
  }

  // The opened place with the best score: where a failed search got to.
  int BestOpened() const {
    int best = 0;
    for (size_t i = 0; i < nodes.size(); ++i) {
      if (nodes[i].opened && nodes[i].plan.score > nodes[best].plan.score)
        best = static_cast<int>(i);
    }
    return best;
  }

  void LogRefusal(const Node& candidate, const std::string& how, const MoveEnd& end) const {
    std::fprintf(stderr,
                 "  refused %s from step %d: planned (%.0f, %.0f) health %d gold %d; %s ends "
                 "%s at (%.0f, %.0f) health %d gold %d\n",
                 moves[candidate.move].name.c_str(), nodes[candidate.parent].step, candidate.plan.x,
                 candidate.plan.y, candidate.plan.health, candidate.plan.placedGold, how.c_str(),
                 end.won     ? "through the door"
                 : end.alive ? (end.rested ? "resting" : "moving")
                             : "dead",
                 end.x, end.y, end.health, end.placedGold);
  }

  void Log(const Node& node) const {
    if (!options.verbose) return;
    std::fprintf(stderr,
                 "opened %zu of %zu: step %d, %s (lead %d) from step %d: score %.1f at (%.0f, "
                 "%.0f) cell (%d, %d) spread %.0f..%.0f late %d placed gold %d health %d\n",
                 seen.size(), nodes.size(), node.step, moves[node.move].name.c_str(), node.lead,
                 nodes[node.parent].step, node.plan.score, node.plan.x, node.plan.y,
                 node.plan.column, node.plan.row, node.spread.leftX, node.spread.rightX,
                 node.lateness, node.plan.placedGold, node.plan.health);
  }

  const SearchOptions& options;
  Game& game;
  RouteRun run;
  const std::vector<Move> moves;
  std::unique_ptr<Judge> judge;
  std::vector<Node> nodes;
  std::priority_queue<std::pair<double, int>> frontier;  // (score, node), best first
  std::set<PlaceKey> seen;                               // places opened
  int current = -1;  // the node whose place the game is at, or -1
  Spread spread;     // where the player may stand at the node being opened
  int winner = -1;   // the node through the door
  int deepest = 0;   // the node the route ends at
};
}  // namespace

bool SearchRoute(const SearchOptions& options, GameInstance& instance, Route& route) {
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            std::chrono::duration<double>(options.seconds));
  Search search(options, instance);
  if (!search.Run(deadline)) return false;
  route = search.Keys();
  return search.DoorEntered();
}
