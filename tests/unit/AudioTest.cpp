#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "audio/Audio.h"
#include "harness/Harness.h"

namespace {
using harness::PlayingChunks;
constexpr int kWavRate = 22050;  // samples per second, as the game's sounds
constexpr int kDefaultVolume = MIX_MAX_VOLUME;

void PutLE(std::string& out, Uint32 value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A mono 16-bit PCM WAV: the 44-byte header and a square wave long enough to
// be still playing when a test looks at the channels.
std::string Wav(double seconds, int period = 50) {
  const Uint32 samples = static_cast<Uint32>(seconds * kWavRate);
  const Uint32 dataBytes = samples * 2;
  std::string wav = "RIFF";
  PutLE(wav, 36 + dataBytes, 4);
  wav += "WAVEfmt ";
  PutLE(wav, 16, 4);            // format chunk size
  PutLE(wav, 1, 2);             // PCM
  PutLE(wav, 1, 2);             // mono
  PutLE(wav, kWavRate, 4);      // sample rate
  PutLE(wav, kWavRate * 2, 4);  // bytes per second
  PutLE(wav, 2, 2);             // block align
  PutLE(wav, 16, 2);            // bits per sample
  wav += "data";
  PutLE(wav, dataBytes, 4);
  for (Uint32 i = 0; i < samples; ++i) PutLE(wav, (i / period) % 2 ? 0x2000 : 0xE000, 2);
  return wav;
}

// A run folder with private assets: the music and the effects the tests name.
struct SoundFolder {
  SoundFolder() {
    folder.CopyAssets();
    folder.Write("Resources/Assets/Music.WAV", Wav(3.0));
    folder.Write("Resources/Assets/PlayerJump.WAV", Wav(3.0, 20));
    folder.Write("Resources/Assets/Pickup.wav", Wav(3.0, 30));
    folder.Write("Resources/Assets/Coin.WAV", Wav(3.0, 40));
  }
  void List(const std::string& text) const { folder.Write("Resources/Data/FXList.txt", text); }
  harness::TempRunFolder folder;
};
}  // namespace

TEST(Audio, LoadsMusicAndEveryListedEffectAndLoopsTheMusic) {
  SoundFolder sounds;
  sounds.List("PlayerJump.WAV\nCoin.WAV\n");
  {
    Audio audio;
    EXPECT_FALSE(audio.failed);
    ASSERT_NE(audio.music, nullptr);
    ASSERT_EQ(audio.effects.size(), 2u);
    EXPECT_EQ(audio.effects[0]->name, "PlayerJump.WAV");
    EXPECT_EQ(audio.effects[1]->name, "Coin.WAV");
    EXPECT_NE(audio.effects[0]->chunk, nullptr);
    EXPECT_NE(audio.effects[1]->chunk, nullptr);
    EXPECT_EQ(PlayingChunks(), std::multiset<Mix_Chunk*>{audio.music}) << "only the music plays";
    // Every chunk is at the mixer's default until SetVolumes.
    EXPECT_EQ(Mix_VolumeChunk(audio.music, -1), kDefaultVolume);
    EXPECT_EQ(Mix_VolumeChunk(audio.effects[0]->chunk, -1), kDefaultVolume);
  }
  EXPECT_TRUE(PlayingChunks().empty()) << "destroying the audio frees and stops every chunk";
}

TEST(Audio, PlaySoundMatchesTheWholeNameExactly) {
  SoundFolder sounds;
  // The pickup line has a lower-case extension: it must not answer "Pickup.WAV".
  sounds.List("Pickup.wav\nCoin.WAV\n");
  Audio audio;
  ASSERT_EQ(audio.effects.size(), 2u);
  ASSERT_NE(audio.effects[0]->chunk, nullptr) << "Pickup.wav itself loads";
  const auto musicOnly = std::multiset<Mix_Chunk*>{audio.music};

  for (const char* name : {"Pickup.WAV", "pickup.wav", "Coin.wav", "Coin", "Coin.WAV ", " Coin.WAV",
                           "", "Coin.WAVX"}) {
    audio.PlaySound(name);
    EXPECT_EQ(PlayingChunks(), musicOnly) << "'" << name << "' must not play anything";
  }
  audio.PlaySound("Pickup.wav");
  EXPECT_EQ(PlayingChunks(), (std::multiset<Mix_Chunk*>{audio.music, audio.effects[0]->chunk}));
  audio.PlaySound("Coin.WAV");
  EXPECT_EQ(PlayingChunks(), (std::multiset<Mix_Chunk*>{audio.music, audio.effects[0]->chunk,
                                                        audio.effects[1]->chunk}));
}

TEST(Audio, SameNameTwiceInAStepPlaysOnTwoChannels) {
  SoundFolder sounds;
  sounds.List("Coin.WAV\n");
  Audio audio;
  ASSERT_EQ(audio.effects.size(), 1u);
  audio.PlaySound("Coin.WAV");
  audio.PlaySound("Coin.WAV");
  EXPECT_EQ(PlayingChunks().count(audio.effects[0]->chunk), 2u);
}

TEST(Audio, DuplicatedLineLoadsTwiceFirstPlaysBothTakeTheVolume) {
  SoundFolder sounds;
  sounds.List("PlayerJump.WAV\nPlayerJump.WAV\n");
  Audio audio;
  ASSERT_EQ(audio.effects.size(), 2u);
  Mix_Chunk* first = audio.effects[0]->chunk;
  Mix_Chunk* second = audio.effects[1]->chunk;
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second) << "each line loads its own sample";

