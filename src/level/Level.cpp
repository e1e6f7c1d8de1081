#include "level/Level.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "actors/Door.h"
#include "base/LineReader.h"
#include "game/Game.h"
#include "gfx/TextRenderer.h"

namespace {
constexpr int kTileSize = 32;            // pixels per tile side
constexpr int kGoldPerCoin = 10;         // gold a coin adds
constexpr float kExitShare = 0.5f;       // share of the level's gold the door asks for
constexpr int kExitMessagePoints = 12;   // point size of the coins message
// The largest grid a level may have: every cell is a path cell, and every
// wall or platform loads its own tile, so a vast grid would take minutes to
// build and gigabytes to hold. Shipped levels are a few thousand cells.
constexpr long long kMaxCells = 250000;
constexpr char kWall = 'W';
constexpr char kPlatform = 'P';
}  // namespace

Level::Level(SDL_Window* window, SDL_Renderer* renderer, const std::string& path, int columns,
             int rows, Game* game)
    : window(window), renderer(renderer), tileSize(kTileSize), columns(columns), rows(rows),
      game(game) {
  LineReader reader(path);
  std::string line;
  while (reader.Next(line)) lines.push_back(line);
  coinCount = 0;
}

Level::~Level() {
  // Tiles, then path cells, then the door; the lists and lines go last.
  tiles.clear();
  nodes.clear();
  door.reset();
  openList.clear();
}

char Level::Cell(int column, int row) const {
  // Outside the grid, or past the end of a short line, there is nothing.
  if (row < 0 || row >= static_cast<int>(lines.size()) || column < 0) return '\0';
  const std::string& line = lines[row];
  if (column >= static_cast<int>(line.size())) return '\0';
  return line[column];
}

bool Level::RunHas(int x, int span, int y, char code) const {
  if (span <= 0) return false;
  int row = y / tileSize;
  if (row < 0 || row >= static_cast<int>(lines.size())) return false;
  const std::string& line = lines[row];
  // Walk the run a cell at a time: the same answer as pixel by pixel.
  int first = x / tileSize;
  int last = (x + span - 1) / tileSize;
  for (int column = first; column <= last; ++column) {
    if (column >= 0 && column < static_cast<int>(line.size()) && line[column] == code) return true;
  }
  return false;
}

bool Level::WallInColumn(int x, int y, int span) const {
  if (span <= 0) return false;
  int column = x / tileSize;
  int first = y / tileSize;
  int last = (y + span - 1) / tileSize;
  for (int row = first; row <= last; ++row) {
    if (Cell(column, row) == kWall) return true;
  }
  return false;
}

bool Level::WallInRow(int x, int span, int y) const { return RunHas(x, span, y, kWall); }

bool Level::PlatformInRow(int x, int span, int y) const { return RunHas(x, span, y, kPlatform); }

void Level::SetCamera(int x, int y) {
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window, &width, &height);
  auto clamp = [this](int wanted, int windowSize, int cells) {
    // The far edge's cell is worked out in 64 bits so that a wanted position
    // near the int limit cannot overflow. The far limit is tested first, so a
    // level smaller than the window sits at that (negative) limit.
    const long long farCell = (static_cast<long long>(windowSize) - 1 + wanted) / tileSize;
    if (farCell < cells && wanted > 0) return wanted;
    if (farCell >= cells) return cells * tileSize - windowSize + 1;
    return 0;
  };
  cameraX = static_cast<float>(clamp(x, width, columns));
  cameraY = static_cast<float>(clamp(y, height, rows));
}

bool Level::InView(int x, int y, int width, int height) const {
  int windowWidth = 0;
  int windowHeight = 0;
  SDL_GetWindowSize(window, &windowWidth, &windowHeight);
  const int t = tileSize;
  const float tf = static_cast<float>(t);
  return static_cast<float>((x + width) / t) > cameraX / tf &&
         static_cast<float>((y + height) / t) > cameraY / tf &&
         (cameraX + static_cast<float>(windowWidth)) / tf > static_cast<float>(x / t) &&
         (cameraY + static_cast<float>(windowHeight)) / tf > static_cast<float>(y / t);
}

void Level::Draw() {
  for (const auto& tile : tiles) {
    if (!tile->texture) continue;
    SDL_Rect destination{static_cast<int>(static_cast<float>(tile->x) - cameraX),
                         static_cast<int>(static_cast<float>(tile->y) - cameraY), tile->width,
                         tile->height};
    SDL_RenderCopy(tile->renderer, tile->texture, nullptr, &destination);
  }
  if (door) door->Draw();
}

void Level::CheckExit() {
  if (!door || !game || !game->player) return;
  const Player& player = *game->player;
  float t = static_cast<float>(tileSize);
  bool inDoorCell = static_cast<int>(door->x / t) == static_cast<int>(player.x / t) &&
                    static_cast<int>(door->y / t) == static_cast<int>(player.y / t);
  if (static_cast<float>(player.gold) >= static_cast<float>(coinCount * kGoldPerCoin) * kExitShare) {
    if (inDoorCell) door->Enter();
    return;
  }
  int held = player.gold > 0 ? player.gold / kGoldPerCoin : 0;
  int missing = (coinCount + 1) / 2 - held;
  char message[64];
  std::snprintf(message, sizeof message, "You need %i coins to exit", missing);
  game->text->DrawText(message, kExitMessagePoints, static_cast<int>(door->x - cameraX),
                       static_cast<int>(door->y - cameraY));
}

