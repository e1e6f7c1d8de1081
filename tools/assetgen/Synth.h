#pragma once

#include <cstdint>

#include "TextSource.h"
#include "Wav.h"

enum class Wave { Square, Triangle, Sine, Saw, Noise };
enum class Sweep { Linear, Exponential };

// Attack, decay, sustain, release: the loudness shape of one note.
struct Envelope {
  double attack = 0.005;  // seconds from silence to full level
  double decay = 0.05;    // seconds from full level down to the sustain level
  double sustain = 0.7;   // level held while the note is held, 0..1
  double release = 0.05;  // seconds from the level at key-up down to silence
};

// How one oscillator sounds, whatever pitch it plays.
struct Voice {
  Wave wave = Wave::Square;
  double duty = 0.5;  // square only: fraction of the cycle spent high
  Envelope envelope;
  double volume = 0.5;        // linear gain, 1 = full scale
  double vibratoRate = 0.0;   // Hz
  double vibratoDepth = 0.0;  // semitones either side
  double vibratoDelay = 0.0;  // seconds before the vibrato sets in
  double lowpass = 0.0;       // Hz cut-off of a gentle one-pole low-pass; 0 = off
  double highpass = 0.0;      // Hz cut-off of a gentle one-pole high-pass; 0 = off
  double pan = 0.0;           // -1 left .. 0 centre .. 1 right (stereo output only)
  uint32_t seed = 1;          // noise only: start of its random sequence
};

// One note to play: where, how long, what pitch.
struct Note {
  double startHz = 440.0;  // pitch at the start
  double endHz = 440.0;    // pitch at the end of the sweep
  Sweep sweep = Sweep::Exponential;
  double sweepTime = 0.0;  // seconds to glide from startHz to endHz; 0 = no glide
  double gate = 0.1;       // seconds the note is held; the release follows
  double gain = 1.0;       // extra gain on top of the voice volume
};

// The frequency of a MIDI note number (69 = A4 = 440 Hz).
double MidiToHz(double midi);

// Adds note, played by voice, into out starting at frame startFrame. The
// note lasts gate + release seconds. When wrap is set, samples past the end
// continue from the buffer's start (a looping tune); otherwise they are dropped.
void RenderNote(const Voice& voice, const Note& note, SoundBuffer& out, size_t startFrame,
                bool wrap);

// Applies one voice keyword (wave, duty, envelope, volume, vibrato, lowpass,
// highpass, pan, seed) from line to voice. Returns false when the keyword is
// not a voice keyword; throws ContentError when its values are wrong.
bool ParseVoiceSetting(const TextSource& source, const TextLine& line, Voice& voice);
