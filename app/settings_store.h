// The user's three choices, kept per user in the settings key named after the program's title.
#pragma once

#include <cstdint>

#include "platform/base/cstring.h"

namespace app {

constexpr const wchar_t* kLedSwitchSetting = L"led_switch";
constexpr const wchar_t* kDeviceTypeSetting = L"device_type";
constexpr const wchar_t* kTempeTypeSetting = L"tempe_type";

// The value `name` as a decimal integer; 0 when it is missing, not a number or unreadable.
// Creates the key when it does not exist yet.
int32_t ReadSetting(const CString& name);
// Stores `text` as value `name`; nothing happens (and nothing is reported) when the key cannot
// be opened.
void WriteSetting(const CString& name, const CString& text);

// The text as the C library's wide integer conversion reads it: leading white space, an optional
// sign, then decimal digits up to the first other character; 0 without digits. Values beyond the
// 32-bit range are held at its ends, as a 32-bit conversion does.
int32_t ParseSettingInteger(const CString& text);

}  // namespace app
