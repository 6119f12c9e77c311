#include "app/settings_store.h"

#include <cwctype>
#include <limits>

#include "app/app_identity.h"
#include "platform/system/settings_store.h"

namespace app {

namespace {

// The original reads into 255 bytes of UTF-16: at most 127 characters of a value count.
constexpr int kReadableCharacters = 127;

}  // namespace

int32_t ParseSettingInteger(const CString& text) {
  const std::wstring& s = text.str();
  size_t i = 0;
  while (i < s.size() && std::iswspace(static_cast<wint_t>(s[i]))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) {
    negative = s[i] == L'-';
    ++i;
  }
  int64_t value = 0;
  const int64_t limit = static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1;
  for (; i < s.size() && s[i] >= L'0' && s[i] <= L'9'; ++i) {
    value = value * 10 + (s[i] - L'0');
    if (value > limit) value = limit;  // held: further digits cannot bring it back
  }
  if (negative) {
    value = -value;
    return value < std::numeric_limits<int32_t>::min() ? std::numeric_limits<int32_t>::min() : static_cast<int32_t>(value);
  }
  return value > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(value);
}

int32_t ReadSetting(const CString& name) {
  platform::SettingsKey key;
  const LONG opened = key.Open(kAppTitle);
  if (opened == platform::ERROR_SUCCESS) {
    CString text;
    key.QueryValue(name, &text);  // a missing value leaves the text empty: 0
    return ParseSettingInteger(text.Left(kReadableCharacters));
  }
  if (opened == platform::ERROR_FILE_NOT_FOUND) key.Create(kAppTitle);
  return 0;
}

void WriteSetting(const CString& name, const CString& text) {
  platform::SettingsKey key;
  if (key.Open(kAppTitle) != platform::ERROR_SUCCESS) return;
  key.SetValue(name, text);
}

}  // namespace app
