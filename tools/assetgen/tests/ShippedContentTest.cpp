// Checks of the shipped art, sounds and music against what the game needs:
// every sprite-list frame exists at its kind's size, every listed effect is
// short, clean and as loud as the others, and the music loops without a seam.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "Music.h"
#include "PixelArt.h"
#include "SoundRecipe.h"
#include "TextSource.h"
#include "Wav.h"

namespace {

const std::string kContent = ASSETGEN_CONTENT_DIR;

constexpr double kLongestEffect = 0.6;      // seconds
constexpr double kEffectHeadroomDb = -1.0;  // dBFS an effect's peak must stay under
constexpr double kEffectRmsSpreadDb = 3.0;  // dB an effect's RMS may stray from the median
constexpr double kEdgeSeconds = 0.0005;     // over the first and last half millisecond...
constexpr double kEdgeShare = 0.5;          // ...an effect stays under this share of its peak,
constexpr double kEndLevel = 0.02;          // and its very first and last samples near silence
constexpr double kShortestMusic = 45.0;     // seconds
constexpr double kMusicPeakLimit = 0.9;     // fraction of full scale

double Decibels(double level) { return 20.0 * std::log10(level); }

// The lines of a data file as the game reads them: whole lines, a final
// line break adds no empty line, a carriage return before it is dropped.
std::vector<std::string> DataLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << "cannot open " << path;
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// "Name.bmp" -> the picture drawn from content/art/Name.pix.
Image PictureFor(const std::string& bitmapName) {
  const std::string suffix = ".bmp";
  EXPECT_GT(bitmapName.size(), suffix.size());
  EXPECT_EQ(bitmapName.substr(bitmapName.size() - suffix.size()), suffix)
      << "'" << bitmapName << "' is not a generated bitmap name";
  const std::string stem = bitmapName.substr(0, bitmapName.size() - suffix.size());
  const Palette palette = ParsePalette(ReadTextSource(kContent + "/art/palette.txt"));
  return ParsePicture(ReadTextSource(kContent + "/art/" + stem + ".pix"), palette);
}

bool RowHasPaint(const Image& image, int y) {
  for (int x = 0; x < image.width; ++x) {
    if (image.At(x, y) != kTransparent) return true;
  }
  return false;
}

struct SpriteKind {
  const char* list;
  int width;   // pixels: the kind's collision box
  int height;  // pixels
  size_t fewestFrames;
  bool walks;  // stands on the floor, so its feet reach the frame's bottom row
};

}  // namespace

TEST(ShippedContent, EverySpriteListNamesFramesOfItsKindsSize) {
  const SpriteKind kinds[] = {
      {"PlayerSpriteList.txt", 24, 30, 5, true},
      {"DumbEnemySpriteList.txt", 28, 22, 2, true},
      {"StalkerSpriteList.txt", 24, 30, 2, true},
      {"BirdEnemySpriteList.txt", 30, 20, 2, false},
  };
  for (const SpriteKind& kind : kinds) {
    const std::vector<std::string> names = DataLines(kContent + "/data/" + kind.list);
    EXPECT_GE(names.size(), kind.fewestFrames) << kind.list;
    size_t distinct = 0;
    for (size_t i = 0; i < names.size(); ++i) {
      if (std::find(names.begin(), names.begin() + i, names[i]) == names.begin() + i) ++distinct;
      const Image frame = PictureFor(names[i]);
      EXPECT_EQ(frame.width, kind.width) << kind.list << " frame " << i << " " << names[i];
      EXPECT_EQ(frame.height, kind.height) << kind.list << " frame " << i << " " << names[i];
      if (kind.walks && frame.height > 0) {
        EXPECT_TRUE(RowHasPaint(frame, frame.height - 1))
            << kind.list << " frame " << i << " " << names[i] << " floats above its floor";
      }
    }
    EXPECT_GE(distinct, 2u) << kind.list << " needs at least two different pictures to animate";
  }
  const std::vector<std::string> player = DataLines(kContent + "/data/PlayerSpriteList.txt");
  ASSERT_FALSE(player.empty());
  EXPECT_EQ(player[0], "PlayerStand.bmp") << "the player rests on frame 0";
}

