#pragma once

#include <string>

// The save file "Resources/Data/GameData.txt": key line, value line, pairs.
// Every call opens, scans and closes the file; nothing is cached.

// The values of fields the save has not filled yet: the menu starts with the
// first three; the records are put into a fresh integer before each read.
constexpr int kDefaultMusic = 100;       // volume, 0-100
constexpr int kDefaultEffects = 100;     // volume, 0-100
constexpr int kDefaultLevelReached = 0;  // level number, 0-9
constexpr int kDefaultScore = 0;         // gold
constexpr int kDefaultTime = 9999;       // whole seconds

// Stores the integer on the line after the first line equal to key in out;
// leaves out unchanged when the key or a readable 32-bit value is missing.
void ReadValue(const char* key, int& out);
// Rewrites every value line that follows a line equal to key with value.
// The file is replaced atomically, so a failed write leaves the old save,
// under a lock on the save's folder, so that a write by another copy of the
// game at the same time is never lost.
void WriteValue(const char* key, const int& value);
// Removes the temporary files that writes cut short (by a crash or a kill)
// left beside the save: plain files named as a write names its temporary,
// ".GameData.txt.writing-" and six letters or digits, last changed more
// than a minute ago (a younger one may be another copy's write in
// progress). Never the save, never any other file.
void RemoveLeftoverTemporaries();
// The decimal text of value, as "%d" writes it.
std::string IntToText(int value);
