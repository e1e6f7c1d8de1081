#include "RouteFigures.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <vector>

#include "PersonModel.h"
#include "RouteRun.h"
#include "Touchdown.h"
#include "actors/BirdEnemy.h"
#include "actors/Player.h"
#include "actors/Stalker.h"
#include "app/GameInstance.h"
#include "base/Rules.h"
#include "game/Game.h"
#include "level/Level.h"

namespace fs = std::filesystem;

namespace {
constexpr double kFrameSeconds = 0.5;  // a frame is measured every half second of play
constexpr float kRestVerticalSpeed = 1.0f;  // pixels per second: the landing bounce has died down
const char* const kFontLink = "Resources/Assets/DejaVuSans.ttf";

struct Cell {
  int column = 0;
  int row = 0;
};

std::vector<Cell> CellsOf(const std::vector<std::string>& lines, char code) {
  std::vector<Cell> cells;
  for (int r = 0; r < static_cast<int>(lines.size()); ++r)
    for (int c = 0; c < static_cast<int>(lines[r].size()); ++c)
      if (lines[r][c] == code) cells.push_back({c, r});
  return cells;
}

// The standing cell under the middle of the player's feet.
Cell FeetCell(const Player& hero) {
  Cell cell;
  FeetCellOf(hero, cell.column, cell.row);
  return cell;
}

// The shares of exactly black pixels in the window, all of it and its top half.
void CountBlack(SDL_Renderer* renderer, SDL_Window* window, double& all, double& top) {
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window, &width, &height);
  std::vector<Uint32> pixels(static_cast<size_t>(width) * height);
  SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(), width * 4);
  long black = 0;
  long topBlack = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if ((pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF) != 0) continue;
      ++black;
      if (y < height / 2) ++topBlack;
    }
  }
  all = static_cast<double>(black) / (static_cast<double>(width) * height);
  top = static_cast<double>(topBlack) / (static_cast<double>(width) * (height / 2));
}

// Follows a replay step by step and writes down what it shows.
class Observer {
 public:
  Observer(RouteRun& run, RouteFigures& figures, bool frames, const std::string& fontPath)
      : run(run), figures(figures), frames(frames), fontPath(fontPath) {
    const std::vector<std::string>& lines = run.instance.game->level->lines;
    enemyCells = CellsOf(lines, 'E');
    const std::vector<Cell> doors = CellsOf(lines, 'D');
    if (!doors.empty()) doorX = static_cast<float>(doors.back().column * rules::kTileSize);
    Remember();
  }

  // Called after every step of the replay.
  bool AfterStep() {
    const int step = run.StepsRun() - 1;  // the step that just ran
    if (frames) Frame();
    if (run.Over()) return true;
    CountShotsAndKills();
    FollowMoves(step);
    if (run.Alive()) CountArrows();
    Remember();
    if (frames && IsFrameStep(run.StepsRun() + 1)) LinkFont(true);
    return true;
  }

 private:
  static bool IsFrameStep(int stepsRun) {
    const double perFrame = kFrameSeconds / rules::kStepSeconds;
    const int index = static_cast<int>(std::lround(stepsRun / perFrame));
    return index > 0 && static_cast<int>(std::lround(index * perFrame)) == stepsRun;
  }

  void LinkFont(bool present) const {
    std::error_code ignored;
    if (present) {
      fs::create_symlink(fontPath, kFontLink, ignored);
    } else {
      fs::remove(kFontLink, ignored);
    }
  }

  void Frame() {
    if (!IsFrameStep(run.StepsRun())) return;
    double all = 0.0;
    double top = 0.0;
    CountBlack(run.instance.renderer, run.instance.window, all, top);
    figures.black.push_back(all);
    figures.topBlack.push_back(top);
    LinkFont(false);
  }

