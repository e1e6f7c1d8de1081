#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "base/Clock.h"
#include "gfx/TextRenderer.h"
#include "harness/Harness.h"

namespace {
// The bounding box of every lit pixel in a region of the window.
struct Lit {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  bool Any() const { return right >= 0; }
};

Lit LitBox(int x, int y, int w, int h) {
  Lit box;
  for (int py = y; py < y + h; ++py) {
    for (int px = x; px < x + w; ++px) {
      SDL_Color c = harness::PixelAt(px, py);
      if (c.r == 0 && c.g == 0 && c.b == 0) continue;
      box.left = std::min(box.left, px);
      box.top = std::min(box.top, py);
      box.right = std::max(box.right, px);
      box.bottom = std::max(box.bottom, py);
    }
  }
  return box;
}

// Advances the manual clock to an exact reading.
void SetClock(int ms) { Clock::UseManual(ms); }
}  // namespace

TEST(TextRenderer, StartsWithNoNoticeAndWhiteText) {
  TextRenderer text(harness::Window(), harness::Renderer());
  EXPECT_EQ(text.window, harness::Window());
  EXPECT_EQ(text.renderer, harness::Renderer());
  EXPECT_EQ(text.notice, nullptr);
  EXPECT_EQ(text.noticeExpiry, 0);
  EXPECT_EQ(text.noticeDuration, 1000);
  EXPECT_EQ(text.colour.r, 255);
  EXPECT_EQ(text.colour.g, 255);
  EXPECT_EQ(text.colour.b, 255);
  EXPECT_EQ(text.colour.a, 255);
}

TEST(TextRenderer, DrawTextPlacesTheLineByItsTopLeftCorner) {
  TextRenderer text(harness::Window(), harness::Renderer());
  harness::ClearWindow();
  harness::CaptureStdout out;
  text.DrawText("Level 1", 32, 300, 200);
  EXPECT_EQ(out.Text(), "");

  Lit box = LitBox(280, 180, 200, 80);
  ASSERT_TRUE(box.Any()) << "the line was not drawn";
  EXPECT_GE(box.left, 300) << "nothing left of x";
  EXPECT_GE(box.top, 200) << "nothing above y";
  EXPECT_LT(box.left, 300 + 8) << "the text starts at x";
  EXPECT_LT(box.top, 200 + 16) << "the text starts near y";
  // A 32-point line of seven characters is clearly wider than tall.
  EXPECT_GT(box.right - box.left, 60);
  EXPECT_LT(box.bottom - box.top, 40);
  // Solid rendering: every lit pixel of the leftmost column is pure white.
  SDL_Color glyph{0, 0, 0, 255};
  for (int y = box.top; y <= box.bottom && glyph.r == 0; ++y) glyph = harness::PixelAt(box.left, y);
  EXPECT_EQ(glyph.r, 255);
  EXPECT_EQ(glyph.g, 255);
  EXPECT_EQ(glyph.b, 255);
}

TEST(TextRenderer, PointSizeScalesTheLine) {
  TextRenderer text(harness::Window(), harness::Renderer());
  harness::ClearWindow();
  text.DrawText("HH", 12, 100, 100);
  Lit small = LitBox(100, 100, 200, 100);
  harness::ClearWindow();
  text.DrawText("HH", 48, 100, 100);
  Lit large = LitBox(100, 100, 200, 100);
  ASSERT_TRUE(small.Any());
  ASSERT_TRUE(large.Any());
  EXPECT_GT(large.bottom - large.top, 3 * (small.bottom - small.top));
}

