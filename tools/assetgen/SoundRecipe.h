#pragma once

#include <string>
#include <vector>

#include "Synth.h"
#include "TextSource.h"
#include "Wav.h"

// One oscillator in a sound: its voice, when it starts, how long it sounds
// and how its pitch moves.
struct Layer {
  Voice voice;
  double at = 0.0;      // seconds from the start of the sound
  double length = 0.1;  // seconds, release included
  double startHz = 440.0;
  double endHz = 440.0;  // the pitch glides from startHz to endHz over length
  Sweep sweep = Sweep::Exponential;
  int line = 0;  // where the layer begins in its file, for messages
};

// A sound effect: layers mixed together, then the whole scaled by gain.
struct SoundRecipe {
  int channels = 1;  // 1 mono, 2 stereo
  double gain = 1.0;
  std::vector<Layer> layers;
};

// Reads a note name such as "A4", "C#5" or "Bb3" as a MIDI note number
// (A4 = 69); returns false when word is not a note name.
bool ParseNoteName(const std::string& word, int& midi);

// Applies one layer keyword (at, length, freq, note, sweep, or any voice
// keyword) to layer. Returns false for other keywords; throws ContentError
// when the values are wrong.
bool ParseLayerSetting(const TextSource& source, const TextLine& line, Layer& layer);
// Checks a finished layer (its envelope must fit in its length); throws ContentError.
void CheckLayer(const TextSource& source, const Layer& layer);
// A "layer" line: checks the layer before it (current, when not null) and
// appends a new one to layers; returns the new layer.
Layer* StartLayer(const TextSource& source, const TextLine& line, std::vector<Layer>& layers,
                  const Layer* current);

// The note a layer plays: its pitch sweep, held until its release begins.
Note LayerNote(const Layer& layer);

// Parses a sound recipe: optional "channels" and "gain", then one or more
// "layer" blocks of layer settings. Throws ContentError naming file and line.
SoundRecipe ParseSoundRecipe(const TextSource& source);

// Renders the recipe: as long as its last layer, every layer added in.
// Throws ContentError naming fileName when the mix would clip (peak above
// full scale), so a too-loud recipe never reaches the game distorted.
SoundBuffer RenderSound(const SoundRecipe& recipe, const std::string& fileName);

// Peak (largest magnitude) and RMS of all samples, as fractions of full scale.
struct Loudness {
  double peak = 0.0;
  double rms = 0.0;
};
Loudness MeasureLoudness(const SoundBuffer& audio);