  // What the step before left: the player, the camera, the ammunition and
  // the enemies, to compare the next step with.
  void Remember() {
    Game& game = *run.instance.game;
    if (!game.level) return;
    cameraX = game.level->cameraX;
    cameraY = game.level->cameraY;
    enemies.clear();
    for (const auto& enemy : game.enemies) enemies[enemy.get()] = enemy->health;
    if (!run.Alive()) return;
    const Player& hero = run.Hero();
    ammo = hero.ammo;
    heroY = hero.y;
    feet = FeetCell(hero);
  }

  void CountShotsAndKills() {
    Game& game = *run.instance.game;
    if (run.Alive() && run.Hero().ammo < ammo) {
      if (figures.shots == 0) figures.ammoBeforeShooting = ammo;
      figures.shots += ammo - run.Hero().ammo;
    }
    // An enemy gone with its health down to one bullet was shot; one that
    // fell out of the level still had more.
    for (const auto& [enemy, health] : enemies) {
      const bool gone = std::none_of(game.enemies.begin(), game.enemies.end(),
                                     [enemy = enemy](const auto& e) { return e.get() == enemy; });
      if (gone && health <= rules::kBulletDamage) ++figures.killsByShots;
    }
  }

  void CountArrows() {
    const bool left = run.Held(RouteKey::Left);
    const bool right = run.Held(RouteKey::Right);
    if (!left && !right) return;
    ++figures.arrowSteps;
    const float x = run.Hero().x;
    if ((left && doorX > x) || (right && doorX < x)) ++figures.awaySteps;
  }

  bool AtRest() const {
    if (!run.Alive()) return false;
    const Player& hero = run.Hero();
    for (RouteKey key :
         {RouteKey::Left, RouteKey::Right, RouteKey::Down, RouteKey::Jump, RouteKey::Shoot})
      if (run.Held(key)) return false;
    return hero.leftSpeed <= 0.0f && hero.rightSpeed <= 0.0f &&
           std::fabs(hero.verticalSpeed) < kRestVerticalSpeed && hero.y == heroY;
  }

  void FollowMoves(int step) {
    // The keys pressed before this step.
    const std::vector<RouteEvent>& log = run.Log();
    bool pressed = false;
    for (; seen < log.size(); ++seen) {
      if (!log[seen].press) continue;
      pressed = true;
      keys[static_cast<int>(log[seen].key)] = true;
    }
    if (!moving && pressed) {
      moving = true;
      move = RouteMove{};
      move.firstStep = step;
      flight = Touchdown{};
      move.fromColumn = feet.column;
      move.fromRow = feet.row;
      startCameraX = cameraX;
      startCameraY = cameraY;
      return;
    }
    if (!moving) return;
    FollowFlight();
    if (AtRest()) FinishMove();
  }

  void FollowFlight() {
    if (run.Alive()) flight.Follow(*run.instance.game->level, run.Hero());
  }

  void FinishMove() {
    moving = false;
    const Player& hero = run.Hero();
    const Cell to = FeetCell(hero);
    move.restStep = run.StepsRun();
    move.toColumn = to.column;
    move.toRow = to.row;
    const bool left = keys[static_cast<int>(RouteKey::Left)];
    const bool right = keys[static_cast<int>(RouteKey::Right)];
    move.arrows = left && right ? "both" : left ? "left" : right ? "right" : "none";
    move.kind = keys[static_cast<int>(RouteKey::Jump)]    ? "jump"
                : keys[static_cast<int>(RouteKey::Down)]  ? "drop"
                : keys[static_cast<int>(RouteKey::Shoot)] ? "shot"
                                                          : "walk";
    move.landing = (move.kind == "jump" || move.kind == "drop") && flight.landed;
    if (move.landing) {
      // The player and the floor under the feet, on screen as the move began.
      int width = 0;
      int height = 0;
      SDL_GetWindowSize(run.instance.window, &width, &height);
      const Sprite* box = hero.CurrentFrame();
      const float floorBottom = static_cast<float>((flight.row + 2) * rules::kTileSize);
      move.landingSeen = flight.x >= startCameraX && flight.y >= startCameraY &&
                         flight.x + static_cast<float>(box->width) <= startCameraX + width &&
                         floorBottom <= startCameraY + height;
      for (const Cell& enemy : enemyCells) {
        if (NearCell(enemy.column, enemy.row, flight.column, flight.row)) move.nearEnemy = true;
      }
    }
    figures.moves.push_back(move);
    std::fill(std::begin(keys), std::end(keys), false);
  }