TEST(TextRenderer, NoticeSitsBottomLeftAndLastsOneSecondAfterItsLatestShow) {
  SetClock(5000);
  TextRenderer text(harness::Window(), harness::Renderer());
  text.ShowNotice("Picked up a Coin.");
  ASSERT_NE(text.notice, nullptr);
  EXPECT_EQ(text.notice->x, 64);
  EXPECT_EQ(text.notice->y, 684);
  EXPECT_EQ(text.notice->text, "Picked up a Coin.");
  EXPECT_NE(text.notice->font, nullptr);
  EXPECT_EQ(text.noticeExpiry, 6000);

  // A second notice half a second later replaces the first and restarts the second.
  Clock::Advance(500);
  text.ShowNotice("Picked up a Health Pack.");
  ASSERT_NE(text.notice, nullptr);
  EXPECT_EQ(text.notice->text, "Picked up a Health Pack.");
  EXPECT_EQ(text.noticeExpiry, 6500);

  // Drawn in every step up to and including the first one past the expiry.
  Clock::Advance(1000);  // now 6500: not yet past
  harness::ClearWindow();
  text.UpdateNotice();
  ASSERT_NE(text.notice, nullptr) << "the first notice's deadline must not end the second";
  Lit box = LitBox(40, 670, 500, 50);
  ASSERT_TRUE(box.Any());
  EXPECT_GE(box.left, 64);
  EXPECT_GE(box.top, 684);

  Clock::Advance(1);  // 6501: past; drawn once more, then dropped
  harness::ClearWindow();
  text.UpdateNotice();
  EXPECT_EQ(text.notice, nullptr);
  EXPECT_TRUE(LitBox(40, 670, 500, 50).Any()) << "the expiring step still draws the notice";

  harness::ClearWindow();
  text.UpdateNotice();
  EXPECT_FALSE(LitBox(40, 670, 500, 50).Any());
}

TEST(TextRenderer, NoticeLongerThanItsLifeStillDrawsWhenStepsResume) {
  // A notice left pending while the menu runs is drawn once and then dropped.
  SetClock(0);
  TextRenderer text(harness::Window(), harness::Renderer());
  text.ShowNotice("Picked up an Attack Charge.");
  Clock::Advance(60000);
  harness::ClearWindow();
  text.UpdateNotice();
  EXPECT_TRUE(LitBox(40, 670, 500, 50).Any());
  EXPECT_EQ(text.notice, nullptr);
}

TEST(TextRenderer, MissingFontIsReportedAndDrawsNothing) {
  harness::TempRunFolder folder;
  folder.CopyAssets();
  std::remove("Resources/Assets/DejaVuSans.ttf");
  SetClock(0);
  TextRenderer text(harness::Window(), harness::Renderer());
  harness::ClearWindow();
  {
    harness::CaptureStdout out;
    text.DrawText("Start", 24, 100, 100);
    std::string printed = out.Text();
    const std::string first = "Surface for font not loaded!\n";
    ASSERT_EQ(printed.compare(0, first.size(), first), 0) << printed;
    EXPECT_GT(printed.size(), first.size() + 1) << "the SDL error line follows";
    EXPECT_EQ(printed.back(), '\n');
  }
  {
    harness::CaptureStdout out;
    text.ShowNotice("Picked up a Coin.");
    ASSERT_NE(text.notice, nullptr);
    EXPECT_EQ(text.notice->font, nullptr);
    text.UpdateNotice();
    EXPECT_EQ(out.Text().rfind("Surface for font not loaded!\n", 0), 0u);
  }
  EXPECT_FALSE(harness::AnyLitPixel(0, 0, 1280, 720));
}

TEST(TextRenderer, TextureFailureIsReported) {
  TextRenderer text(harness::Window(), nullptr);
  harness::CaptureStdout out;
  text.DrawText("Options", 24, 0, 0);
  std::string printed = out.Text();
  EXPECT_EQ(printed.rfind("Texture for font not loaded!\n", 0), 0u) << printed;
}

TEST(TextRenderer, EmptyTextDrawsNothingAndDoesNotCrash) {
  TextRenderer text(harness::Window(), harness::Renderer());
  harness::ClearWindow();
  harness::CaptureStdout out;
  text.DrawText("", 24, 10, 10);
  out.Text();
  EXPECT_FALSE(harness::AnyLitPixel(0, 0, 200, 100));
}
