#include "Music.h"

#include <algorithm>
#include <cmath>

#include "ContentError.h"

namespace {

constexpr const char* kDrumTrack = "drums";
constexpr double kSilence = 1e-9;  // peak below which a mix counts as silent

Step ParseNoteStep(const TextSource& source, const TextLine& line, const std::string& word) {
  Step step;
  if (word == ".") return step;
  if (word == "-") {
    step.kind = Step::Kind::Hold;
    return step;
  }
  if (!ParseNoteName(word, step.midi)) {
    throw ContentError(
        source.name, line.number,
        "'" + word + "' is not a note (such as A4, C#5, Bb3), '-' (hold) or '.' (rest)");
  }
  step.kind = Step::Kind::Note;
  return step;
}

Step ParseDrumStep(const TextSource& source, const TextLine& line, const std::string& word,
                   const std::vector<Drum>& drums) {
  Step step;
  if (word == "." || word == "-") return step;
  for (char key : word) {
    const bool known =
        std::any_of(drums.begin(), drums.end(), [key](const Drum& d) { return d.key == key; });
    if (!known) {
      throw ContentError(source.name, line.number,
                         std::string("'") + key + "' in '" + word + "' is not a drum of this song");
    }
  }
  step.kind = Step::Kind::Hits;
  step.hits = word;
  return step;
}

const Instrument* FindInstrument(const Song& song, const std::string& name) {
  for (const Instrument& i : song.instruments) {
    if (i.name == name) return &i;
  }
  return nullptr;
}

// Block being filled while parsing.
enum class Block { None, Instrument, Drum, Pattern };

void FinishPattern(const TextSource& source, Pattern& pattern) {
  if (pattern.tracks.empty()) {
    throw ContentError(source.name, pattern.line, "pattern '" + pattern.name + "' has no tracks");
  }
  pattern.steps = static_cast<int>(pattern.tracks.begin()->second.size());
  for (const auto& [name, steps] : pattern.tracks) {
    if (static_cast<int>(steps.size()) != pattern.steps) {
      throw ContentError(source.name, pattern.line,
                         "in pattern '" + pattern.name + "' track '" + name + "' has " +
                             std::to_string(steps.size()) + " steps but track '" +
                             pattern.tracks.begin()->first + "' has " +
                             std::to_string(pattern.steps));
    }
  }
}

}  // namespace

namespace {
// Reads a song's lines one at a time: block openers, song-wide settings
// and the lines inside the open block.
class SongParser {
 public:
  explicit SongParser(const TextSource& source) : source(source) {}

  Song Parse() {
    for (const TextLine& line : source.lines) {
      if (!OpensBlock(line)) ReadLine(line);
    }
    CloseBlock();
    ResolveOrder();
    return song;
  }

 private:
  void CloseBlock() {
    if (block == Block::Drum) {
      if (!layer) {
        throw ContentError(source.name, song.drums.back().line,
                           std::string("drum '") + song.drums.back().key + "' has no 'layer'");
      }
      CheckLayer(source, *layer);
    } else if (block == Block::Pattern) {
      FinishPattern(source, song.patterns.back());
    }
    block = Block::None;
    layer = nullptr;
  }

  // Opens an instrument, drum or pattern block, or notes a song line; false
  // for any other line.
  bool OpensBlock(const TextLine& line) {
    const std::string& keyword = line.words[0];
    if (keyword == "instrument") {
      CloseBlock();
      OpenInstrument(line);
    } else if (keyword == "drum") {
      CloseBlock();
      OpenDrum(line);
    } else if (keyword == "pattern") {
      CloseBlock();
      OpenPattern(line);
    } else if (keyword == "song") {
      CloseBlock();
      if (line.words.size() < 2) {
        throw ContentError(source.name, line.number, "'song' lists one or more pattern names");
      }
      songLines.push_back(&line);  // resolved at the end: patterns may follow
    } else {
      return false;
    }
    return true;
  }

  void OpenInstrument(const TextLine& line) {
    ExpectArguments(source, line, 1);
    const std::string& name = line.words[1];
    if (name == kDrumTrack || FindInstrument(song, name)) {
      throw ContentError(source.name, line.number,
                         "instrument name '" + name + "' is already taken");
    }
    song.instruments.push_back(Instrument{});
    song.instruments.back().name = name;
    block = Block::Instrument;
  }

