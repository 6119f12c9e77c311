// Keyboard translation of the x11 backend: X key symbols to virtual keys, the lParam of key
// messages, and the character a key press types.
#pragma once

#include "platform/x11/x11_display.h"

#include "platform/base/win_types.h"

namespace platform::x11 {

struct KeyTranslation {
  UINT virtualKey = 0;  // 0: the key has no virtual key (it is ignored)
  UINT sidedKey = 0;    // VK_LSHIFT, VK_RCONTROL...: the side-specific key for modifiers, else virtualKey
  bool extended = false;  // the extended-key bit (24) of the key message's lParam
};

// The virtual key of a key symbol. Letters are upper case, digits their ASCII codes; symbols of
// the US layout map to the VK_OEM_* keys of the same position.
KeyTranslation TranslateKeysym(KeySym sym);

// The virtual key of a key event: the key's unshifted symbol, except on the keypad where Num
// Lock decides (VK_NUMPAD1 or VK_END), as on the PC keyboard.
KeyTranslation TranslateKeyEvent(XKeyEvent* event);

// The characters a key press types (WM_CHAR units; wchar_t holds a whole code point):
// control characters included (Return 13, BackSpace 8, Tab 9, Escape 27, Ctrl+A 1). With an
// input context the keyboard's full repertoire and composed characters come through
// Xutf8LookupString; without one, Latin-1 and the Unicode key symbols. Writes at most
// `capacity` characters and returns their count (0 for keys that type nothing).
int KeyEventText(XKeyEvent* event, XIC inputContext, wchar_t* out, int capacity);

// The lParam of WM_KEYDOWN/WM_KEYUP: repeat count 1, scan code, extended bit, the context bit
// (Alt held), the previous-state bit and the transition bit.
LPARAM KeyMessageLParam(unsigned int keycode, bool extended, bool altDown, bool wasDown, bool release);

// Upper bounds of the key state tables (virtual keys are one byte).
constexpr int kVirtualKeyCount = 256;

}  // namespace platform::x11