  audio.PlaySound("PlayerJump.WAV");
  auto playing = PlayingChunks();
  EXPECT_EQ(playing.count(first), 1u);
  EXPECT_EQ(playing.count(second), 0u) << "the first entry with a name wins";

  audio.SetVolumes(0, 100);
  EXPECT_EQ(Mix_VolumeChunk(audio.music, -1), 0);
  EXPECT_EQ(Mix_VolumeChunk(first, -1), 100);
  EXPECT_EQ(Mix_VolumeChunk(second, -1), 100);
  audio.SetVolumes(37, 5);
  EXPECT_EQ(Mix_VolumeChunk(audio.music, -1), 37);
  EXPECT_EQ(Mix_VolumeChunk(first, -1), 5);
  EXPECT_EQ(Mix_VolumeChunk(second, -1), 5);
}

TEST(Audio, MissingFilesLeaveNullChunksAndTheGameGoesOn) {
  SoundFolder sounds;
  std::remove("Resources/Assets/Music.WAV");
  std::remove("Resources/Assets/Coin.WAV");
  // An empty line (the bare folder) and missing files are entries with no sample.
  sounds.List("Missing.WAV\n\nCoin.WAV\nMissing.WAV\n");
  Audio audio;
  EXPECT_FALSE(audio.failed);
  EXPECT_EQ(audio.music, nullptr);
  ASSERT_EQ(audio.effects.size(), 4u);
  EXPECT_EQ(audio.effects[1]->name, "");
  for (const auto& effect : audio.effects) EXPECT_EQ(effect->chunk, nullptr) << effect->name;
  EXPECT_TRUE(PlayingChunks().empty()) << "no music to start";

  audio.PlaySound("Missing.WAV");
  audio.PlaySound("");
  audio.PlaySound("Coin.WAV");
  audio.SetVolumes(50, 50);
  EXPECT_TRUE(PlayingChunks().empty());
}

TEST(Audio, MissingEffectsListGivesNoEffects) {
  SoundFolder sounds;
  std::remove("Resources/Data/FXList.txt");
  Audio audio;
  EXPECT_FALSE(audio.failed);
  EXPECT_NE(audio.music, nullptr);
  EXPECT_TRUE(audio.effects.empty());
  audio.PlaySound("Coin.WAV");
  audio.SetVolumes(10, 10);
  EXPECT_EQ(PlayingChunks(), std::multiset<Mix_Chunk*>{audio.music});
  EXPECT_EQ(Mix_VolumeChunk(audio.music, -1), 10);
}

TEST(Audio, DamagedWavFilesAreNullChunks) {
  SoundFolder sounds;
  std::string truncated = Wav(0.5).substr(0, 30);
  sounds.folder.Write("Resources/Assets/Music.WAV", truncated);
  sounds.folder.Write("Resources/Assets/Noise.WAV", std::string(500, '\x5A'));
  sounds.folder.Write("Resources/Assets/Empty.WAV", "");
  sounds.List("Noise.WAV\nEmpty.WAV\nCoin.WAV");
  Audio audio;
  EXPECT_EQ(audio.music, nullptr);
  ASSERT_EQ(audio.effects.size(), 3u);
  EXPECT_EQ(audio.effects[0]->chunk, nullptr);
  EXPECT_EQ(audio.effects[1]->chunk, nullptr);
  EXPECT_NE(audio.effects[2]->chunk, nullptr) << "a last line without a line feed is read";
}

TEST(Audio, NoDeviceSetsFailedAndPrintsTheLine) {
  SoundFolder sounds;
  sounds.List("Coin.WAV\n");
  // Close every opening of the mixer so that the next open really asks for a
  // device, then make the device unavailable.
  while (Mix_QuerySpec(nullptr, nullptr, nullptr)) Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  setenv("SDL_AUDIODRIVER", "no-such-audio-driver", 1);
  SDL_InitSubSystem(SDL_INIT_AUDIO);
  {
    harness::CaptureStdout out;
    Audio audio;
    std::string printed = out.Text();
    EXPECT_TRUE(audio.failed);
    EXPECT_EQ(audio.music, nullptr);
    EXPECT_TRUE(audio.effects.empty()) << "nothing is loaded without a device";
    const std::string prefix = "Error: ";
    const std::string suffix = ", Audio failed. Returning.";
    ASSERT_GT(printed.size(), prefix.size() + suffix.size()) << printed;
    EXPECT_EQ(printed.compare(0, prefix.size(), prefix), 0) << printed;
    EXPECT_EQ(printed.compare(printed.size() - suffix.size(), suffix.size(), suffix), 0)
        << "no line break after the line: " << printed;
  }
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  SDL_InitSubSystem(SDL_INIT_AUDIO);
  Audio again;
  EXPECT_FALSE(again.failed) << "the dummy device is back for the other tests";
}