TEST(ShippedContent, TilesAndItemsHaveTheSizesTheLevelIsBuiltFrom) {
  struct Expected {
    const char* bitmap;
    int width;
    int height;
  };
  const Expected pictures[] = {
      {"Wall.bmp", 32, 32},    {"Platform.bmp", 32, 32},          {"Door.bmp", 32, 32},
      {"Health.bmp", 100, 12}, {"HealthBackground.bmp", 101, 13},
  };
  for (const Expected& e : pictures) {
    const Image image = PictureFor(e.bitmap);
    EXPECT_EQ(image.width, e.width) << e.bitmap;
    EXPECT_EQ(image.height, e.height) << e.bitmap;
  }
  // The wall is solid: a tile with holes would show the background between bricks.
  const Image wall = PictureFor("Wall.bmp");
  EXPECT_EQ(std::count(wall.pixels.begin(), wall.pixels.end(), kTransparent), 0);
}

TEST(ShippedContent, EveryListedEffectIsShortCleanAndBalanced) {
  const std::vector<std::string> effects = DataLines(kContent + "/data/FXList.txt");
  ASSERT_EQ(effects.size(), 7u);
  std::vector<double> rmsDb;
  for (const std::string& name : effects) {
    ASSERT_GT(name.size(), 4u) << name;
    ASSERT_EQ(name.substr(name.size() - 4), ".WAV") << name;
    const std::string path = kContent + "/sound/" + name.substr(0, name.size() - 4) + ".sfx";
    const SoundBuffer audio = RenderSound(ParseSoundRecipe(ReadTextSource(path)), path);
    ASSERT_GT(audio.Frames(), 0u) << name;
    const double seconds = static_cast<double>(audio.Frames()) / kSampleRate;
    EXPECT_LT(seconds, kLongestEffect) << name;
    const Loudness loudness = MeasureLoudness(audio);
    EXPECT_LT(Decibels(loudness.peak), kEffectHeadroomDb) << name;

    // No click: the sound fades in and out instead of jumping to or from its level.
    EXPECT_LT(std::fabs(audio.samples.front()), kEndLevel) << name << " starts with a click";
    EXPECT_LT(std::fabs(audio.samples.back()), kEndLevel) << name << " ends with a click";
    const size_t edge = static_cast<size_t>(kEdgeSeconds * kSampleRate) * audio.channels;
    float head = 0.0f;
    float tail = 0.0f;
    for (size_t i = 0; i < edge; ++i) {
      head = std::max(head, std::fabs(audio.samples[i]));
      tail = std::max(tail, std::fabs(audio.samples[audio.samples.size() - 1 - i]));
    }
    EXPECT_LT(head, kEdgeShare * loudness.peak) << name << " starts at full level: no attack";
    EXPECT_LT(tail, kEdgeShare * loudness.peak) << name << " stops at full level: no release";
    rmsDb.push_back(Decibels(loudness.rms));
  }
  std::vector<double> sorted = rmsDb;
  std::sort(sorted.begin(), sorted.end());
  const double median = sorted[sorted.size() / 2];
  for (size_t i = 0; i < effects.size(); ++i) {
    EXPECT_NEAR(rmsDb[i], median, kEffectRmsSpreadDb)
        << effects[i] << " is out of balance with the other effects";
  }
}

TEST(ShippedContent, TheMusicIsLongEnoughAndLoopsWithoutASeam) {
  const std::string path = kContent + "/music/Music.song";
  const Song song = ParseSong(ReadTextSource(path));
  EXPECT_FALSE(song.drums.empty()) << "the tune has percussion";
  EXPECT_GE(song.instruments.size(), 2u) << "the tune has a melody and a bass";
  const SoundBuffer audio = RenderSong(song, path);
  const double seconds = static_cast<double>(audio.Frames()) / kSampleRate;
  EXPECT_GE(seconds, kShortestMusic);
  EXPECT_LE(MeasureLoudness(audio).peak, kMusicPeakLimit);

  // Across the loop point, from the last frame to the first, each channel
  // moves no more than it does between 99 in 100 neighbouring frames inside
  // the tune: a seam would show as a jump far larger than that.
  const size_t channels = static_cast<size_t>(audio.channels);
  const size_t frames = audio.Frames();
  for (size_t c = 0; c < channels; ++c) {
    std::vector<float> steps;
    steps.reserve(frames);
    for (size_t f = 1; f < frames; ++f) {
      steps.push_back(
          std::fabs(audio.samples[f * channels + c] - audio.samples[(f - 1) * channels + c]));
    }
    std::sort(steps.begin(), steps.end());
    const float typical = steps[steps.size() * 99 / 100];
    const float seam = std::fabs(audio.samples[c] - audio.samples[(frames - 1) * channels + c]);
    EXPECT_LE(seam, typical) << "channel " << c << " jumps at the loop point";
  }
}
