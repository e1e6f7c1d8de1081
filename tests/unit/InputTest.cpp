#include <gtest/gtest.h>

#include <cstddef>

#include "app/Input.h"
#include "harness/Harness.h"

using harness::KeyDown;
using harness::KeyUp;

// The readers and the rest of the game rely on the record's byte layout:
// eight pressed flags, then the eight latches in the same key order.
static_assert(sizeof(Input) == 16, "Input is sixteen one-byte booleans");
static_assert(offsetof(Input, escape) == 0 && offsetof(Input, up) == 1 &&
                  offsetof(Input, down) == 2 && offsetof(Input, left) == 3 &&
                  offsetof(Input, right) == 4 && offsetof(Input, keyX) == 5 &&
                  offsetof(Input, keyZ) == 6 && offsetof(Input, keyR) == 7,
              "pressed flags come first, in key order");
static_assert(offsetof(Input, escapeHeld) == 8 && offsetof(Input, upHeld) == 9 &&
                  offsetof(Input, downHeld) == 10 && offsetof(Input, leftHeld) == 11 &&
                  offsetof(Input, rightHeld) == 12 && offsetof(Input, keyXHeld) == 13 &&
                  offsetof(Input, keyZHeld) == 14 && offsetof(Input, keyRHeld) == 15,
              "latches follow, in the same key order");

namespace {
struct Watched {
  SDL_Keycode key;
  bool Input::*flag;
  bool Input::*held;
  const char* name;
};

const Watched kWatched[] = {
    {SDLK_ESCAPE, &Input::escape, &Input::escapeHeld, "Escape"},
    {SDLK_UP, &Input::up, &Input::upHeld, "Up"},
    {SDLK_DOWN, &Input::down, &Input::downHeld, "Down"},
    {SDLK_LEFT, &Input::left, &Input::leftHeld, "Left"},
    {SDLK_RIGHT, &Input::right, &Input::rightHeld, "Right"},
    {SDLK_x, &Input::keyX, &Input::keyXHeld, "X"},
    {SDLK_z, &Input::keyZ, &Input::keyZHeld, "Z"},
    {SDLK_r, &Input::keyR, &Input::keyRHeld, "R"},
};

// The sixteen bytes, to tell that nothing but the expected ones moved.
std::string Bytes(const Input& input) {
  return std::string(reinterpret_cast<const char*>(&input), sizeof input);
}

bool AllZero(const Input& input) { return Bytes(input) == std::string(sizeof input, '\0'); }
}  // namespace

TEST(Input, StartsWithAllSixteenBytesZero) {
  Input input;
  EXPECT_TRUE(AllZero(input));
}

TEST(Input, EachKeySetsOnlyItsOwnFlagAndLatch) {
  for (const Watched& w : kWatched) {
    SCOPED_TRACE(w.name);
    Input input;
    input.OnKeyDown(KeyDown(w.key));
    Input expected;
    expected.*w.flag = true;
    expected.*w.held = true;
    EXPECT_EQ(Bytes(input), Bytes(expected));

    input.OnKeyUp(KeyUp(w.key));
    EXPECT_TRUE(AllZero(input)) << "key-up returns the key to idle";
  }
}

TEST(Input, OnePhysicalPressSetsTheFlagOnce) {
  for (const Watched& w : kWatched) {
    SCOPED_TRACE(w.name);
    Input input;
    input.OnKeyDown(KeyDown(w.key));
    // A one-shot reader consumes the press.
    input.*w.flag = false;
    // Auto-repeat, and a second key-down without a key-up, do not bring it back.
    for (int i = 0; i < 20; ++i) input.OnKeyDown(KeyDown(w.key, KMOD_NONE, true));
    input.OnKeyDown(KeyDown(w.key));
    EXPECT_FALSE(input.*w.flag) << "a consumed press must not return while the key is held";
    EXPECT_TRUE(input.*w.held);

    // Released and pressed again: a new press.
    input.OnKeyUp(KeyUp(w.key));
    input.OnKeyDown(KeyDown(w.key));
    EXPECT_TRUE(input.*w.flag);
  }
}

