#include "RepeatCheck.h"

#include <algorithm>
#include <functional>
#include <random>

#include "Judge.h"
#include "RouteRun.h"
#include "Touchdown.h"
#include "actors/Player.h"
#include "app/GameInstance.h"
#include "game/Game.h"

namespace {
constexpr size_t kMaxCornerKeys = 4;  // moves with more keys try kRandomCorners of the corners
constexpr int kRandomCorners = 16;

std::string Describe(const MoveEnd& end) {
  char text[128];
  std::snprintf(text, sizeof text, "%s at (%.0f, %.0f) health %d gold %d",
                end.won     ? "through the door"
                : end.alive ? (end.rested ? "resting" : "moving")
                            : "dead",
                end.x, end.y, end.health, end.placedGold);
  return text;
}
}  // namespace

void PlaceRange::Take(const MoveEnd& end) {
  if (end.x < leftX) {
    leftX = end.x;
    leftY = end.y;
  }
  if (end.x > rightX) {
    rightX = end.x;
    rightY = end.y;
  }
}

RepeatCheck::RepeatCheck(RouteRun& run, Judge& judge, const std::vector<Move>& moves,
                         int timingError, int jobs)
    : run(run), judge(judge), moves(moves), timingError(timingError), jobs(jobs) {}

MoveEnd RepeatCheck::Try(const Move& move, const Timing& timing,
                         const std::optional<std::pair<float, float>>& start) {
  if (start) {
    run.instance.game->player->x = start->first;
    run.instance.game->player->y = start->second;
  }
  Touchdown flight;
  const int rest = PlayMove(run, move, timing, &flight);
  MoveEnd end = judge.Look(run, rest >= 0, rest);
  if (flight.landed) {
    end.landColumn = flight.column;
    end.landRow = flight.row;
  }
  return end;
}

std::vector<Timing> RepeatCheck::Corners(const Candidate& candidate) const {
  const size_t keys = moves[candidate.move].keys.size();
  auto corner = [&](auto late) {
    Timing timing{candidate.lead, {}};
    for (size_t i = 0; i < keys; ++i) timing.shifts.push_back(late(i) ? timingError : -timingError);
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

std::vector<Timing> RepeatCheck::SingleShifts(const Candidate& candidate) const {
  const size_t keys = moves[candidate.move].keys.size();
  std::vector<Timing> timings;
  for (size_t i = 0; i < keys; ++i) {
    for (int shift = -timingError; shift <= timingError; ++shift) {
      if (shift == 0) continue;
      Timing timing{candidate.lead, std::vector<int>(keys, 0)};
      timing.shifts[i] = shift;
      timings.push_back(timing);
    }
  }
  return timings;
}

bool RepeatCheck::Repeatable(const Candidate& candidate, const PlaceRange& from, PlaceRange& reach,
                             int& lateness, std::string& refusal) {
  const Move& move = moves[candidate.move];
  using Start = std::optional<std::pair<float, float>>;
  const Player& hero = *run.instance.game->player;
  std::vector<Start> starts;
  for (auto place :
       {std::make_pair(from.leftX, from.leftY), std::make_pair(from.rightX, from.rightY)}) {
    if (place.first != hero.x || place.second != hero.y) starts.push_back(place);
  }
  std::vector<std::function<MoveEnd()>> trials;
  std::vector<std::string> names;  // what each try changes, for the refusal
  auto add = [&](const Timing& timing, const Start& start) {
    trials.push_back([this, &move, timing, start] { return Try(move, timing, start); });
    std::string name = start ? "from x " + std::to_string(start->first) : "from here";
    if (!timing.shifts.empty()) name += ", keys moved";
    for (int shift : timing.shifts) name += " " + std::to_string(shift);
    names.push_back(name);
  };
  for (const Timing& timing : Corners(candidate)) add(timing, std::nullopt);
  for (const Start& start : starts) add(Timing{candidate.lead, {}}, start);
  for (const Timing& timing : SingleShifts(candidate)) add(timing, std::nullopt);
  bool same = true;
  const std::vector<MoveEnd> ends = RunInCopies(trials, jobs, [&](const MoveEnd& end) {
    return same = same && judge.SamePlace(candidate.plan, end);
  });
  if (!same) {
    for (size_t i = 0; i < ends.size(); ++i) {
      if (judge.SamePlace(candidate.plan, ends[i])) continue;
      refusal = names[i] + " ends " + Describe(ends[i]);
      break;
    }
    return false;
  }
  reach = PlaceRange::At(candidate.plan);
  lateness = 0;
  for (const MoveEnd& end : ends) {
    reach.Take(end);
    lateness = std::max(lateness, end.steps - candidate.plan.steps);
  }
  return true;
}
