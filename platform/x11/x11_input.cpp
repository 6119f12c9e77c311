#include "platform/x11/x11_input.h"

#include "platform/core/messages.h"

namespace platform::x11 {

ButtonMeaning MeaningOfButton(unsigned int xButton) {
  ButtonMeaning meaning;
  switch (xButton) {
    case 1:
      meaning.kind = ButtonMeaning::kButton;
      meaning.button = MouseButton::Left;
      break;
    case 2:
      meaning.kind = ButtonMeaning::kButton;
      meaning.button = MouseButton::Middle;
      break;
    case 3:
      meaning.kind = ButtonMeaning::kButton;
      meaning.button = MouseButton::Right;
      break;
    case 4:
    case 5:
      meaning.kind = ButtonMeaning::kWheel;
      meaning.wheelDelta = xButton == 4 ? WHEEL_DELTA : -WHEEL_DELTA;
      break;
    case 6:
    case 7:
      meaning.kind = ButtonMeaning::kWheel;
      meaning.wheelDelta = xButton == 7 ? WHEEL_DELTA : -WHEEL_DELTA;
      meaning.horizontal = true;
      break;
    default:
      break;
  }
  return meaning;
}

}  // namespace platform::x11