TEST(Input, HeldKeyReaderSeesTheFlagThroughAutoRepeat) {
  Input input;
  input.OnKeyDown(KeyDown(SDLK_LEFT));
  for (int frame = 0; frame < 100; ++frame) {
    input.OnKeyDown(KeyDown(SDLK_LEFT, KMOD_NONE, true));
    ASSERT_TRUE(input.left) << "gap in a held key at frame " << frame;
  }
  input.OnKeyUp(KeyUp(SDLK_LEFT));
  EXPECT_FALSE(input.left);
}

TEST(Input, PressAndReleaseInOneFrameLosesThePress) {
  Input input;
  input.OnKeyDown(KeyDown(SDLK_z));
  input.OnKeyUp(KeyUp(SDLK_z));
  EXPECT_FALSE(input.keyZ);
  EXPECT_FALSE(input.keyZHeld);
}

TEST(Input, KeyUpOfANeverPressedKeyChangesNothing) {
  for (const Watched& w : kWatched) {
    SCOPED_TRACE(w.name);
    Input input;
    input.OnKeyUp(KeyUp(w.key));
    EXPECT_TRUE(AllZero(input));
  }
  // And it leaves the other keys' presses alone.
  Input input;
  input.OnKeyDown(KeyDown(SDLK_x));
  input.OnKeyUp(KeyUp(SDLK_z));
  EXPECT_TRUE(input.keyX);
  EXPECT_TRUE(input.keyXHeld);
}

TEST(Input, ShiftAndCapsLockActAsThePlainLetter) {
  const Uint16 modifiers[] = {KMOD_LSHIFT, KMOD_RSHIFT, KMOD_CAPS, KMOD_LSHIFT | KMOD_CAPS};
  for (Uint16 mod : modifiers) {
    SCOPED_TRACE(mod);
    Input input;
    input.OnKeyDown(KeyDown(SDLK_z, mod));
    EXPECT_TRUE(input.keyZ);
    EXPECT_TRUE(input.keyZHeld);
    input.OnKeyUp(KeyUp(SDLK_z));
    EXPECT_TRUE(AllZero(input));
  }
}

TEST(Input, OtherKeysChangeNothing) {
  const SDL_Keycode others[] = {SDLK_RETURN,   SDLK_SPACE,  SDLK_w,        SDLK_a,    SDLK_s,
                                SDLK_d,        SDLK_KP_8,   SDLK_KP_2,     SDLK_KP_4, SDLK_KP_6,
                                SDLK_KP_ENTER, SDLK_LSHIFT, SDLK_CAPSLOCK, SDLK_TAB,  SDLK_y};
  for (SDL_Keycode key : others) {
    SCOPED_TRACE(SDL_GetKeyName(key));
    Input input;
    input.OnKeyDown(KeyDown(key));
    EXPECT_TRUE(AllZero(input));
    // Nor does a foreign key-up release a watched key.
    input.OnKeyDown(KeyDown(SDLK_r));
    input.OnKeyUp(KeyUp(key));
    EXPECT_TRUE(input.keyR);
  }
}

TEST(Input, KeysAreToldApartByKeycodeNotScancode) {
  // On an AZERTY layout the key in the Z position reports the keycode 'w'
  // and the key in the W position reports 'z': the game follows the keycode.
  SDL_Event event = KeyDown(SDLK_z);
  event.key.keysym.scancode = SDL_SCANCODE_W;
  Input input;
  input.OnKeyDown(event);
  EXPECT_TRUE(input.keyZ);

  SDL_Event other = KeyDown(SDLK_w);
  other.key.keysym.scancode = SDL_SCANCODE_Z;
  Input second;
  second.OnKeyDown(other);
  EXPECT_TRUE(AllZero(second));
}
