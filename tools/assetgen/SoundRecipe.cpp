#include "SoundRecipe.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "ContentError.h"

namespace {

constexpr double kLongestSound = 60.0;  // seconds; a recipe is a short effect
constexpr double kMaxHz = kSampleRate / 2.0;

// Reads a note name such as "A4", "C#5" or "Bb3" as a MIDI note number;
// returns false when word is not one.
bool NoteNumber(const std::string& word, int& midi) {
  static const int kSemitone[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (word.size() < 2 || word[0] < 'A' || word[0] > 'G') return false;
  int semitone = kSemitone[word[0] - 'A'];
  size_t at = 1;
  if (word[at] == '#') {
    ++semitone;
    ++at;
  } else if (word[at] == 'b') {
    --semitone;
    ++at;
  }
  if (at + 1 != word.size() || word[at] < '0' || word[at] > '9') return false;
  midi = 12 * (word[at] - '0' + 1) + semitone;
  return true;
}

double ParseHz(const TextSource& source, const TextLine& line, const std::string& word) {
  int midi = 0;
  if (NoteNumber(word, midi)) return MidiToHz(midi);
  return ParseNumber(source, line, word, 1.0, kMaxHz);
}

}  // namespace

bool ParseNoteName(const std::string& word, int& midi) { return NoteNumber(word, midi); }

bool ParseLayerSetting(const TextSource& source, const TextLine& line, Layer& layer) {
  static const NumberSetting<Layer> kNumbers[] = {
      {"at", &Layer::at, 0.0, kLongestSound},
      {"length", &Layer::length, 0.005, kLongestSound},
  };
  if (ParseNumberSetting(source, line, kNumbers, layer)) return true;
  const std::string& keyword = line.words[0];
  if (keyword == "freq") {
    if (line.words.size() != 2 && line.words.size() != 3) {
      throw ContentError(source.name, line.number,
                         "'freq' takes <start> [end]: Hz or note names such as A4");
    }
    layer.startHz = ParseHz(source, line, line.words[1]);
    layer.endHz = line.words.size() == 3 ? ParseHz(source, line, line.words[2]) : layer.startHz;
  } else if (keyword == "sweep") {
    ExpectArguments(source, line, 1);
    if (line.words[1] == "linear") {
      layer.sweep = Sweep::Linear;
    } else if (line.words[1] == "exp") {
      layer.sweep = Sweep::Exponential;
    } else {
      throw ContentError(source.name, line.number,
                         "unknown sweep '" + line.words[1] + "' (linear or exp)");
    }
  } else {
    return ParseVoiceSetting(source, line, layer.voice);
  }
  return true;
}

void CheckLayer(const TextSource& source, const Layer& layer) {
  const Envelope& e = layer.voice.envelope;
  if (e.attack + e.release > layer.length + 1e-9) {
    std::ostringstream message;
    message << "the envelope's attack and release (" << e.attack + e.release
            << " s) do not fit in the layer's length (" << layer.length << " s)";
    throw ContentError(source.name, layer.line, message.str());
  }
}

Layer* StartLayer(const TextSource& source, const TextLine& line, std::vector<Layer>& layers,
                  const Layer* current) {
  ExpectArguments(source, line, 0);
  if (current) CheckLayer(source, *current);
  layers.emplace_back();
  layers.back().line = line.number;
  return &layers.back();
}

SoundRecipe ParseSoundRecipe(const TextSource& source) {
  SoundRecipe recipe;
  Layer* layer = nullptr;  // the block being filled; null before the first "layer"
  for (const TextLine& line : source.lines) {
    const std::string& keyword = line.words[0];
    if (keyword == "layer") {
      layer = StartLayer(source, line, recipe.layers, layer);
    } else if (!layer && keyword == "channels") {
      ExpectArguments(source, line, 1);
      recipe.channels = ParseInteger(source, line, line.words[1], 1, 2);
    } else if (!layer && keyword == "gain") {
      ExpectArguments(source, line, 1);
      recipe.gain = ParseNumber(source, line, line.words[1], 0.0, 4.0);
    } else if (layer && ParseLayerSetting(source, line, *layer)) {
      // applied to the current layer
    } else if (!layer) {
      throw ContentError(
          source.name, line.number,
          "'" + keyword + "' before the first 'layer' (only channels and gain go there)");
    } else {
      throw ContentError(source.name, line.number, "unknown keyword '" + keyword + "'");
    }
  }
  if (!layer) throw ContentError(source.name, 0, "no 'layer' in the recipe");
  CheckLayer(source, *layer);
  return recipe;
}

SoundBuffer RenderSound(const SoundRecipe& recipe, const std::string& fileName) {
  double end = 0.0;
  for (const Layer& layer : recipe.layers) end = std::max(end, layer.at + layer.length);
  SoundBuffer audio;
  audio.channels = recipe.channels;
  const size_t frames = static_cast<size_t>(std::ceil(end * kSampleRate));
  audio.samples.assign(frames * static_cast<size_t>(recipe.channels), 0.0f);

  for (const Layer& layer : recipe.layers) {
    Note note = LayerNote(layer);
    note.gain = recipe.gain;
    const size_t start = static_cast<size_t>(std::lround(layer.at * kSampleRate));
    RenderNote(layer.voice, note, audio, start, false);
  }

  const Loudness loudness = MeasureLoudness(audio);
  if (loudness.peak > 1.0) {
    std::ostringstream message;
    message << "the mix peaks at " << loudness.peak
            << " of full scale and would clip: lower the layer volumes or the gain";
    throw ContentError(fileName, 0, message.str());
  }
  return audio;
}

Loudness MeasureLoudness(const SoundBuffer& audio) {
  Loudness result;
  double sumSquares = 0.0;
  for (float s : audio.samples) {
    result.peak = std::max(result.peak, static_cast<double>(std::fabs(s)));
    sumSquares += static_cast<double>(s) * s;
  }
  if (!audio.samples.empty()) result.rms = std::sqrt(sumSquares / audio.samples.size());
  return result;
}

Note LayerNote(const Layer& layer) {
  Note note;
  note.startHz = layer.startHz;
  note.endHz = layer.endHz;
  note.sweep = layer.sweep;
  note.sweepTime = layer.length;
  note.gate = layer.length - layer.voice.envelope.release;
  return note;
}
