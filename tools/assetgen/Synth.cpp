#include "Synth.h"

#include <algorithm>
#include <cmath>

#include "ContentError.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMinAudibleHz = 1.0;
constexpr double kMaxHz = kSampleRate / 2.0;    // Nyquist: nothing above survives sampling
constexpr double kLongestEnvelopeStage = 30.0;  // seconds; catches a mistyped value

// Smooths the jump of a square or saw edge over one sample, so high notes
// do not alias into a harsh buzz (polynomial band-limited step).
double PolyBlep(double phase, double step) {
  if (phase < step) {
    const double t = phase / step;
    return t + t - t * t - 1.0;
  }
  if (phase > 1.0 - step) {
    const double t = (phase - 1.0) / step;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}

// A small fast generator so noise is the same on every build and machine.
struct NoiseSource {
  uint32_t state;
  explicit NoiseSource(uint32_t seed) : state(seed ? seed : 1u) {}
  double Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<double>(state) / 2147483647.5 - 1.0;
  }
};

double EnvelopeLevel(const Envelope& e, double t, double gate) {
  auto held = [&e](double u) {
    if (u < e.attack) return u / e.attack;
    const double intoDecay = u - e.attack;
    if (intoDecay < e.decay) return 1.0 - (1.0 - e.sustain) * intoDecay / e.decay;
    return e.sustain;
  };
  if (t < gate) return held(t);
  const double released = t - gate;
  if (released >= e.release) return 0.0;
  return held(gate) * (1.0 - released / e.release);
}

double Pitch(const Note& note, double t) {
  if (note.sweepTime <= 0.0 || note.startHz == note.endHz) return note.startHz;
  const double k = std::min(t / note.sweepTime, 1.0);
  if (note.sweep == Sweep::Linear) return note.startHz + (note.endHz - note.startHz) * k;
  return note.startHz * std::pow(note.endHz / note.startHz, k);
}

Wave ParseWave(const TextSource& source, const TextLine& line) {
  const std::string& name = line.words[1];
  if (name == "square") return Wave::Square;
  if (name == "triangle") return Wave::Triangle;
  if (name == "sine") return Wave::Sine;
  if (name == "saw") return Wave::Saw;
  if (name == "noise") return Wave::Noise;
  throw ContentError(source.name, line.number,
                     "unknown wave '" + name + "' (square, triangle, sine, saw or noise)");
}

}  // namespace

double MidiToHz(double midi) { return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0); }

