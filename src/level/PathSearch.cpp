#include "level/PathSearch.h"

#include <cstdlib>

namespace {
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

PathSearch::PathSearch(std::vector<PathNode>& nodes, int columns, int rows)
    : nodes(nodes), columns(columns), rows(rows) {}

PathNode* PathSearch::NodeAt(int column, int row) {
  // The searchable area leaves out column 0 and row 0.
  if (column <= 0 || row <= 0 || column >= columns || row >= rows) return nullptr;
  size_t index = static_cast<size_t>(row) * columns + column;
  if (index >= cellCount) return nullptr;
  return cells + index;
}

void PathSearch::LabelRegions() {
  cells = nodes.data();
  cellCount = nodes.size();
  marks.assign(cellCount, SearchMark{});
  searchStamp = 0;
  // A cell is in the open list at most once, so the search never needs more
  // room than this and never allocates.
  openList.clear();
  openList.reserve(cellCount);
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

bool PathSearch::CannotReach(PathNode* start, const PathNode* goal) {
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

PathSearch::SearchMark& PathSearch::Touch(PathNode* node) {
  SearchMark& mark = marks[IndexOf(node)];
  if (mark.stamp != searchStamp) {
    mark.stamp = searchStamp;
    node->open = false;
    node->closed = false;
    node->parent = nullptr;
  }
  return mark;
}

bool PathSearch::ExpandsBefore(const PathNode* a, const PathNode* b) const {
  if (a->totalCost != b->totalCost) return a->totalCost < b->totalCost;
  return marks[IndexOf(a)].order > marks[IndexOf(b)].order;
}

void PathSearch::PlaceInHeap(PathNode* node, size_t index) {
  openList[index] = node;
  marks[IndexOf(node)].heapIndex = static_cast<int>(index);
}

void PathSearch::SiftUp(size_t index) {
  PathNode* node = openList[index];
  while (index > 0) {
    const size_t parent = (index - 1) / 2;
    if (!ExpandsBefore(node, openList[parent])) break;
    PlaceInHeap(openList[parent], index);
    index = parent;
  }
  PlaceInHeap(node, index);
}

void PathSearch::SiftDown(size_t index) {
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

void PathSearch::OpenCell(PathNode* node, unsigned order) {
  marks[IndexOf(node)].order = order;
  openList.push_back(node);
  SiftUp(openList.size() - 1);
}

PathNode* PathSearch::TakeBestCell() {
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

void PathSearch::Find(int startCol, int startRow, int goalCol, int goalRow, int& nextCol,
                      int& nextRow) {
  // The search expands cells by the lowest key, totalCost; among equal keys
  // the cell that entered the open list last. The heap in openList yields
  // exactly that order, and re-keys a cell in place when it is re-parented, so
  // the answers are those of scanning an unsorted list of the open cells.
  if (marks.size() != nodes.size()) LabelRegions();
  cells = nodes.data();
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
