#include "level/Level.h"

#include <algorithm>
#include <cmath>
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
// The eight neighbours in the order the search opens them: left, right, up,
// down, up-left, up-right, down-left, down-right (rows grow downwards). The
// order decides the tie-breaks, so it is part of every answer.
constexpr int kNeighbours = 8;
constexpr int kFirstDiagonal = 4;
constexpr int kOffsets[kNeighbours][2] = {{-1, 0},  {1, 0},  {0, -1}, {0, 1},
                                          {-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
constexpr float kStraightCost = 1.0f;     // cells
constexpr float kDiagonalExtra = 0.414f;  // cells, added to the straight cost

float Distance(int a, int b) { return static_cast<float>(std::abs(a - b)); }
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
  // Build records which tile lies in which cell; a level whose tiles came
  // some other way draws them all, as the renderer clips what lies outside.
  const bool indexed = !cellTiles.empty() &&
                       cellTiles.size() == static_cast<size_t>(rows) * columns &&
                       indexedTiles == tiles.size();
  if (!indexed) {
    for (const auto& tile : tiles) DrawTile(*tile);
    if (door) door->Draw();
    return;
  }
  // Only the cells whose tile could reach a pixel of the window are visited,
  // a cell more on every side, in the order Build made the tiles: those left
  // out would be clipped away whole, so the window shows the same pixels.
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window, &width, &height);
  const double t = tileSize;
  auto cell = [](double index, int last) {
    if (!(index >= 0.0)) return 0;  // below the grid, or not a number
    return index >= last ? last : static_cast<int>(index);
  };
  const int firstColumn = cell(std::floor((cameraX - widestTile) / t) - 1, columns - 1);
  const int lastColumn = cell(std::floor((cameraX + width) / t) + 1, columns - 1);
  const int firstRow = cell(std::floor((cameraY - tallestTile) / t) - 1, rows - 1);
  const int lastRow = cell(std::floor((cameraY + height) / t) + 1, rows - 1);
  for (int r = firstRow; r <= lastRow; ++r) {
    const int* rowTiles = &cellTiles[static_cast<size_t>(r) * columns];
    for (int c = firstColumn; c <= lastColumn; ++c) {
      if (rowTiles[c] >= 0) DrawTile(*tiles[rowTiles[c]]);
    }
  }
  if (door) door->Draw();
}

