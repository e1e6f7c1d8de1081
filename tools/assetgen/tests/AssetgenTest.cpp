// Tests of the generator itself: the files it writes and the faults it reports.

#include <gtest/gtest.h>

#include <cmath>
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

const char* kPaletteText =
    ". 255 0 255 transparent\n"
    "K 18 14 26 outline\n"
    "R 218 60 56 red\n"
    "G 84 176 80 green\n";

Palette TestPalette() { return ParsePalette(SplitText("palette.txt", kPaletteText)); }

// Runs f, which must throw ContentError, and returns it for inspection.
template <typename F>
ContentError ExpectContentError(F f) {
  try {
    f();
  } catch (const ContentError& error) {
    return error;
  }
  ADD_FAILURE() << "no ContentError was thrown";
  return ContentError("", 0, "");
}

// A text that a reader must refuse: the line and words its fault names.
struct FaultCase {
  const char* text;
  int line;
  const char* words;
};

// Each case's text, read by read(source) under the name file, must fail with
// a fault that names the file, the case's line and its words.
template <typename Read>
void ExpectFaults(const std::string& file, const std::vector<FaultCase>& cases, Read read) {
  for (const FaultCase& c : cases) {
    const ContentError error = ExpectContentError([&] { read(SplitText(file, c.text)); });
    EXPECT_EQ(error.file, file) << c.text;
    EXPECT_EQ(error.line, c.line) << c.text;
    EXPECT_NE(error.message.find(c.words), std::string::npos)
        << "message '" << error.message << "' for:\n"
        << c.text;
    const std::string where = c.line > 0 ? file + ":" + std::to_string(c.line) : file;
    EXPECT_EQ(std::string(error.what()).rfind(where + ": ", 0), 0u) << error.what();
  }
}

}  // namespace

// ---------------------------------------------------------------- BMP

TEST(Bmp, HeaderDescribesAnUncompressed24BitPicture) {
  Image image;
  image.width = 3;
  image.height = 2;
  image.pixels.assign(6, Rgb{1, 2, 3});
  const std::vector<uint8_t> bytes = EncodeBmp(image);

  // 3 pixels * 3 bytes = 9, padded to 12 bytes per row.
  const uint32_t stride = 12;
  ASSERT_EQ(bytes.size(), 54u + stride * 2);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(GetU32(bytes, 2), bytes.size()) << "file size field";
  EXPECT_EQ(GetU32(bytes, 10), 54u) << "pixel data offset";
  EXPECT_EQ(GetU32(bytes, 14), 40u) << "BITMAPINFOHEADER size";
  EXPECT_EQ(static_cast<int32_t>(GetU32(bytes, 18)), 3) << "width";
  EXPECT_EQ(static_cast<int32_t>(GetU32(bytes, 22)), 2) << "height, positive for bottom-up";
  EXPECT_EQ(GetU16(bytes, 26), 1u) << "planes";
  EXPECT_EQ(GetU16(bytes, 28), 24u) << "bits per pixel";
  EXPECT_EQ(GetU32(bytes, 30), 0u) << "BI_RGB";
  EXPECT_EQ(GetU32(bytes, 34), stride * 2) << "image size";
}

TEST(Bmp, RowsAreBottomUpBlueGreenRedAndPaddedWithZeros) {
  Image image;
  image.width = 1;
  image.height = 2;
  image.pixels = {Rgb{10, 20, 30}, Rgb{40, 50, 60}};  // top, bottom
  const std::vector<uint8_t> bytes = EncodeBmp(image);
  ASSERT_EQ(bytes.size(), 54u + 4 * 2);
  // First stored row is the bottom pixel.
  EXPECT_EQ(bytes[54], 60);
  EXPECT_EQ(bytes[55], 50);
  EXPECT_EQ(bytes[56], 40);
  EXPECT_EQ(bytes[57], 0) << "row padding";
  EXPECT_EQ(bytes[58], 30);
  EXPECT_EQ(bytes[59], 20);
  EXPECT_EQ(bytes[60], 10);
  EXPECT_EQ(bytes[61], 0) << "row padding";
}

