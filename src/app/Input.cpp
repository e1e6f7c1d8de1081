#include "app/Input.h"

namespace {
// The flag and latch of one watched key; both null for any other keycode.
struct KeySlot {
  bool* flag = nullptr;
  bool* held = nullptr;
};

// Letter keys arrive as SDL's lower-case keycodes whatever Shift or Caps Lock
// say, so the modifier state never needs to be looked at.
KeySlot SlotFor(Input& input, SDL_Keycode key) {
  switch (key) {
    case SDLK_ESCAPE:
      return {&input.escape, &input.escapeHeld};
    case SDLK_UP:
      return {&input.up, &input.upHeld};
    case SDLK_DOWN:
      return {&input.down, &input.downHeld};
    case SDLK_LEFT:
      return {&input.left, &input.leftHeld};
    case SDLK_RIGHT:
      return {&input.right, &input.rightHeld};
    case SDLK_x:
      return {&input.keyX, &input.keyXHeld};
    case SDLK_z:
      return {&input.keyZ, &input.keyZHeld};
    case SDLK_r:
      return {&input.keyR, &input.keyRHeld};
    default:
      return {};
  }
}
}  // namespace

void Input::OnKeyDown(const SDL_Event& event) {
  KeySlot slot = SlotFor(*this, event.key.keysym.sym);
  // A set latch means the key is still down: auto-repeat must not re-arm a
  // press that a reader has already consumed.
  if (!slot.flag || *slot.held) return;
  *slot.flag = true;
  *slot.held = true;
}

void Input::OnKeyUp(const SDL_Event& event) {
  KeySlot slot = SlotFor(*this, event.key.keysym.sym);
  if (!slot.flag) return;
  *slot.flag = false;
  *slot.held = false;
}
