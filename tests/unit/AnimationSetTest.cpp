#include <gtest/gtest.h>

#include <string>

#include "gfx/AnimationSet.h"
#include "harness/Harness.h"
#include "harness/TestContent.h"

namespace {
// A run folder with private assets: three frames of different sizes, one
// with blanks in its name.
struct ListFolder {
  ListFolder() {
    folder.CopyAssets();
    harness::WriteBitmap("Resources/Assets/One.bmp", 2, 3, SDL_Color{255, 255, 255, 255});
    harness::WriteBitmap("Resources/Assets/Two.bmp", 5, 4, SDL_Color{255, 255, 255, 255});
    harness::WriteBitmap("Resources/Assets/Frame three.bmp", 7, 1, SDL_Color{255, 255, 255, 255});
  }
  std::vector<std::unique_ptr<Sprite>> Load(const std::string& listText) {
    folder.Write("Resources/Data/TestSpriteList.txt", listText);
    harness::CaptureStdout out;
    auto frames = LoadAnimationSet(harness::Renderer(), "Resources/Data/TestSpriteList.txt");
    printed = out.Text();
    return frames;
  }
  harness::TempRunFolder folder;
  std::string printed;
};

std::string Sizes(const std::vector<std::unique_ptr<Sprite>>& frames) {
  std::string text;
  for (const auto& frame : frames) {
    if (!text.empty()) text += ' ';
    text += std::to_string(frame->width) + "x" + std::to_string(frame->height);
  }
  return text;
}
}  // namespace

TEST(AnimationSet, OneFramePerLineInFileOrder) {
  ListFolder list;
  auto frames = list.Load("One.bmp\nTwo.bmp\nFrame three.bmp\n");
  EXPECT_EQ(Sizes(frames), "2x3 5x4 7x1");
  EXPECT_EQ(list.printed, "");
  for (const auto& frame : frames) {
    EXPECT_NE(frame->texture, nullptr);
    EXPECT_EQ(frame->renderer, harness::Renderer());
  }
}

TEST(AnimationSet, LineEndingsAtTheEnd) {
  ListFolder list;
  EXPECT_EQ(Sizes(list.Load("One.bmp\nTwo.bmp")), "2x3 5x4") << "last line without a line feed";
  EXPECT_EQ(Sizes(list.Load("One.bmp\nTwo.bmp\n")), "2x3 5x4") << "no empty frame at the end";
  EXPECT_EQ(Sizes(list.Load("One.bmp\r\nTwo.bmp\r\n")), "2x3 5x4") << "CR LF list";
  EXPECT_EQ(list.printed, "");
  EXPECT_EQ(Sizes(list.Load("Two.bmp")), "5x4") << "a single frame";
}

TEST(AnimationSet, LinesAreTakenWhole) {
  ListFolder list;
  // An empty line in the middle is a frame of its own: the bare folder fails.
  auto frames = list.Load("One.bmp\n\nTwo.bmp\n");
  EXPECT_EQ(Sizes(frames), "2x3 0x0 5x4");
  EXPECT_NE(list.printed.find("Surface for bitmap 'Resources/Assets/' not loaded!\n"),
            std::string::npos)
      << list.printed;

  // Blanks are part of the name: nothing is trimmed.
  frames = list.Load(" One.bmp\nTwo.bmp \n");
  EXPECT_EQ(Sizes(frames), "0x0 0x0");
  EXPECT_NE(list.printed.find("'Resources/Assets/ One.bmp'"), std::string::npos);
  EXPECT_NE(list.printed.find("'Resources/Assets/Two.bmp '"), std::string::npos);
}

TEST(AnimationSet, DuplicatesAndMissingBitmapsStayFrames) {
  ListFolder list;
  auto frames = list.Load("Two.bmp\nMissing.bmp\nTwo.bmp\n");
  ASSERT_EQ(Sizes(frames), "5x4 0x0 5x4");
  EXPECT_NE(frames[0].get(), frames[2].get());
  EXPECT_NE(frames[0]->texture, frames[2]->texture) << "each line loads its own sprite";
  EXPECT_EQ(frames[1]->texture, nullptr);
  EXPECT_NE(list.printed.find("Surface for bitmap 'Resources/Assets/Missing.bmp' not loaded!\n"),
            std::string::npos);
}

TEST(AnimationSet, MissingOrEmptyListGivesOneInvisibleFrame) {
  ListFolder list;
  for (const char* text : {static_cast<const char*>(""), static_cast<const char*>(nullptr)}) {
    SCOPED_TRACE(text ? "empty list" : "missing list");
    std::vector<std::unique_ptr<Sprite>> frames;
    std::string printed;
    if (text) {
      frames = list.Load(text);
      printed = list.printed;
    } else {
      harness::CaptureStdout out;
      frames = LoadAnimationSet(harness::Renderer(), "Resources/Data/NoSuchSpriteList.txt");
      printed = out.Text();
    }
    ASSERT_EQ(frames.size(), 1u) << "every actor needs a current frame";
    EXPECT_EQ(frames[0]->width, 0);
    EXPECT_EQ(frames[0]->height, 0);
    EXPECT_EQ(frames[0]->texture, nullptr);
    const std::string listPath =
        text ? "Resources/Data/TestSpriteList.txt" : "Resources/Data/NoSuchSpriteList.txt";
    EXPECT_NE(
        printed.find("Sprite list '" + listPath + "' names no frames; the actor is invisible.\n"),
        std::string::npos)
        << printed;
    harness::ClearWindow();
    frames[0]->DrawFacing(false, 0, 0);
    EXPECT_FALSE(harness::AnyLitPixel(0, 0, 32, 32));
  }
}
