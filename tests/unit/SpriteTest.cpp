#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "gfx/Sprite.h"
#include "harness/Harness.h"

namespace {
struct Rgb {
  Uint8 r, g, b;
};

constexpr Rgb kMagenta{255, 0, 255};      // the transparent colour
constexpr Rgb kNearMagenta{254, 0, 255};  // one step off: drawn
constexpr Rgb kRed{200, 0, 0};
constexpr Rgb kGreen{0, 200, 0};
constexpr Rgb kBlue{0, 0, 200};
constexpr Rgb kWhite{255, 255, 255};

// Writes a 24-bit BMP (as the asset generator does) whose rows are given
// top to bottom.
void WriteBmp(const std::string& path, int width, int height, const Rgb* pixels) {
  SDL_Surface* surface =
      SDL_CreateRGBSurfaceWithFormat(0, width, height, 24, SDL_PIXELFORMAT_RGB24);
  ASSERT_NE(surface, nullptr) << SDL_GetError();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      Uint8* p = static_cast<Uint8*>(surface->pixels) + y * surface->pitch + x * 3;
      const Rgb& c = pixels[y * width + x];
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
    }
  }
  ASSERT_EQ(SDL_SaveBMP(surface, path.c_str()), 0) << SDL_GetError();
  SDL_FreeSurface(surface);
}

// A 3 by 2 picture: row 0 red, magenta, blue; row 1 near-magenta, green, white.
const Rgb kPicture[] = {kRed, kMagenta, kBlue, kNearMagenta, kGreen, kWhite};

void ExpectPixel(int x, int y, Rgb want) {
  SDL_Color got = harness::PixelAt(x, y);
  EXPECT_TRUE(got.r == want.r && got.g == want.g && got.b == want.b)
      << "pixel (" << x << ", " << y << ") is (" << int(got.r) << ", " << int(got.g) << ", "
      << int(got.b) << "), expected (" << int(want.r) << ", " << int(want.g) << ", " << int(want.b)
      << ")";
}

constexpr Rgb kBlack{0, 0, 0};
}  // namespace

TEST(Sprite, LoadsSizeAndDrawsAtItsTopLeftWithMagentaTransparent) {
  harness::TempRunFolder folder;
  WriteBmp("picture.bmp", 3, 2, kPicture);
  harness::CaptureStdout out;
  Sprite sprite(harness::Renderer(), "picture.bmp");
  EXPECT_EQ(out.Text(), "") << "a good bitmap prints nothing";
  EXPECT_NE(sprite.surface, nullptr);
  EXPECT_NE(sprite.texture, nullptr);
  EXPECT_EQ(sprite.renderer, harness::Renderer());
  EXPECT_EQ(sprite.width, 3);
  EXPECT_EQ(sprite.height, 2);
  EXPECT_EQ(sprite.x, 0);
  EXPECT_EQ(sprite.y, 0);

  harness::ClearWindow();
  sprite.Draw(10, 20);
  ExpectPixel(10, 20, kRed);
  ExpectPixel(11, 20, kBlack);  // magenta is not drawn
  ExpectPixel(12, 20, kBlue);
  ExpectPixel(10, 21, kNearMagenta);
  ExpectPixel(11, 21, kGreen);
  ExpectPixel(12, 21, kWhite);
  // Natural size: nothing outside the 3 by 2 rectangle.
  EXPECT_FALSE(harness::AnyLitPixel(0, 0, 40, 20));
  EXPECT_FALSE(harness::AnyLitPixel(0, 22, 40, 10));
  EXPECT_FALSE(harness::AnyLitPixel(0, 20, 10, 2));
  EXPECT_FALSE(harness::AnyLitPixel(13, 20, 20, 2));
}

TEST(Sprite, TransparentPixelsKeepWhatIsBehind) {
  harness::TempRunFolder folder;
  WriteBmp("picture.bmp", 3, 2, kPicture);
  Sprite sprite(harness::Renderer(), "picture.bmp");
  harness::ClearWindow();
  SDL_SetRenderDrawColor(harness::Renderer(), 10, 90, 30, 255);
  SDL_Rect under{0, 0, 50, 50};
  SDL_RenderFillRect(harness::Renderer(), &under);
  sprite.Draw(5, 5);
  ExpectPixel(6, 5, Rgb{10, 90, 30});
  ExpectPixel(5, 5, kRed);
}

TEST(Sprite, DrawFacingLeftMirrorsInTheSameRectangle) {
  harness::TempRunFolder folder;
  WriteBmp("picture.bmp", 3, 2, kPicture);
  Sprite sprite(harness::Renderer(), "picture.bmp");

  harness::ClearWindow();
  sprite.DrawFacing(true, 100, 50);
  ExpectPixel(100, 50, kRed);
  ExpectPixel(102, 50, kBlue);
  ExpectPixel(102, 51, kWhite);

  harness::ClearWindow();
  sprite.DrawFacing(false, 100, 50);
  ExpectPixel(100, 50, kBlue);
  ExpectPixel(101, 50, kBlack);
  ExpectPixel(102, 50, kRed);
  ExpectPixel(100, 51, kWhite);
  ExpectPixel(101, 51, kGreen);
  ExpectPixel(102, 51, kNearMagenta);
  EXPECT_FALSE(harness::AnyLitPixel(97, 50, 3, 2)) << "the top-left corner must not move";
  EXPECT_FALSE(harness::AnyLitPixel(103, 50, 3, 2));
}