TEST(Bmp, EveryWidthRoundTripsThroughItsPadding) {
  for (int width = 1; width <= 9; ++width) {
    Image image;
    image.width = width;
    image.height = 3;
    for (int i = 0; i < width * 3; ++i) {
      image.pixels.push_back(Rgb{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 7});
    }
    const std::vector<uint8_t> bytes = EncodeBmp(image);
    EXPECT_EQ((bytes.size() - 54) % 4, 0u) << "width " << width;
    const Image back = DecodeBmp(bytes);
    ASSERT_EQ(back.width, width);
    ASSERT_EQ(back.height, 3);
    EXPECT_TRUE(back.pixels == image.pixels) << "width " << width;
  }
}

// ---------------------------------------------------------------- SVG icon

TEST(Svg, TheOpaquePixelsAreCentredInASquareAndRunsMerged) {
  const Image image = ParsePicture(SplitText("icon.pix",
                                             "size 5 2\n"
                                             "grid\n"
                                             ".RRG.\n"
                                             ".KK..\n"),
                                   TestPalette());
  const std::string svg = EncodeSvg(image);
  // Columns 1 to 3 and rows 0 to 1 are opaque: a 3 x 3 view, half a row above.
  EXPECT_NE(svg.find("viewBox=\"1 -0.5 3 3\""), std::string::npos) << svg;
  EXPECT_NE(svg.find("shape-rendering=\"crispEdges\""), std::string::npos) << svg;
  EXPECT_NE(svg.find("<rect x=\"1\" y=\"0\" width=\"2\" height=\"1\" fill=\"#da3c38\"/>"),
            std::string::npos)
      << svg;
  EXPECT_NE(svg.find("<rect x=\"3\" y=\"0\" width=\"1\" height=\"1\" fill=\"#54b050\"/>"),
            std::string::npos)
      << svg;
  EXPECT_NE(svg.find("<rect x=\"1\" y=\"1\" width=\"2\" height=\"1\" fill=\"#120e1a\"/>"),
            std::string::npos)
      << svg;
  size_t rects = 0;
  for (size_t at = svg.find("<rect"); at != std::string::npos; at = svg.find("<rect", at + 1))
    ++rects;
  EXPECT_EQ(rects, 3u) << "transparent pixels are drawn\n" << svg;

  const Image empty = ParsePicture(SplitText("empty.pix", "size 2 1\ngrid\n..\n"), TestPalette());
  EXPECT_THROW(EncodeSvg(empty), std::runtime_error);
}

// ---------------------------------------------------------------- pictures

TEST(Picture, GridCharactersBecomePaletteColours) {
  const Image image = ParsePicture(SplitText("dot.pix",
                                             "size 3 2\n"
                                             "grid\n"
                                             ".KR\n"
                                             "GG.\n"),
                                   TestPalette());
  ASSERT_EQ(image.width, 3);
  ASSERT_EQ(image.height, 2);
  EXPECT_EQ(image.At(0, 0), kTransparent);
  EXPECT_EQ(image.At(1, 0), (Rgb{18, 14, 26}));
  EXPECT_EQ(image.At(2, 0), (Rgb{218, 60, 56}));
  EXPECT_EQ(image.At(0, 1), (Rgb{84, 176, 80}));
  EXPECT_EQ(image.At(2, 1), kTransparent);
}

TEST(Picture, ColourLinesOverrideThePaletteForThatPictureOnly) {
  const Palette palette = TestPalette();
  const Image image = ParsePicture(SplitText("own.pix",
                                             "size 2 1\r\n"
                                             "colour R 1 2 3   # a darker red here\r\n"
                                             "colour z 9 9 9\r\n"
                                             "grid\r\n"
                                             "Rz\r\n"),
                                   palette);
  EXPECT_EQ(image.At(0, 0), (Rgb{1, 2, 3}));
  EXPECT_EQ(image.At(1, 0), (Rgb{9, 9, 9}));
  EXPECT_EQ(palette.colours.at('R'), (Rgb{218, 60, 56})) << "shared palette untouched";
}

