#include "RouteSearch.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <queue>
#include <set>
#include <tuple>
#include <vector>

#include "Copies.h"
#include "Judge.h"
#include "Move.h"
#include "PersonModel.h"
#include "RepeatCheck.h"
#include "RouteRun.h"
#include "app/GameInstance.h"
#include "base/Rules.h"
#include "game/Game.h"

namespace {
// The route plans for one coin more than the door asks, so that a coin a
// person's timing misses on the way does not keep the door shut.
constexpr int kSpareCoins = 1;
constexpr int kWarmupSteps = 2;     // the game's warm-up: keys are read from the second step
constexpr int kMaxLead = 600;       // steps a move may wait for the pace of a person
constexpr int kReactionSteps = 10;  // a person sees the player stop before the next move

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
  PlaceRange range;  // where the player may stand once the move is made
};

// Places that count as the same for the search: the standing cell, the gold
// from the level's own coins and the enemies left (a shot that kills is
// progress even where the player stands still).
using PlaceKey = std::tuple<int, int, int, int>;

PlaceKey KeyOf(const MoveEnd& end) { return {end.column, end.row, end.placedGold, end.enemies}; }

// Best-first search over the places a person can reach: the most promising
// place not yet opened is opened next, by playing the move that leads to it
// once it has proved repeatable, and every move is tried from it.
class Search {
 public:
  Search(const SearchOptions& options, GameInstance& instance)
      : options(options),
        game(*instance.game),
        run(instance),
        moves(AllMoves(person::kMinHoldSteps + 2 * options.timingError)) {}

