// Pointer buttons of the x11 backend: what each X button means to the windowing core.
#pragma once

#include "platform/core/input.h"

namespace platform::x11 {

struct ButtonMeaning {
  enum Kind { kNone, kButton, kWheel } kind = kNone;
  MouseButton button = MouseButton::Left;  // kButton
  int wheelDelta = 0;  // kWheel: +120 away from the user (or to the right), -120 towards
  bool horizontal = false;  // kWheel
};

// Buttons 1-3 are left, middle and right; 4 and 5 turn the wheel up and down, 6 and 7 tilt it
// left and right (one WHEEL_DELTA per press; their releases mean nothing). Other buttons are
// ignored.
ButtonMeaning MeaningOfButton(unsigned int xButton);

}  // namespace platform::x11