void Level::DrawTile(const Sprite& tile) const {
  if (!tile.texture) return;
  SDL_Rect destination{static_cast<int>(static_cast<float>(tile.x) - cameraX),
                       static_cast<int>(static_cast<float>(tile.y) - cameraY), tile.width,
                       tile.height};
  SDL_RenderCopy(tile.renderer, tile.texture, nullptr, &destination);
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

void Level::LabelRegions() {
  marks.assign(nodes.size(), SearchMark{});
  searchStamp = 0;
  // A cell is in the open list at most once, so the search never needs more
  // room than this and never allocates.
  openList.clear();
  openList.reserve(nodes.size());
  // A flood fill over the same moves the search makes: eight neighbours,
  // diagonals included, open searchable cells only.
  std::vector<PathNode*> pending;
  int region = 0;
  for (PathNode& node : nodes) {
    if (node.blocked || NodeAt(node.col, node.row) != &node) continue;
    if (marks[IndexOf(&node)].region >= 0) continue;
    marks[IndexOf(&node)].region = region;
    pending.push_back(&node);
    while (!pending.empty()) {
      PathNode* cell = pending.back();
      pending.pop_back();
      for (const auto& offset : kOffsets) {
        PathNode* n = NodeAt(cell->col + offset[0], cell->row + offset[1]);
        if (!n || n->blocked || marks[IndexOf(n)].region >= 0) continue;
        marks[IndexOf(n)].region = region;
        pending.push_back(n);
      }
    }
    ++region;
  }
}

bool Level::CannotReach(PathNode* start, const PathNode* goal) {
  // A goal outside the searchable area or in a blocked cell never enters the
  // open list; the search would run until the list is empty.
  if (!goal || goal->blocked) return true;
  // Every cell the search opens is a neighbour of one it expanded, so it never
  // leaves the regions the start touches.
  const int goalRegion = marks[IndexOf(goal)].region;
  if (!start->blocked) return marks[IndexOf(start)].region != goalRegion;
  // A blocked start is left through its open neighbours, which may belong to
  // several regions.
  for (const auto& offset : kOffsets) {
    const PathNode* n = NodeAt(start->col + offset[0], start->row + offset[1]);
    if (n && !n->blocked && marks[IndexOf(n)].region == goalRegion) return false;
  }
  return true;
}

Level::SearchMark& Level::Touch(PathNode* node) {
  SearchMark& mark = marks[IndexOf(node)];
  if (mark.stamp != searchStamp) {
    mark.stamp = searchStamp;
    node->open = false;
    node->closed = false;
    node->parent = nullptr;
  }
  return mark;
}

bool Level::ExpandsBefore(const PathNode* a, const PathNode* b) const {
  if (a->totalCost != b->totalCost) return a->totalCost < b->totalCost;
  return marks[IndexOf(a)].order > marks[IndexOf(b)].order;
}

void Level::PlaceInHeap(PathNode* node, size_t index) {
  openList[index] = node;
  marks[IndexOf(node)].heapIndex = static_cast<int>(index);
}

void Level::SiftUp(size_t index) {
  PathNode* node = openList[index];
  while (index > 0) {
    const size_t parent = (index - 1) / 2;
    if (!ExpandsBefore(node, openList[parent])) break;
    PlaceInHeap(openList[parent], index);
    index = parent;
  }
  PlaceInHeap(node, index);
}

void Level::SiftDown(size_t index) {
  PathNode* node = openList[index];
  const size_t count = openList.size();
  while (true) {
    size_t child = 2 * index + 1;
    if (child >= count) break;
    if (child + 1 < count && ExpandsBefore(openList[child + 1], openList[child])) ++child;
    if (!ExpandsBefore(openList[child], node)) break;
    PlaceInHeap(openList[child], index);
    index = child;
  }
  PlaceInHeap(node, index);
}

void Level::OpenCell(PathNode* node, unsigned order) {
  marks[IndexOf(node)].order = order;
  openList.push_back(node);
  SiftUp(openList.size() - 1);
}

PathNode* Level::TakeBestCell() {
  PathNode* best = openList.front();
  PathNode* last = openList.back();
  openList.pop_back();
  if (!openList.empty()) {
    PlaceInHeap(last, 0);
    SiftDown(0);
  }
  marks[IndexOf(best)].heapIndex = -1;
  return best;
}

void Level::FindPath(int startCol, int startRow, int goalCol, int goalRow, int& nextCol,
                     int& nextRow) {
  // The search expands cells by the lowest key, totalCost; among equal keys
  // the cell that entered the open list last. The heap in openList yields
  // exactly that order, and re-keys a cell in place when it is re-parented, so
  // the answers are those of scanning an unsorted list of the open cells.
  if (marks.size() != nodes.size()) LabelRegions();
  openList.clear();
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
  if (CannotReach(start, goal)) return;  // (-1, -1), as the exhausted search answers

  // A new stamp stands for clearing every cell's open, closed and parent.
  if (++searchStamp == 0) {
    for (SearchMark& mark : marks) mark.stamp = 0;
    searchStamp = 1;
  }
  unsigned opened = 0;
  Touch(start);
  start->pathCost = 0.0f;
  start->estimate = Distance(startRow, goalRow) + Distance(startCol, goalCol);
  start->totalCost = start->estimate + 0.0f;
  OpenCell(start, opened++);  // start's open flag stays false: it is taken out first

  bool reached = false;
  while (!reached) {
    if (openList.empty()) return;  // (-1, -1): no path
    PathNode* current = TakeBestCell();
    current->open = false;
    current->closed = true;

    for (int k = 0; k < kNeighbours; ++k) {
      PathNode* n = NodeAt(current->col + kOffsets[k][0], current->row + kOffsets[k][1]);
      if (!n || n->blocked) continue;
      const SearchMark& mark = Touch(n);
      if (n->closed) continue;
      if (!n->open) {
        n->parent = current;
        n->pathCost = current->pathCost +
                      (k >= kFirstDiagonal ? kStraightCost + kDiagonalExtra : kStraightCost);
        n->estimate = Distance(n->col, goalCol) + Distance(n->row, goalRow);
        n->totalCost = n->estimate + n->pathCost;
        n->open = true;
        OpenCell(n, opened++);
      } else if (n->parent->pathCost > current->pathCost) {
        // Re-parenting takes the current cell's own coordinates and costs.
        n->parent = current;
        n->pathCost = Distance(startCol, current->col) + Distance(startRow, current->row);
        n->estimate = Distance(current->col, goalCol) + Distance(current->row, goalRow);
        n->totalCost = current->estimate + current->pathCost;
        // Its key may have gone up or down; its opening order stays.
        SiftUp(static_cast<size_t>(mark.heapIndex));
        SiftDown(static_cast<size_t>(mark.heapIndex));
      }
    }
    reached = current == goal;
  }

  if (openList.empty()) {
    nextCol = goal->col;
    nextRow = goal->row;
    return;
  }
  // Walk back to the cell after the start.
  PathNode* node = goal;
  while (node->parent != start) node = node->parent;
  nextCol = node->col;
  nextRow = node->row;
}

void Level::Build() {
  const int t = tileSize;
  const size_t cells = static_cast<size_t>(rows > 0 ? rows : 0) * (columns > 0 ? columns : 0);
  nodes.reserve(cells);
  cellTiles.assign(cells, -1);
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
          widestTile = std::max(widestTile, tile->width);
          tallestTile = std::max(tallestTile, tile->height);
          cellTiles[static_cast<size_t>(r) * columns + c] = static_cast<int>(tiles.size());
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
  indexedTiles = tiles.size();
  LabelRegions();
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