void RenderNote(const Voice& voice, const Note& note, SoundBuffer& out, size_t startFrame,
                bool wrap) {
  const size_t frames = out.Frames();
  if (frames == 0) return;
  const double length = note.gate + voice.envelope.release;
  const size_t count = static_cast<size_t>(std::ceil(length * kSampleRate));
  const double lowpassK =
      voice.lowpass > 0.0 ? 1.0 - std::exp(-2.0 * kPi * voice.lowpass / kSampleRate) : 1.0;
  const double highpassK =
      voice.highpass > 0.0 ? 1.0 - std::exp(-2.0 * kPi * voice.highpass / kSampleRate) : 0.0;
  // Balance for stereo: the far side fades as the voice moves across.
  const double leftGain = std::min(1.0, 1.0 - voice.pan);
  const double rightGain = std::min(1.0, 1.0 + voice.pan);

  NoiseSource noise(voice.seed);
  double phase = 0.0;
  double held = noise.Next();
  double lowpassed = 0.0;
  double lowpassedForHigh = 0.0;
  for (size_t i = 0; i < count; ++i) {
    const size_t frame = startFrame + i;
    if (frame >= frames && !wrap) break;
    const double t = static_cast<double>(i) / kSampleRate;

    // Pitch: sweep, then vibrato once it has set in.
    double hz = Pitch(note, t);
    if (voice.vibratoDepth > 0.0 && t > voice.vibratoDelay) {
      const double wobble = std::sin(2.0 * kPi * voice.vibratoRate * (t - voice.vibratoDelay));
      hz *= std::pow(2.0, voice.vibratoDepth * wobble / 12.0);
    }
    hz = std::clamp(hz, kMinAudibleHz, kMaxHz);
    const double step = hz / kSampleRate;

    // Oscillator.
    double s = 0.0;
    switch (voice.wave) {
      case Wave::Square: {
        s = phase < voice.duty ? 1.0 : -1.0;
        s += PolyBlep(phase, step);
        s -= PolyBlep(std::fmod(phase + 1.0 - voice.duty, 1.0), step);
        break;
      }
      case Wave::Saw:
        s = 2.0 * phase - 1.0 - PolyBlep(phase, step);
        break;
      case Wave::Triangle:
        s = 1.0 - 4.0 * std::fabs(phase - 0.5);
        break;
      case Wave::Sine:
        s = std::sin(2.0 * kPi * phase);
        break;
      case Wave::Noise:
        s = held;
        break;
    }
    phase += step;
    if (phase >= 1.0) {
      phase -= std::floor(phase);
      held = noise.Next();
    }

    // Tone shaping.
    lowpassed += lowpassK * (s - lowpassed);
    s = lowpassed;
    if (highpassK > 0.0) {
      lowpassedForHigh += highpassK * (s - lowpassedForHigh);
      s -= lowpassedForHigh;
    }

    const double level = s * voice.volume * note.gain * EnvelopeLevel(voice.envelope, t, note.gate);
    const size_t at = (frame % frames) * static_cast<size_t>(out.channels);
    if (out.channels == 1) {
      out.samples[at] += static_cast<float>(level);
    } else {
      out.samples[at] += static_cast<float>(level * leftGain);
      out.samples[at + 1] += static_cast<float>(level * rightGain);
    }
  }
}

bool ParseVoiceSetting(const TextSource& source, const TextLine& line, Voice& voice) {
  static const NumberSetting<Voice> kNumbers[] = {
      {"duty", &Voice::duty, 0.05, 0.95},
      {"volume", &Voice::volume, 0.0, 1.0},
      {"lowpass", &Voice::lowpass, 20.0, kMaxHz},
      {"highpass", &Voice::highpass, 20.0, kMaxHz},
      {"pan", &Voice::pan, -1.0, 1.0},
  };
  if (ParseNumberSetting(source, line, kNumbers, voice)) return true;
  const std::string& keyword = line.words[0];
  if (keyword == "wave") {
    ExpectArguments(source, line, 1);
    voice.wave = ParseWave(source, line);
  } else if (keyword == "envelope") {
    ExpectArguments(source, line, 4);
    Envelope& e = voice.envelope;
    // A zero attack or release would start or stop with a jump: a click.
    e.attack = ParseNumber(source, line, line.words[1], 0.001, kLongestEnvelopeStage);
    e.decay = ParseNumber(source, line, line.words[2], 0.0, kLongestEnvelopeStage);
    e.sustain = ParseNumber(source, line, line.words[3], 0.0, 1.0);
    e.release = ParseNumber(source, line, line.words[4], 0.001, kLongestEnvelopeStage);
  } else if (keyword == "vibrato") {
    if (line.words.size() != 3 && line.words.size() != 4) {
      throw ContentError(source.name, line.number,
                         "'vibrato' takes <rate Hz> <depth semitones> [delay seconds]");
    }
    voice.vibratoRate = ParseNumber(source, line, line.words[1], 0.0, 50.0);
    voice.vibratoDepth = ParseNumber(source, line, line.words[2], 0.0, 12.0);
    voice.vibratoDelay =
        line.words.size() == 4 ? ParseNumber(source, line, line.words[3], 0.0, 10.0) : 0.0;
  } else if (keyword == "seed") {
    ExpectArguments(source, line, 1);
    voice.seed = static_cast<uint32_t>(ParseInteger(source, line, line.words[1], 1, 1000000000));
  } else {
    return false;
  }
  return true;
}
