#pragma once

// Which way a character looks and a bullet flies; pictures face right.
enum Facing : int { kFacingLeft = 0, kFacingRight = 1 };