TEST(Picture, FaultsNameTheFileAndLine) {
  const Palette palette = TestPalette();
  ExpectFaults("hero.pix",
               {
                   {"size 3 1\ngrid\nKKKK\n", 3, "4 characters wide"},
                   {"size 2 1\ngrid\nKx\n", 3, "'x' at column 2"},
                   {"size 2 2\ngrid\nKK\n", 3, "1 rows, not 2"},
                   {"size 2 1\ngrid\nKK\nKK\n", 4, "more than 1"},
                   {"grid\nKK\n", 1, "before 'size'"},
                   {"size 0 4\n", 1, "outside the range"},
                   {"size 2\n", 1, "takes 2 values"},
                   {"\nsize 2 1\nshape round\n", 3, "unknown keyword 'shape'"},
                   {"size 1 1\ncolour Q 255 0 255\ngrid\nQ\n", 2, "transparent colour"},
                   {"size 1 1\ncolour Q 300 0 0\ngrid\nQ\n", 2, "'300' is outside"},
               },
               [&](const TextSource& source) { ParsePicture(source, palette); });
}

TEST(Palette, OnlyTheDotMayBeMagentaAndTheDotMustBe) {
  ContentError error =
      ExpectContentError([] { ParsePalette(SplitText("palette.txt", "K 0 0 0\nM 255 0 255\n")); });
  EXPECT_EQ(error.line, 2);
  error = ExpectContentError([] { ParsePalette(SplitText("palette.txt", ". 0 0 0\n")); });
  EXPECT_EQ(error.line, 1);
  error = ExpectContentError([] { ParsePalette(SplitText("palette.txt", "K 0 0 0\nK 1 1 1\n")); });
  EXPECT_EQ(error.line, 2);
  EXPECT_NE(error.message.find("already"), std::string::npos);
  error = ExpectContentError([] { ParsePalette(SplitText("palette.txt", "KK 0 0 0\n")); });
  EXPECT_EQ(error.line, 1);
}

// ---------------------------------------------------------------- WAV

TEST(Wav, HeaderAndSampleCountMatchTheSound) {
  SoundBuffer audio;
  audio.channels = 2;
  audio.samples = {0.0f, 1.0f, -1.0f, 0.5f, 0.25f, -0.25f};
  const std::vector<uint8_t> bytes = EncodeWav(audio);
  ASSERT_EQ(bytes.size(), 44u + 6 * 2);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
  EXPECT_EQ(GetU32(bytes, 4), bytes.size() - 8);
  EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(GetU32(bytes, 16), 16u);
  EXPECT_EQ(GetU16(bytes, 20), 1u) << "PCM";
  EXPECT_EQ(GetU16(bytes, 22), 2u) << "channels";
  EXPECT_EQ(GetU32(bytes, 24), 22050u) << "sample rate";
  EXPECT_EQ(GetU32(bytes, 28), 22050u * 4) << "byte rate";
  EXPECT_EQ(GetU16(bytes, 32), 4u) << "block align";
  EXPECT_EQ(GetU16(bytes, 34), 16u) << "bits per sample";
  EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
  EXPECT_EQ(GetU32(bytes, 40), 12u);

  const WavInfo info = DecodeWav(bytes);
  ASSERT_EQ(info.samples.size(), 6u);
  EXPECT_EQ(info.samples[0], 0);
  EXPECT_EQ(info.samples[1], 32767);
  EXPECT_EQ(info.samples[2], -32767);
  EXPECT_EQ(info.samples[3], 16384);
  EXPECT_EQ(info.samples[5], -8192);
}

TEST(Wav, OutOfRangeSamplesAreLimitedNotWrapped) {
  SoundBuffer audio;
  audio.samples = {1.5f, -3.0f};
  const WavInfo info = DecodeWav(EncodeWav(audio));
  EXPECT_EQ(info.samples[0], 32767);
  EXPECT_EQ(info.samples[1], -32767);
}

// ---------------------------------------------------------------- sound recipes