  RouteRun& run;
  RouteFigures& figures;
  bool frames;
  std::string fontPath;
  std::vector<Cell> enemyCells;
  float doorX = 0.0f;
  // The step before.
  float cameraX = 0.0f, cameraY = 0.0f;
  std::map<const Enemy*, int> enemies;  // and their health
  int ammo = 0;
  float heroY = 0.0f;
  Cell feet;
  // The move under way.
  bool moving = false;
  RouteMove move;
  bool keys[5] = {};  // by RouteKey: pressed during the move
  float startCameraX = 0.0f, startCameraY = 0.0f;
  Touchdown flight;
  size_t seen = 0;  // log entries looked at
};
}  // namespace

std::string RouteMove::Shape() const {
  char text[64];
  std::snprintf(text, sizeof text, "%s %s %+d %+d", kind.c_str(), arrows.c_str(),
                toColumn - fromColumn, toRow - fromRow);
  return text;
}

double RouteFigures::Seconds() const { return steps * rules::kStepSeconds; }

double RouteFigures::ClimbingSeconds() const {
  int climbing = 0;
  for (const RouteMove& move : moves)
    if (move.Climbs()) climbing += move.restStep - move.firstStep;
  return climbing * rules::kStepSeconds;
}

int RouteFigures::LongestRun() const {
  int longest = 0;
  int run = 0;
  for (size_t i = 0; i < moves.size(); ++i) {
    run = i > 0 && moves[i].Shape() == moves[i - 1].Shape() ? run + 1 : 1;
    longest = std::max(longest, run);
  }
  return longest;
}

int RouteFigures::Landings() const {
  return static_cast<int>(
      std::count_if(moves.begin(), moves.end(), [](const RouteMove& m) { return m.landing; }));
}

int RouteFigures::UnseenLandings() const {
  return static_cast<int>(std::count_if(
      moves.begin(), moves.end(), [](const RouteMove& m) { return m.landing && !m.landingSeen; }));
}

int RouteFigures::LandingsNearEnemies() const {
  return static_cast<int>(std::count_if(
      moves.begin(), moves.end(), [](const RouteMove& m) { return m.landing && m.nearEnemy; }));
}

namespace {
// What each enemy of the level became in this world, as players name them.
std::string EnemyKinds(const Game& game) {
  std::string kinds;
  for (const auto& enemy : game.enemies) {
    const char* kind = dynamic_cast<const BirdEnemy*>(enemy.get()) ? "bird"
                       : dynamic_cast<const Stalker*>(enemy.get()) ? "stalker"
                                                                   : "beetle";
    kinds += (kinds.empty() ? "" : " ") + std::string(kind);
  }
  return kinds;
}
}  // namespace

RouteFigures MeasureRoute(const Route& route, GameInstance& instance, bool frames,
                          const std::string& fontPath) {
  RouteFigures figures;
  RouteRun run(instance);
  if (!run.Start(route.level, route.seed)) return figures;
  figures.started = true;
  figures.enemyKinds = EnemyKinds(*instance.game);
  figures.goldNeeded = run.GoldNeeded();
  figures.keyChangesPerSecond = EventsPerSecond(route);
  Observer observer(run, figures, frames, fontPath);
  size_t next = 0;
  run.PlayEvents(route.events, next, route.steps, [&observer] { return observer.AfterStep(); });
  if (frames) {
    std::error_code ignored;
    fs::remove(kFontLink, ignored);  // linked for a frame the replay did not reach
  }
  const RouteOutcome outcome = OutcomeOf(run);
  figures.finished = Finished(outcome);
  figures.steps = outcome.stepsRun;
  figures.health = outcome.last.health;
  figures.gold = outcome.last.gold;
  return figures;
}
