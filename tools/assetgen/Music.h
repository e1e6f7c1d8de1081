#pragma once

#include <map>
#include <string>
#include <vector>

#include "SoundRecipe.h"
#include "Synth.h"
#include "TextSource.h"
#include "Wav.h"

// A pitched part of the band (lead, bass, arpeggio...): one voice, played
// by the notes of its track lines.
struct Instrument {
  std::string name;
  Voice voice;
  int transpose = 0;       // semitones added to every note
  double echoDelay = 0.0;  // seconds; 0 = no echo
  double echoLevel = 0.0;  // gain of the echo, 0..1
};

// A percussion hit, named by one character in drum tracks; sounds like a
// short sound recipe.
struct Drum {
  char key = '?';
  std::vector<Layer> layers;
  int line = 0;  // where the drum is defined, for messages
};

// One step of a track.
struct Step {
  enum class Kind { Rest, Hold, Note, Hits };
  Kind kind = Kind::Rest;
  int midi = 0;      // Note: the MIDI note number
  std::string hits;  // Hits: the drum keys struck together
};

// A named block of steps, one track per instrument (and "drums").
struct Pattern {
  std::string name;
  int steps = 0;
  std::map<std::string, std::vector<Step>> tracks;  // by instrument name, or "drums"
  int line = 0;
};

struct Song {
  double tempo = 120.0;  // beats per minute
  int stepsPerBeat = 4;  // 4: each step is a sixteenth note
  int channels = 2;
  double peak = 0.8;  // the finished mix is scaled so its loudest sample is this
  std::vector<Instrument> instruments;
  std::vector<Drum> drums;
  std::vector<Pattern> patterns;
  std::vector<size_t> order;  // indices into patterns, in playing order
};

// Parses a song file (tempo, steps, channels, peak; instrument, drum and
// pattern blocks; song lines). Throws ContentError naming the file and line.
Song ParseSong(const TextSource& source);

// Seconds per step at the song's tempo.
double StepSeconds(const Song& song);
// Total steps of the song as ordered.
int SongSteps(const Song& song);

// Renders the whole song as one seamless loop: notes that ring past the end
// continue at the start, so playing it on repeat has no seam. The mix is
// scaled to song.peak. Throws ContentError naming fileName for an empty song.
SoundBuffer RenderSong(const Song& song, const std::string& fileName);
