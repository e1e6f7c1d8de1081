#pragma once

// One grid cell as the flying enemies' path search sees it.
struct PathNode {
  int col = 0;
  int row = 0;
  PathNode* parent = nullptr;  // the cell this one was reached from; null until reached
  bool open = false;           // in the open list of the current search
  bool closed = false;         // expanded in the current search
  bool blocked = false;        // a wall or platform cell; never entered
  float totalCost = 0.0f;      // the search key
  float pathCost = 0.0f;       // cost from the start cell
  float estimate = 0.0f;       // Manhattan distance to the goal, in cells
};