PathNode* Level::NodeAt(int column, int row) {
  // The searchable area leaves out column 0 and row 0.
  if (column <= 0 || row <= 0 || column >= columns || row >= rows) return nullptr;
  size_t index = static_cast<size_t>(row) * columns + column;
  if (index >= nodes.size()) return nullptr;
  return &nodes[index];
}

void Level::FindPath(int startCol, int startRow, int goalCol, int goalRow, int& nextCol,
                     int& nextRow) {
  static const int kOffsets[8][2] = {{-1, 0}, {1, 0},  {0, -1}, {0, 1},
                                     {-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
  constexpr float kStraightCost = 1.0f;
  constexpr float kDiagonalExtra = 0.414f;

  openList.clear();
  for (PathNode& node : nodes) {
    node.open = false;
    node.closed = false;
    node.parent = nullptr;
  }
  PathNode* start = NodeAt(startCol, startRow);
  PathNode* goal = NodeAt(goalCol, goalRow);
  nextCol = -1;
  nextRow = -1;
  if (!start) return;
  if (start == goal) {
    nextCol = goal->col;
    nextRow = goal->row;
    return;
  }
  auto distance = [](int a, int b) { return static_cast<float>(std::abs(a - b)); };
  start->pathCost = 0.0f;
  start->estimate = distance(startRow, goalRow) + distance(startCol, goalCol);
  start->totalCost = start->estimate + 0.0f;
  openList.push_back(start);

  while (true) {
    if (openList.empty()) return;  // (-1, -1): no path
    // Pick: among equal keys the last one in the list wins.
    size_t bestIndex = 0;
    for (size_t i = 1; i < openList.size(); ++i) {
      if (openList[i]->totalCost <= openList[bestIndex]->totalCost) bestIndex = i;
    }
    PathNode* current = openList[bestIndex];
    current->open = false;
    current->closed = true;
    openList.erase(openList.begin() + static_cast<std::ptrdiff_t>(bestIndex));

    for (int k = 0; k < 8; ++k) {
      PathNode* n = NodeAt(current->col + kOffsets[k][0], current->row + kOffsets[k][1]);
      if (!n || n->blocked || n->closed) continue;
      if (!n->open) {
        n->parent = current;
        n->pathCost = current->pathCost + (k >= 4 ? kStraightCost + kDiagonalExtra : kStraightCost);
        n->estimate = distance(n->col, goalCol) + distance(n->row, goalRow);
        n->totalCost = n->estimate + n->pathCost;
        n->open = true;
        openList.push_back(n);
      } else if (n->parent->pathCost > current->pathCost) {
        // Re-parenting takes the current cell's own coordinates and costs.
        n->parent = current;
        n->pathCost = distance(startCol, current->col) + distance(startRow, current->row);
        n->estimate = distance(current->col, goalCol) + distance(current->row, goalRow);
        n->totalCost = current->estimate + current->pathCost;
      }
    }
    if (current == goal) break;
  }

  if (openList.empty()) {
    nextCol = goal->col;
    nextRow = goal->row;
    return;
  }
  PathNode* node = goal;
  while (node->parent != start) node = node->parent;
  nextCol = node->col;
  nextRow = node->row;
}

void Level::Build() {
  const int t = tileSize;
  nodes.reserve(static_cast<size_t>(rows) * static_cast<size_t>(columns > 0 ? columns : 0));
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      PathNode node;
      node.col = c;
      node.row = r;
      char ch = Cell(c, r);
      switch (ch) {
        case kWall:
        case kPlatform: {
          auto tile = std::make_unique<Sprite>(
              renderer, ch == kWall ? "Resources/Assets/Wall.bmp" : "Resources/Assets/Platform.bmp");
          tile->x = c * t;
          tile->y = r * t;
          tiles.push_back(std::move(tile));
          node.blocked = true;
          break;
        }
        case 'S':
          startX = c * t;
          startY = r * t;
          break;
        case 'E':
          game->SpawnEnemy(c * t, r * t);
          break;
        case 'I':
          game->SpawnPickup(false, c * t, r * t);
          break;
        case 'C':
          coinCount = coinCount + 1;
          game->SpawnPickup(true, c * t, r * t);
          break;
        case 'D':
          // A later door cell replaces an earlier one, which is released now.
          door = std::make_unique<Door>(renderer, game, game->menu, this, game->player.get(), c * t,
                                        r * t);
          break;
        default:
          break;
      }
      nodes.push_back(node);
    }
  }
}

std::string Level::Unplayable() const {
  if (lines.empty() || columns <= 0 || rows <= 0) return "the level file is missing or empty";
  const long long cells = static_cast<long long>(columns) * rows;
  if (cells > kMaxCells) {
    return "the level has " + std::to_string(cells) + " cells, more than the " +
           std::to_string(kMaxCells) + " a level may hold";
  }
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c)
      if (Cell(c, r) == 'S') return "";
  return "the level has no start cell 'S'";
}
