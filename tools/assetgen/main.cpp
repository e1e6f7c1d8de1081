// assetgen: turns the game's content text into the files the game loads.
//
//   assetgen art   <palette.txt> <picture.pix> <out.bmp>
//   assetgen icon  <palette.txt> <picture.pix> <out.svg>   the desktop icon
//   assetgen sound <recipe.sfx> <out.WAV>
//   assetgen music <song.song> <out.WAV>
//   assetgen stat  <file.WAV>...        prints length, peak and RMS
//
// A fault in a content file is printed as "file:line: error: ..." and the
// exit status is 1; nothing is written then.

#include <cmath>
#include <cstdio>
#include <exception>
#include <string>

#include "Bmp.h"
#include "ByteIo.h"
#include "ContentError.h"
#include "Music.h"
#include "PixelArt.h"
#include "SoundRecipe.h"
#include "Svg.h"
#include "TextSource.h"
#include "Wav.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: assetgen art <palette.txt> <picture.pix> <out.bmp>\n"
               "       assetgen icon <palette.txt> <picture.pix> <out.svg>\n"
               "       assetgen sound <recipe.sfx> <out.WAV>\n"
               "       assetgen music <song.song> <out.WAV>\n"
               "       assetgen stat <file.WAV>...\n");
  return 2;
}

double ToDecibels(double level) { return level > 0.0 ? 20.0 * std::log10(level) : -INFINITY; }

int Stat(int argc, char** argv) {
  for (int i = 2; i < argc; ++i) {
    const WavInfo wav = DecodeWav(ReadWholeFile(argv[i]));
    SoundBuffer audio;
    audio.channels = wav.channels;
    for (int16_t s : wav.samples) audio.samples.push_back(s / 32768.0f);
    const Loudness loudness = MeasureLoudness(audio);
    std::printf("%s: %d ch, %.3f s, peak %.3f (%.1f dBFS), RMS %.3f (%.1f dBFS)\n", argv[i],
                wav.channels, static_cast<double>(audio.Frames()) / wav.sampleRate, loudness.peak,
                ToDecibels(loudness.peak), loudness.rms, ToDecibels(loudness.rms));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  try {
    if ((command == "art" || command == "icon") && argc == 5) {
      const Palette palette = ParsePalette(ReadTextSource(argv[2]));
      const Image image = ParsePicture(ReadTextSource(argv[3]), palette);
      if (command == "art") {
        WriteFileAtomically(argv[4], EncodeBmp(image));
      } else {
        const std::string svg = EncodeSvg(image);
        WriteFileAtomically(argv[4], std::vector<uint8_t>(svg.begin(), svg.end()));
      }
    } else if (command == "sound" && argc == 4) {
      const SoundRecipe recipe = ParseSoundRecipe(ReadTextSource(argv[2]));
      WriteFileAtomically(argv[3], EncodeWav(RenderSound(recipe, argv[2])));
    } else if (command == "music" && argc == 4) {
      const Song song = ParseSong(ReadTextSource(argv[2]));
      WriteFileAtomically(argv[3], EncodeWav(RenderSong(song, argv[2])));
    } else if (command == "stat" && argc >= 3) {
      return Stat(argc, argv);
    } else {
      return Usage();
    }
  } catch (const ContentError& error) {
    std::fprintf(
        stderr, "%s: error: %s\n",
        (error.line > 0 ? error.file + ":" + std::to_string(error.line) : error.file).c_str(),
        error.message.c_str());
    return 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "assetgen: error: %s\n", error.what());
    return 1;
  }
  return 0;
}