  void OpenDrum(const TextLine& line) {
    ExpectArguments(source, line, 1);
    const std::string& key = line.words[1];
    if (key.size() != 1 || key == "." || key == "-" || key == "|") {
      throw ContentError(source.name, line.number,
                         "a drum is named by one character other than '.', '-' and '|'");
    }
    for (const Drum& d : song.drums) {
      if (d.key == key[0]) {
        throw ContentError(source.name, line.number, "drum '" + key + "' is already defined");
      }
    }
    song.drums.push_back(Drum{});
    song.drums.back().key = key[0];
    song.drums.back().line = line.number;
    block = Block::Drum;
  }

  void OpenPattern(const TextLine& line) {
    ExpectArguments(source, line, 1);
    for (const Pattern& p : song.patterns) {
      if (p.name == line.words[1]) {
        throw ContentError(source.name, line.number,
                           "pattern '" + line.words[1] + "' is already defined");
      }
    }
    song.patterns.push_back(Pattern{});
    song.patterns.back().name = line.words[1];
    song.patterns.back().line = line.number;
    block = Block::Pattern;
  }

  // A line of the open block, or a song-wide setting outside every block.
  void ReadLine(const TextLine& line) {
    switch (block) {
      case Block::None: return ReadSetting(line);
      case Block::Instrument: return ReadInstrumentLine(line);
      case Block::Drum: return ReadDrumLine(line);
      case Block::Pattern: return ReadPatternLine(line);
    }
  }

  void ReadSetting(const TextLine& line) {
    const std::string& keyword = line.words[0];
    if (keyword == "tempo") {
      ExpectArguments(source, line, 1);
      song.tempo = ParseNumber(source, line, line.words[1], 30.0, 400.0);
    } else if (keyword == "steps") {
      ExpectArguments(source, line, 1);
      song.stepsPerBeat = ParseInteger(source, line, line.words[1], 1, 16);
    } else if (keyword == "channels") {
      ExpectArguments(source, line, 1);
      song.channels = ParseInteger(source, line, line.words[1], 1, 2);
    } else if (keyword == "peak") {
      ExpectArguments(source, line, 1);
      song.peak = ParseNumber(source, line, line.words[1], 0.05, 1.0);
    } else {
      throw ContentError(source.name, line.number,
                         "unknown keyword '" + keyword +
                             "' (expected tempo, steps, channels, peak, instrument, drum, "
                             "pattern or song)");
    }
  }

  void ReadInstrumentLine(const TextLine& line) {
    const std::string& keyword = line.words[0];
    Instrument& instrument = song.instruments.back();
    if (keyword == "transpose") {
      ExpectArguments(source, line, 1);
      instrument.transpose = ParseInteger(source, line, line.words[1], -48, 48);
    } else if (keyword == "echo") {
      ExpectArguments(source, line, 2);
      instrument.echoDelay = ParseNumber(source, line, line.words[1], 0.01, 2.0);
      instrument.echoLevel = ParseNumber(source, line, line.words[2], 0.0, 1.0);
    } else if (!ParseVoiceSetting(source, line, instrument.voice)) {
      throw ContentError(source.name, line.number, "unknown instrument keyword '" + keyword + "'");
    }
  }

  void ReadDrumLine(const TextLine& line) {
    const std::string& keyword = line.words[0];
    Drum& drum = song.drums.back();
    if (keyword == "layer") {
      layer = StartLayer(source, line, drum.layers, layer);
    } else if (!layer) {
      throw ContentError(source.name, line.number,
                         "'" + keyword + "' before the drum's first 'layer'");
    } else if (!ParseLayerSetting(source, line, *layer)) {
      throw ContentError(source.name, line.number, "unknown drum keyword '" + keyword + "'");
    }
  }

  void ReadPatternLine(const TextLine& line) {
    const std::string& keyword = line.words[0];
    Pattern& pattern = song.patterns.back();
    const bool isDrums = keyword == kDrumTrack;
    if (!isDrums && !FindInstrument(song, keyword)) {
      throw ContentError(source.name, line.number,
                         "'" + keyword + "' is neither an instrument of this song nor 'drums'");
    }
    std::vector<Step>& track = pattern.tracks[keyword];
    for (size_t w = 1; w < line.words.size(); ++w) {
      const std::string& word = line.words[w];
      if (word == "|") continue;  // bar line, for the reader's eye only
      track.push_back(isDrums ? ParseDrumStep(source, line, word, song.drums)
                              : ParseNoteStep(source, line, word));
    }
  }

