#include "Move.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>

#include "RouteRun.h"
#include "Touchdown.h"
#include "actors/Player.h"
#include "app/GameInstance.h"
#include "game/Game.h"
#include "level/Level.h"

namespace {
constexpr int kSettleLimit = 300;           // steps a move may take to come to rest after its keys
constexpr float kRestVerticalSpeed = 1.0f;  // pixels per second: the landing bounce has died down
constexpr int kShotBurstSteps = 56;         // X held: three shots at the game's shot rate
constexpr int kLongBurstSteps = 170;        // X held: seven shots, a bird and one to spare

void Hold(Move& move, RouteKey key, int from, int to) {
  move.keys.push_back({from, true, key});
  move.keys.push_back({to, false, key});
}

void Sort(Move& move) {
  std::stable_sort(move.keys.begin(), move.keys.end(),
                   [](const MoveKey& a, const MoveKey& b) { return a.at < b.at; });
}

std::string Side(RouteKey arrow) { return arrow == RouteKey::Left ? "left" : "right"; }

void AddWalks(std::vector<Move>& moves, RouteKey arrow, int tap) {
  for (int hold : {6, 10, 16, 24, 34, 46, 60, 78, 100}) {
    if (hold < tap) continue;
    Move move{"walk " + Side(arrow) + " " + std::to_string(hold), {}, 0};
    Hold(move, arrow, 0, hold);
    moves.push_back(move);
  }
}

// The arrow held from the start, the jump key pressed after a run-up, the
// arrow let go after hold steps in all.
void AddRunningJumps(std::vector<Move>& moves, RouteKey arrow, int tap) {
  for (int run : {0, 10, 24, 44}) {
    for (int hold : {12, 24, 32, 40, 50, 60, 72, 84, 97, 110, 125, 140}) {
      if (hold < run + tap) continue;
      Move move{
          "jump " + Side(arrow) + " run " + std::to_string(run) + " hold " + std::to_string(hold),
          {},
          0};
      Hold(move, arrow, 0, hold);
      Hold(move, RouteKey::Jump, run, run + tap);
      Sort(move);
      moves.push_back(move);
    }
  }
}

// A tap of one key, then the arrow held for a while: jumps steered onto a
// ledge above (up first, then the arrow in the air) and drops through the
// platform underfoot (the arrow held while falling, or not).
void AddTapThenArrow(std::vector<Move>& moves, RouteKey arrow, RouteKey tap, int tapSteps,
                     const char* name, std::initializer_list<int> delays,
                     std::initializer_list<int> holds) {
  for (int delay : delays) {
    for (int hold : holds) {
      Move move{std::string(name) + ", " + Side(arrow) + " after " + std::to_string(delay) +
                    " for " + std::to_string(hold),
                {},
                0};
      Hold(move, tap, 0, tapSteps);
      Hold(move, arrow, delay, delay + hold);
      Sort(move);
      moves.push_back(move);
    }
  }
}

// One shot or a burst, after turning to face the arrow's side with a tap.
void AddShots(std::vector<Move>& moves, RouteKey arrow, int tap) {
  for (int hold : {tap, kShotBurstSteps, kLongBurstSteps}) {
    Move move{"shoot " + Side(arrow) + " for " + std::to_string(hold), {}, 0};
    Hold(move, arrow, 0, tap);
    Hold(move, RouteKey::Shoot, 2 * tap, 2 * tap + hold);
    moves.push_back(move);
  }
}

bool AtRest(const Player& hero, float previousY) {
  return hero.leftSpeed <= 0.0f && hero.rightSpeed <= 0.0f &&
         std::fabs(hero.verticalSpeed) < kRestVerticalSpeed && hero.y == previousY;
}
}  // namespace

std::vector<Move> AllMoves(int tap) {
  std::vector<Move> moves;
  for (RouteKey arrow : {RouteKey::Left, RouteKey::Right}) {
    AddWalks(moves, arrow, tap);
    AddRunningJumps(moves, arrow, tap);
    AddTapThenArrow(moves, arrow, RouteKey::Jump, tap, "jump up", {12, 30, 50},
                    {8, 16, 24, 30, 40, 50, 64});
    AddTapThenArrow(moves, arrow, RouteKey::Down, tap, "drop", {0, 20}, {10, 24, 44});
    AddShots(moves, arrow, tap);
  }
  Move jump{"jump up", {}, 0};
  Hold(jump, RouteKey::Jump, 0, tap);
  moves.push_back(jump);
  Move drop{"drop", {}, 0};
  Hold(drop, RouteKey::Down, 0, tap);
  moves.push_back(drop);
  for (int idle : {40, 120, 250}) moves.push_back({"wait " + std::to_string(idle), {}, idle});
  return moves;
}

int PlayMove(RouteRun& run, const Move& move, const Timing& timing, Touchdown* flight) {
  const int start = run.StepsRun();
  std::vector<RouteEvent> plan;
  for (size_t i = 0; i < move.keys.size(); ++i) {
    const int shift = i < timing.shifts.size() ? timing.shifts[i] : 0;
    const int at = std::max(0, timing.lead + move.keys[i].at + shift);
    plan.push_back({start + at, move.keys[i].press, move.keys[i].key});
  }
  std::stable_sort(plan.begin(), plan.end(),
                   [](const RouteEvent& a, const RouteEvent& b) { return a.step < b.step; });
  const int last = plan.empty() ? timing.lead + move.idleSteps : plan.back().step - start;
  auto follow = [&run, flight] {
    if (run.Finished()) return false;
    if (flight) flight->Follow(*run.instance.game->level, run.Hero());
    return true;
  };
  if (!run.Finished()) {
    size_t next = 0;
    run.PlayEvents(plan, next, start + last + 1, follow);
  }
  for (int i = 0; i < kSettleLimit && !run.Finished(); ++i) {
    const float before = run.Hero().y;
    run.Step();
    if (follow() && AtRest(run.Hero(), before)) return last + 2 + i;
  }
  return -1;
}
