#include "platform/x11/x11_keymap.h"

#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdint>

#include "platform/core/messages.h"

namespace platform::x11 {

namespace {

// Virtual keys messages.h has no name for.
constexpr UINT kVkF13 = 0x7C;
constexpr UINT kVkOem4 = 0xDB;    // [{ on the US layout
constexpr UINT kVkOem5 = 0xDC;    // \|
constexpr UINT kVkOem6 = 0xDD;    // ]}
constexpr UINT kVkOem7 = 0xDE;    // '"
constexpr UINT kVkOem102 = 0xE2;  // the extra key left of Z on ISO keyboards

struct KeysymEntry {
  KeySym sym;
  UINT vk;
  UINT sided;  // 0: same as vk
  bool extended;
};

// Keys whose virtual key is not derived arithmetically (letters, digits, F-keys, numpad digits
// are handled in TranslateKeysym).
constexpr KeysymEntry kKeysymTable[] = {
    {XK_BackSpace, VK_BACK, 0, false},
    {XK_Tab, VK_TAB, 0, false},
    {XK_ISO_Left_Tab, VK_TAB, 0, false},
    {XK_Return, VK_RETURN, 0, false},
    {XK_KP_Enter, VK_RETURN, 0, true},
    {XK_Escape, VK_ESCAPE, 0, false},
    {XK_space, VK_SPACE, 0, false},
    {XK_Pause, VK_PAUSE, 0, false},
    {XK_Print, VK_SNAPSHOT, 0, true},
    {XK_Caps_Lock, VK_CAPITAL, 0, false},
    {XK_Num_Lock, VK_NUMLOCK, 0, true},
    {XK_Scroll_Lock, VK_SCROLL, 0, false},
    {XK_Prior, VK_PRIOR, 0, true},
    {XK_Next, VK_NEXT, 0, true},
    {XK_End, VK_END, 0, true},
    {XK_Home, VK_HOME, 0, true},
    {XK_Left, VK_LEFT, 0, true},
    {XK_Up, VK_UP, 0, true},
    {XK_Right, VK_RIGHT, 0, true},
    {XK_Down, VK_DOWN, 0, true},
    {XK_Insert, VK_INSERT, 0, true},
    {XK_Delete, VK_DELETE, 0, true},
    {XK_Select, VK_SELECT, 0, false},
    {XK_Help, VK_HELP, 0, false},
    {XK_Shift_L, VK_SHIFT, VK_LSHIFT, false},
    {XK_Shift_R, VK_SHIFT, VK_RSHIFT, false},
    {XK_Control_L, VK_CONTROL, VK_LCONTROL, false},
    {XK_Control_R, VK_CONTROL, VK_RCONTROL, true},
    {XK_Alt_L, VK_MENU, VK_LMENU, false},
    {XK_Meta_L, VK_MENU, VK_LMENU, false},
    {XK_Alt_R, VK_MENU, VK_RMENU, true},
    {XK_Meta_R, VK_MENU, VK_RMENU, true},
    {XK_ISO_Level3_Shift, VK_MENU, VK_RMENU, true},
    {XK_Super_L, VK_LWIN, 0, true},
    {XK_Super_R, VK_RWIN, 0, true},
    {XK_Menu, VK_APPS, 0, true},
    // Keypad without Num Lock: the navigation keys, not extended (the PC keypad's own keys).
    {XK_KP_Home, VK_HOME, 0, false},
    {XK_KP_End, VK_END, 0, false},
    {XK_KP_Prior, VK_PRIOR, 0, false},
    {XK_KP_Next, VK_NEXT, 0, false},
    {XK_KP_Left, VK_LEFT, 0, false},
    {XK_KP_Up, VK_UP, 0, false},
    {XK_KP_Right, VK_RIGHT, 0, false},
    {XK_KP_Down, VK_DOWN, 0, false},
    {XK_KP_Insert, VK_INSERT, 0, false},
    {XK_KP_Delete, VK_DELETE, 0, false},
    {XK_KP_Begin, VK_CLEAR, 0, false},
    {XK_KP_Multiply, VK_MULTIPLY, 0, false},
    {XK_KP_Add, VK_ADD, 0, false},
    {XK_KP_Separator, VK_SEPARATOR, 0, false},
    {XK_KP_Subtract, VK_SUBTRACT, 0, false},
    {XK_KP_Decimal, VK_DECIMAL, 0, false},
    {XK_KP_Divide, VK_DIVIDE, 0, true},
    // Punctuation keys by their US-layout position.
    {XK_semicolon, VK_OEM_1, 0, false},
    {XK_equal, VK_OEM_PLUS, 0, false},
    {XK_comma, VK_OEM_COMMA, 0, false},
    {XK_minus, VK_OEM_MINUS, 0, false},
    {XK_period, VK_OEM_PERIOD, 0, false},
    {XK_slash, VK_OEM_2, 0, false},
    {XK_grave, VK_OEM_3, 0, false},
    {XK_bracketleft, kVkOem4, 0, false},
    {XK_backslash, kVkOem5, 0, false},
    {XK_bracketright, kVkOem6, 0, false},
    {XK_apostrophe, kVkOem7, 0, false},
    {XK_less, kVkOem102, 0, false},
};

bool IsKeypadSym(KeySym sym) { return sym >= XK_KP_Space && sym <= XK_KP_Equal; }

}  // namespace

KeyTranslation TranslateKeysym(KeySym sym) {
  KeyTranslation result;
  if (sym >= XK_a && sym <= XK_z) {
    result.virtualKey = static_cast<UINT>('A' + (sym - XK_a));
  } else if (sym >= XK_A && sym <= XK_Z) {
    result.virtualKey = static_cast<UINT>('A' + (sym - XK_A));
  } else if (sym >= XK_0 && sym <= XK_9) {
    result.virtualKey = static_cast<UINT>('0' + (sym - XK_0));
  } else if (sym >= XK_F1 && sym <= XK_F12) {
    result.virtualKey = VK_F1 + static_cast<UINT>(sym - XK_F1);
  } else if (sym >= XK_F13 && sym <= XK_F24) {
    result.virtualKey = kVkF13 + static_cast<UINT>(sym - XK_F13);
  } else if (sym >= XK_KP_0 && sym <= XK_KP_9) {
    result.virtualKey = VK_NUMPAD0 + static_cast<UINT>(sym - XK_KP_0);
  } else {
    for (const KeysymEntry& entry : kKeysymTable) {
      if (entry.sym == sym) {
        result.virtualKey = entry.vk;
        result.sidedKey = entry.sided;
        result.extended = entry.extended;
        break;
      }
    }
  }
  if (result.sidedKey == 0) result.sidedKey = result.virtualKey;
  return result;
}

KeyTranslation TranslateKeyEvent(XKeyEvent* event) {
  KeySym base = XLookupKeysym(event, 0);
  if (IsKeypadSym(base) || base == XK_KP_Home || base == XK_KP_End || base == XK_KP_Insert ||
      base == XK_KP_Delete || (base >= XK_KP_Left && base <= XK_KP_Begin)) {
    // The keypad's meaning depends on Num Lock, which XLookupString applies.
    KeySym effective = NoSymbol;
    char ignored[8];
    XLookupString(event, ignored, sizeof ignored, &effective, nullptr);
    if (effective != NoSymbol) base = effective;
  }
  return TranslateKeysym(base);
}

namespace {

// Decodes UTF-8 into code points; malformed sequences are skipped.
int DecodeUtf8(const char* text, int length, wchar_t* out, int capacity) {
  int count = 0;
  int i = 0;
  while (i < length && count < capacity) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : -1;
    if (extra < 0 || i + extra >= length) {
      ++i;
      continue;
    }
    std::uint32_t code = extra == 0 ? lead : (lead & (0x3Fu >> extra));
    bool valid = true;
    for (int k = 1; k <= extra; ++k) {
      unsigned char next = static_cast<unsigned char>(text[i + k]);
      valid = valid && (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    i += valid ? extra + 1 : 1;
    if (valid) out[count++] = static_cast<wchar_t>(code);
  }
  return count;
}

}  // namespace

int KeyEventText(XKeyEvent* event, XIC inputContext, wchar_t* out, int capacity) {
  if (capacity <= 0) return 0;
  KeySym sym = NoSymbol;
  if (inputContext != nullptr && event->type == KeyPress) {
    char utf8[64];
    Status status = 0;
    int bytes = Xutf8LookupString(inputContext, event, utf8, sizeof utf8, &sym, &status);
    if (status != XLookupChars && status != XLookupBoth) return 0;
    if (sym == XK_Delete || sym == XK_KP_Delete) return 0;
    return DecodeUtf8(utf8, bytes, out, capacity);
  }
  char latin1[32];
  int bytes = XLookupString(event, latin1, sizeof latin1, &sym, nullptr);
  // Key symbols of the Unicode range carry their code point directly (wchar_t holds it whole).
  if ((sym & 0xFF000000) == 0x01000000) {
    out[0] = static_cast<wchar_t>(sym & 0x00FFFFFF);
    return 1;
  }
  int count = 0;
  for (int i = 0; i < bytes && count < capacity; ++i) {
    // Delete types 127 in X but nothing on the PC keyboard (it is a key, not a character).
    if (sym == XK_Delete || sym == XK_KP_Delete) break;
    out[count++] = static_cast<wchar_t>(static_cast<unsigned char>(latin1[i]));
  }
  return count;
}

LPARAM KeyMessageLParam(unsigned int keycode, bool extended, bool altDown, bool wasDown, bool release) {
  // X key codes are the kernel's key codes plus 8; those equal the PC set-1 scan codes for the
  // main block.
  DWORD scan = keycode >= 8 ? (keycode - 8) & 0xFF : 0;
  DWORD value = 1u | (scan << 16);
  if (extended) value |= 1u << 24;
  if (altDown) value |= 1u << 29;
  if (wasDown || release) value |= 1u << 30;
  if (release) value |= 1u << 31;
  return static_cast<LPARAM>(value);
}

}  // namespace platform::x11
