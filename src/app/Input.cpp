#include "app/Input.h"

namespace {
// The flag and latch of one watched key; both null for any other keycode.
struct KeySlot {
  bool* flag = nullptr;
  bool* held = nullptr;
};

// The watched keys with their flag and latch. Letter keys arrive as SDL's
// lower-case keycodes whatever Shift or Caps Lock say, so the modifier state
// never needs to be looked at.
struct Binding {
  SDL_Keycode key;
  bool Input::*flag;
  bool Input::*held;
};
constexpr Binding kBindings[] = {
    {SDLK_ESCAPE, &Input::escape, &Input::escapeHeld}, {SDLK_UP, &Input::up, &Input::upHeld},
    {SDLK_DOWN, &Input::down, &Input::downHeld},       {SDLK_LEFT, &Input::left, &Input::leftHeld},
    {SDLK_RIGHT, &Input::right, &Input::rightHeld},    {SDLK_x, &Input::keyX, &Input::keyXHeld},
    {SDLK_z, &Input::keyZ, &Input::keyZHeld},          {SDLK_r, &Input::keyR, &Input::keyRHeld},
};

KeySlot SlotFor(Input& input, SDL_Keycode key) {
  for (const Binding& binding : kBindings) {
    if (binding.key == key) return {&(input.*binding.flag), &(input.*binding.held)};
  }
  return {};
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
