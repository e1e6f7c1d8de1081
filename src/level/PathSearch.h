#pragma once

#include <cstddef>
#include <vector>

#include "level/PathNode.h"

// The flying enemies' path search over a level's path cells: best first by
// path cost plus Manhattan estimate, eight neighbours, answering only the
// first step of the path it finds. Every call searches afresh.
class PathSearch {
 public:
  // Searches nodes, the level's columns x rows path cells (row-major), which
  // must outlive the search. Nothing is read until the first search.
  PathSearch(std::vector<PathNode>& nodes, int columns, int rows);

  // Labels the connected regions of open cells and makes room for every cell
  // in the open list. The first search does it itself when it was not done.
  void LabelRegions();
  // The next cell on a path from (startCol, startRow) to (goalCol, goalRow),
  // or (-1, -1) when there is none. The cells' blocked flags must not change
  // after the regions were labelled. Allocates nothing once labelled.
  void Find(int startCol, int startRow, int goalCol, int goalRow, int& nextCol, int& nextRow);

 private:
  // What the search keeps per cell beside its PathNode (same index).
  struct SearchMark {
    unsigned stamp = 0;  // the search that last touched the cell; another means untouched
    unsigned order = 0;  // when the cell entered the open list in that search
    int heapIndex = -1;  // the cell's place in openList while it is open
    int region = -1;     // connected region of open searchable cells; -1 for the others
  };

  // The cell at (column, row) if it takes part in a search, else null.
  PathNode* NodeAt(int column, int row);
  // True when a search from start (searchable) can never expand goal.
  bool CannotReach(PathNode* start, const PathNode* goal);
  // The cell's bookkeeping; the first touch in a search clears its search fields.
  SearchMark& Touch(PathNode* node);
  // True when a is expanded before b: the lower key, among equal keys the later opened.
  bool ExpandsBefore(const PathNode* a, const PathNode* b) const;
  void OpenCell(PathNode* node, unsigned order);
  PathNode* TakeBestCell();
  void SiftUp(size_t index);
  void SiftDown(size_t index);
  void PlaceInHeap(PathNode* node, size_t index);
  size_t IndexOf(const PathNode* node) const { return static_cast<size_t>(node - cells); }

  std::vector<PathNode>& nodes;  // not owned: the level's path cells
  // Where nodes holds its cells and how many, taken when a search or a
  // labelling begins: read through the level's vector at every step, they
  // slow the search down by a tenth or more.
  PathNode* cells = nullptr;
  size_t cellCount = 0;
  int columns = 0;
  int rows = 0;
  // The open cells, pointing into nodes. Kept as a binary heap in the order
  // the cells will be expanded, not in the order they opened.
  std::vector<PathNode*> openList;
  std::vector<SearchMark> marks;  // one per node once labelled
  unsigned searchStamp = 0;       // the running search's stamp
};