  // The song lines' pattern names, in order.
  void ResolveOrder() {
    for (const TextLine* line : songLines) {
      for (size_t w = 1; w < line->words.size(); ++w) {
        const std::string& name = line->words[w];
        const auto found = std::find_if(song.patterns.begin(), song.patterns.end(),
                                        [&name](const Pattern& p) { return p.name == name; });
        if (found == song.patterns.end()) {
          throw ContentError(source.name, line->number, "no pattern named '" + name + "'");
        }
        song.order.push_back(static_cast<size_t>(found - song.patterns.begin()));
      }
    }
    if (song.order.empty()) throw ContentError(source.name, 0, "no 'song' line: nothing to play");
  }

  const TextSource& source;
  Song song;
  Block block = Block::None;
  Layer* layer = nullptr;  // the drum layer being filled, when inside a drum block
  std::vector<const TextLine*> songLines;
};
}  // namespace

Song ParseSong(const TextSource& source) { return SongParser(source).Parse(); }

double StepSeconds(const Song& song) { return 60.0 / (song.tempo * song.stepsPerBeat); }

int SongSteps(const Song& song) {
  int steps = 0;
  for (size_t index : song.order) steps += song.patterns[index].steps;
  return steps;
}

SoundBuffer RenderSong(const Song& song, const std::string& fileName) {
  const int totalSteps = SongSteps(song);
  const double stepSeconds = StepSeconds(song);
  const double stepFrames = stepSeconds * kSampleRate;
  // Step starts are rounded from exact times so the tempo never drifts.
  auto frameOfStep = [stepFrames](int step) {
    return static_cast<size_t>(std::llround(step * stepFrames));
  };
  SoundBuffer audio;
  audio.channels = song.channels;
  const size_t frames = frameOfStep(totalSteps);
  if (frames == 0) throw ContentError(fileName, 0, "the song has no steps");
  audio.samples.assign(frames * static_cast<size_t>(song.channels), 0.0f);

  // Every track laid end to end across the song: absent tracks rest.
  std::map<std::string, std::vector<Step>> lanes;
  for (const Instrument& i : song.instruments) lanes[i.name];
  lanes[kDrumTrack];
  for (size_t index : song.order) {
    const Pattern& pattern = song.patterns[index];
    for (auto& [name, lane] : lanes) {
      const auto track = pattern.tracks.find(name);
      if (track == pattern.tracks.end()) {
        lane.insert(lane.end(), static_cast<size_t>(pattern.steps), Step{});
      } else {
        lane.insert(lane.end(), track->second.begin(), track->second.end());
      }
    }
  }

  // Pitched tracks: a note sounds from its step until the next step that is not a hold.
  for (const Instrument& instrument : song.instruments) {
    const std::vector<Step>& lane = lanes[instrument.name];
    for (int s = 0; s < totalSteps; ++s) {
      if (lane[s].kind != Step::Kind::Note) continue;
      int end = s + 1;
      while (end < totalSteps && lane[end].kind == Step::Kind::Hold) ++end;
      Note note;
      note.startHz = note.endHz = MidiToHz(lane[s].midi + instrument.transpose);
      note.gate = (frameOfStep(end) - frameOfStep(s)) / static_cast<double>(kSampleRate);
      RenderNote(instrument.voice, note, audio, frameOfStep(s), true);
      if (instrument.echoLevel > 0.0) {
        note.gain = instrument.echoLevel;
        const size_t echoStart =
            frameOfStep(s) + static_cast<size_t>(std::lround(instrument.echoDelay * kSampleRate));
        RenderNote(instrument.voice, note, audio, echoStart, true);
      }
    }
  }

  // Drum hits: each plays its layers whole.
  const std::vector<Step>& drumLane = lanes[kDrumTrack];
  for (int s = 0; s < totalSteps; ++s) {
    if (drumLane[s].kind != Step::Kind::Hits) continue;
    for (char key : drumLane[s].hits) {
      const Drum& drum = *std::find_if(song.drums.begin(), song.drums.end(),
                                       [key](const Drum& d) { return d.key == key; });
      for (const Layer& layer : drum.layers) {
        const Note note = LayerNote(layer);
        const size_t start =
            frameOfStep(s) + static_cast<size_t>(std::lround(layer.at * kSampleRate));
        RenderNote(layer.voice, note, audio, start, true);
      }
    }
  }

  // Headroom: the loudest moment lands exactly at the song's peak.
  const Loudness loudness = MeasureLoudness(audio);
  if (loudness.peak < kSilence) throw ContentError(fileName, 0, "the song renders as silence");
  const float scale = static_cast<float>(song.peak / loudness.peak);
  for (float& s : audio.samples) s *= scale;
  return audio;
}