TEST(Sound, LengthFollowsTheLastLayerAndStartsAndEndsInSilence) {
  const SoundRecipe recipe = ParseSoundRecipe(SplitText("beep.sfx",
                                                        "layer\n"
                                                        "  wave square\n"
                                                        "  length 0.1\n"
                                                        "  freq 440\n"
                                                        "  envelope 0.01 0.02 0.5 0.03\n"
                                                        "  volume 0.5\n"
                                                        "layer\n"
                                                        "  wave sine\n"
                                                        "  at 0.05\n"
                                                        "  length 0.15\n"
                                                        "  freq A5 A4\n"));
  ASSERT_EQ(recipe.layers.size(), 2u);
  EXPECT_NEAR(recipe.layers[1].startHz, 880.0, 1e-6);
  EXPECT_NEAR(recipe.layers[1].endHz, 440.0, 1e-6);
  const SoundBuffer audio = RenderSound(recipe, "beep.sfx");
  EXPECT_EQ(audio.Frames(), static_cast<size_t>(std::ceil(0.2 * kSampleRate)));
  EXPECT_LT(std::fabs(audio.samples.front()), 0.01f) << "starts without a click";
  EXPECT_LT(std::fabs(audio.samples.back()), 0.01f) << "ends without a click";
  const Loudness loudness = MeasureLoudness(audio);
  EXPECT_GT(loudness.peak, 0.3);
  EXPECT_LE(loudness.peak, 1.0);
  EXPECT_GT(loudness.rms, 0.05);
}

TEST(Sound, ASquareWaveHasItsPitch) {
  const SoundRecipe recipe = ParseSoundRecipe(SplitText(
      "tone.sfx", "layer\nwave square\nlength 1\nfreq 441\nenvelope 0.01 0 1 0.01\nvolume 0.5\n"));
  const SoundBuffer audio = RenderSound(recipe, "tone.sfx");
  int upwardCrossings = 0;
  for (size_t i = 1; i < audio.samples.size(); ++i) {
    if (audio.samples[i - 1] < 0.0f && audio.samples[i] >= 0.0f) ++upwardCrossings;
  }
  EXPECT_NEAR(upwardCrossings, 441, 2);
}

TEST(Sound, StereoLayersPan) {
  const SoundRecipe recipe = ParseSoundRecipe(
      SplitText("pan.sfx", "channels 2\nlayer\nwave sine\nlength 0.2\nfreq 300\npan -1\n"));
  const SoundBuffer audio = RenderSound(recipe, "pan.sfx");
  ASSERT_EQ(audio.channels, 2);
  double left = 0.0;
  double right = 0.0;
  for (size_t i = 0; i < audio.samples.size(); i += 2) {
    left += std::fabs(audio.samples[i]);
    right += std::fabs(audio.samples[i + 1]);
  }
  EXPECT_GT(left, 100.0);
  EXPECT_EQ(right, 0.0);
}

TEST(Sound, AMixThatWouldClipIsRefused) {
  const SoundRecipe recipe = ParseSoundRecipe(SplitText(
      "loud.sfx",
      "gain 2\nlayer\nwave square\nlength 0.2\nvolume 1\nlayer\nwave square\nlength 0.2\n"));
  const ContentError error = ExpectContentError([&] { RenderSound(recipe, "loud.sfx"); });
  EXPECT_EQ(error.file, "loud.sfx");
  EXPECT_NE(error.message.find("clip"), std::string::npos);
}

TEST(Sound, RecipeFaultsNameTheFileAndLine) {
  ExpectFaults("zap.sfx",
               {
                   {"layer\nwave sqaure\n", 2, "unknown wave 'sqaure'"},
                   {"wave square\n", 1, "before the first 'layer'"},
                   {"layer\nlength 0.1\nenvelope 0.05 0 1 0.08\n", 1, "do not fit"},
                   {"layer\nenvelope 0 0.1 1 0.1\n", 2, "'0' is outside"},
                   {"layer\nfreq H4\n", 2, "'H4' is not a number"},
                   {"layer\nvolume loud\n", 2, "'loud' is not a number"},
                   {"layer\n\n# comment\nbounce 3\n", 4, "unknown keyword 'bounce'"},
                   {"channels 2\n", 0, "no 'layer'"},
                   {"channels 3\nlayer\n", 1, "outside the range"},
               },
               [&](const TextSource& source) { ParseSoundRecipe(source); });
}