TEST(Sprite, OffWindowPositionsArePassedOn) {
  harness::TempRunFolder folder;
  WriteBmp("picture.bmp", 3, 2, kPicture);
  Sprite sprite(harness::Renderer(), "picture.bmp");
  harness::ClearWindow();
  sprite.Draw(-1, -1);
  ExpectPixel(0, 0, kGreen);  // bitmap pixel (1, 1)
  ExpectPixel(1, 0, kWhite);  // bitmap pixel (2, 1)
  ExpectPixel(2, 0, kBlack);
  harness::ClearWindow();
  sprite.Draw(1278, 719);
  ExpectPixel(1278, 719, kRed);
  ExpectPixel(1279, 719, kBlack);
}

TEST(Sprite, MissingFilePrintsBothLinesHasNoSizeAndDrawsNothing) {
  harness::TempRunFolder folder;
  harness::CaptureStdout out;
  Sprite sprite(harness::Renderer(), "Resources/Assets/NoSuchPicture.bmp");
  std::string text = out.Text();
  const std::string first = "Surface for bitmap 'Resources/Assets/NoSuchPicture.bmp' not loaded!\n";
  ASSERT_EQ(text.compare(0, first.size(), first), 0) << text;
  std::string second = text.substr(first.size());
  EXPECT_GT(second.size(), 1u) << "the SDL error line follows";
  EXPECT_EQ(second.back(), '\n');
  EXPECT_EQ(second.find('\n'), second.size() - 1) << "exactly one more line";
  EXPECT_EQ(sprite.surface, nullptr);
  EXPECT_EQ(sprite.texture, nullptr);
  EXPECT_EQ(sprite.width, 0);
  EXPECT_EQ(sprite.height, 0);

  harness::ClearWindow();
  sprite.Draw(0, 0);
  sprite.DrawFacing(false, 0, 0);
  sprite.DrawFacing(true, 0, 0);
  EXPECT_FALSE(harness::AnyLitPixel(0, 0, 64, 64));
}

TEST(Sprite, DamagedFilesAreReportedNotFatal) {
  harness::TempRunFolder folder;
  WriteBmp("good.bmp", 3, 2, kPicture);
  std::string good = folder.Read("good.bmp");
  ASSERT_GT(good.size(), 54u);

  std::srand(7);
  std::string noise(300, '\0');
  for (char& c : noise) c = static_cast<char>(std::rand() & 0xFF);
  std::string hugeDimensions = good;
  hugeDimensions[18] = hugeDimensions[19] = hugeDimensions[20] = '\x7F';  // width ~ 2^23
  hugeDimensions[22] = hugeDimensions[23] = hugeDimensions[24] = '\x7F';  // height likewise

  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty.bmp", ""},
      {"header-only.bmp", good.substr(0, 10)},
      {"truncated-info.bmp", good.substr(0, 30)},
      {"noise.bmp", noise},
      {"BM-then-noise.bmp", "BM" + noise},
      {"huge.bmp", hugeDimensions},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    folder.Write(c.name, c.bytes);
    harness::CaptureStdout out;
    Sprite sprite(harness::Renderer(), c.name);
    std::string text = out.Text();
    if (sprite.surface) continue;  // SDL may accept a damaged file; then it is a picture
    EXPECT_NE(text.find(std::string("Surface for bitmap '") + c.name + "' not loaded!\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(sprite.width, 0);
    EXPECT_EQ(sprite.height, 0);
    harness::ClearWindow();
    sprite.Draw(0, 0);
    EXPECT_FALSE(harness::AnyLitPixel(0, 0, 32, 32));
  }
}

TEST(Sprite, FailedTextureKeepsTheBitmapSizeAndDrawsNothing) {
  harness::TempRunFolder folder;
  WriteBmp("picture.bmp", 3, 2, kPicture);
  harness::CaptureStdout out;
  Sprite sprite(nullptr, "picture.bmp");  // no renderer to make the texture with
  std::string text = out.Text();
  EXPECT_EQ(text.rfind("Texture for bitmap 'picture.bmp' not loaded!\n", 0), 0u) << text;
  EXPECT_NE(sprite.surface, nullptr);
  EXPECT_EQ(sprite.texture, nullptr);
  EXPECT_EQ(sprite.width, 3);
  EXPECT_EQ(sprite.height, 2);
  sprite.Draw(0, 0);
  sprite.DrawFacing(false, 0, 0);
}