  // Searches until the door or the deadline; false when the level cannot be started.
  bool Run(std::chrono::steady_clock::time_point deadline) {
    if (!run.Start(options.level, options.seed) || !game.level->door) return false;
    judge = std::make_unique<Judge>(game.level->lines,
                                    run.GoldNeeded() + kSpareCoins * rules::kGoldPerCoin,
                                    game.enemies.size());
    check = std::make_unique<RepeatCheck>(run, *judge, moves, options.timingError, options.jobs);
    for (int i = 0; i < kWarmupSteps; ++i) run.Step();
    PlayMove(run, Move{}, Timing{});  // the player falls onto the floor under the start

    Node start;
    start.opened = true;
    start.step = run.StepsRun();
    start.events = run.Log();
    start.plan = judge->Look(run, true, 0);
    start.range = PlaceRange::At(start.plan);
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
      const Route moved = Jittered(route, seed, options.timingError);
      run.Start(options.level, options.seed);
      size_t looked = 0;  // places of the chain looked at
      int stray = -1;     // where it left the plan and has not come back
      // A place is looked at just before the next move's earliest key.
      auto look = [&] {
        if (looked + 1 >= chain.size() || run.StepsRun() >= moved.steps || run.Over() ||
            run.StepsRun() !=
                nodes[chain[looked]].step + nodes[chain[looked + 1]].lead - options.timingError - 1)
          return true;
        const MoveEnd now = judge->Look(run, true, 0);
        if (judge->SamePlace(nodes[chain[looked]].plan, now)) {
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
    PlaceRange reach;
    int lateness = 0;
    std::string refusal;
    if (!check->Repeatable(Candidate{candidate.move, candidate.lead, candidate.plan},
                           nodes[candidate.parent].range, reach, lateness, refusal)) {
      if (options.why) LogRefusal(candidate, refusal);
      return false;
    }
    PlayMove(run, moves[candidate.move], Timing{candidate.lead, {}});
    Node& node = nodes[index];
    node.opened = true;
    node.step = run.StepsRun();
    node.events = run.Log();
    node.range = reach;
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
    const Pace made = PaceSoFar();
    std::vector<Node> children;
    std::vector<std::function<MoveEnd()>> trials;
    for (size_t m = 0; m < moves.size(); ++m) {
      Node child;
      child.parent = parent;
      child.move = static_cast<int>(m);
      child.lead = Lead(made, moves[m], nodes[parent].lateness);
      children.push_back(child);
      trials.push_back([this, move = &moves[m], lead = child.lead] {
        return check->Try(*move, Timing{lead, {}}, std::nullopt);
      });
    }
    std::vector<MoveEnd> ends =
        RunInCopies(trials, options.jobs, [](const MoveEnd&) { return true; });
    for (size_t m = 0; m < moves.size(); ++m) {
      if (ends[m].score <= MoveEnd::kLost || seen.count(KeyOf(ends[m]))) continue;
      // A jump or a drop may not come down or come to rest beside an
      // enemy's start; after a kill (fewer enemies than before the move) it
      // is fair.
      const bool nearEnemy =
          judge->NearEnemyStart(ends[m].column, ends[m].row) ||
          (ends[m].landColumn >= 0 && judge->NearEnemyStart(ends[m].landColumn, ends[m].landRow));
      if (nearEnemy && ends[m].enemies >= nodes[parent].plan.enemies && !moves[m].keys.empty() &&
          Lands(moves[m]))
        continue;
      children[m].plan = ends[m];
      nodes.push_back(children[m]);
      frontier.push({ends[m].score, static_cast<int>(nodes.size()) - 1});
    }
  }

  // True when the move leaves the ground: a jump or a drop.
  static bool Lands(const Move& move) {
    return std::any_of(move.keys.begin(), move.keys.end(), [](const MoveKey& key) {
      return key.key == RouteKey::Jump || key.key == RouteKey::Down;
    });
  }

  // The pace of the key changes sent so far.
  Pace PaceSoFar() const {
    Pace pace;
    for (const RouteEvent& event : run.Log()) pace.Add(event);
    return pace;
  }

  // True when move's keys, begun lead steps from now, keep a person's pace
  // after the keys already made.
  bool KeepsPace(Pace pace, const Move& move, int lead) const {
    const int start = run.StepsRun() + lead;
    for (const MoveKey& key : move.keys) {
      if (!pace.Add(RouteEvent{start + key.at, key.press, key.key}).empty()) return false;
    }
    const int end = move.keys.empty() ? start : start + move.keys.back().at;
    return pace.AverageFault(end + 1).empty();
  }

  // The idle steps before move's first key: a person's reaction after the
  // latest the move before may have come to rest, or longer for the pace.
  int Lead(const Pace& made, const Move& move, int lateness) const {
    int lead = kReactionSteps + lateness;
    while (lead < kMaxLead && !KeepsPace(made, move, lead)) ++lead;
    return lead;
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

  void LogRefusal(const Node& candidate, const std::string& refusal) const {
    std::fprintf(stderr, "  refused %s from step %d: planned (%.0f, %.0f) health %d gold %d; %s\n",
                 moves[candidate.move].name.c_str(), nodes[candidate.parent].step, candidate.plan.x,
                 candidate.plan.y, candidate.plan.health, candidate.plan.placedGold,
                 refusal.c_str());
  }

  void Log(const Node& node) const {
    if (!options.verbose) return;
    std::fprintf(stderr,
                 "opened %zu of %zu: step %d, %s (lead %d) from step %d: score %.1f at (%.0f, "
                 "%.0f) cell (%d, %d) range %.0f..%.0f late %d placed gold %d health %d\n",
                 seen.size(), nodes.size(), node.step, moves[node.move].name.c_str(), node.lead,
                 nodes[node.parent].step, node.plan.score, node.plan.x, node.plan.y,
                 node.plan.column, node.plan.row, node.range.leftX, node.range.rightX,
                 node.lateness, node.plan.placedGold, node.plan.health);
  }

  const SearchOptions& options;
  Game& game;
  RouteRun run;
  const std::vector<Move> moves;
  std::unique_ptr<Judge> judge;
  std::unique_ptr<RepeatCheck> check;
  std::vector<Node> nodes;
  std::priority_queue<std::pair<double, int>> frontier;  // (score, node), best first
  std::set<PlaceKey> seen;                               // places opened
  int current = -1;  // the node whose place the game is at, or -1
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