// ---------------------------------------------------------------- music

namespace {

const char* kTinySong =
    "tempo 120\n"
    "steps 4\n"
    "channels 1\n"
    "peak 0.5\n"
    "instrument lead\n"
    "  wave square\n"
    "  envelope 0.005 0.05 0.5 0.05\n"
    "drum k\n"
    "  layer\n"
    "    wave sine\n"
    "    freq 150 50\n"
    "    length 0.1\n"
    "pattern a\n"
    "  lead  A4 - - . | C5 - E5 -\n"
    "  drums k . . .  | k . k  .\n"
    "pattern b\n"
    "  lead  A4 - - - - - - .\n"
    "song a b\n"
    "song a\n";

}  // namespace

TEST(Music, SongLengthIsStepsTimesTheTempoGrid) {
  const Song song = ParseSong(SplitText("tiny.song", kTinySong));
  EXPECT_EQ(song.order.size(), 3u);
  EXPECT_EQ(SongSteps(song), 24);
  EXPECT_DOUBLE_EQ(StepSeconds(song), 0.125);
  const SoundBuffer audio = RenderSong(song, "tiny.song");
  EXPECT_EQ(audio.Frames(), static_cast<size_t>(24 * 0.125 * kSampleRate));
  EXPECT_NEAR(MeasureLoudness(audio).peak, 0.5, 1e-6) << "normalised to the song's peak";
}

TEST(Music, NotesRingingPastTheEndWrapToTheStart) {
  // One long note at the very end: its release must sound at the start.
  const Song song = ParseSong(SplitText("wrap.song",
                                        "tempo 120\nchannels 1\n"
                                        "instrument pad\nwave sine\nenvelope 0.01 0 1 0.2\n"
                                        "instrument click\nwave sine\nenvelope 0.001 0 1 0.001\n"
                                        "pattern p\n"
                                        "pad   . . . . . . . A4\n"
                                        "click C5 . . . . . . .\n"
                                        "song p\n"));
  const SoundBuffer audio = RenderSong(song, "wrap.song");
  // The click at step 0 lasts one step (0.125 s); the pad's release runs
  // 0.2 s past the end, so 0.15 s into the loop only the wrapped tail sounds.
  const size_t probe = static_cast<size_t>(0.15 * kSampleRate);
  double energy = 0.0;
  for (size_t i = probe; i < probe + 200; ++i) energy += std::fabs(audio.samples[i]);
  EXPECT_GT(energy, 1.0) << "the release tail of the last note was not wrapped";
}

TEST(Music, SongFaultsNameTheFileAndLine) {
  ExpectFaults("tune.song",
               {
                   {"instrument a\npattern p\na A4 H4\nsong p\n", 3, "'H4' is not a note"},
                   {"instrument a\npattern p\nb A4\nsong p\n", 3, "'b' is neither"},
                   {"instrument a\npattern p\ndrums kx\nsong p\n", 3, "not a drum"},
                   {"instrument a\npattern p\na A4 A4\ndrums .\nsong p\n", 2, "has 1 steps"},
                   {"instrument a\npattern p\na A4\nsong q\n", 4, "no pattern named 'q'"},
                   {"instrument a\npattern p\na A4\n", 0, "no 'song'"},
                   {"tempo fast\n", 1, "not a number"},
                   {"instrument a\nwobble 3\n", 2, "unknown instrument keyword"},
                   {"drum k\nwave sine\n", 2, "before the drum's first 'layer'"},
                   {"drum k\ndrum s\nlayer\n", 1, "has no 'layer'"},
                   {"instrument a\ninstrument a\n", 2, "already taken"},
               },
               [&](const TextSource& source) { ParseSong(source); });
}

// ---------------------------------------------------------------- files

TEST(Files, AFileThatCannotBeReadIsAContentError) {
  const ContentError error =
      ExpectContentError([] { ReadTextSource("/nonexistent/dir/none.pix"); });
  EXPECT_EQ(error.file, "/nonexistent/dir/none.pix");
  EXPECT_NE(error.message.find("cannot open"), std::string::npos);
}
