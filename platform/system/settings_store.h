// The per-user settings store: the registry's per-user key as a text file.
// A key is the file "$XDG_CONFIG_HOME/<key name>/settings" (default ~/.config); each value is one
// line "name=text" in UTF-8. Every write replaces the file as a whole through a temporary file
// in the same folder and a rename, so a crash never leaves it truncated; other values and lines
// that are not of that form are kept as they are.
#pragma once

#include <string>

#include "platform/base/cstring.h"
#include "platform/base/win_types.h"

namespace platform {

// Result codes in the registry's manner.
constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_PARAMETER = 87;

// The folder settings live under: $XDG_CONFIG_HOME when it is an absolute path, else
// $HOME/.config; empty when neither is known.
std::string UserConfigFolder();

class SettingsKey {
 public:
  SettingsKey() = default;

  // Opens the key `keyName` (a folder name under the config folder). ERROR_FILE_NOT_FOUND when
  // it does not exist, another code when the config folder is unknown or unreadable.
  LONG Open(const CString& keyName);
  // Creates the key (its folder, mode 0700; the file appears with the first value) or opens it
  // if it exists.
  LONG Create(const CString& keyName);
  bool isOpen() const { return !folder_.empty(); }
  void Close() { folder_.clear(); }

  // The text of value `name`; ERROR_FILE_NOT_FOUND when it has none.
  LONG QueryValue(const CString& name, CString* text) const;
  // Sets value `name` to `text`, replacing the file atomically. Names holding '=' or a line end
  // and texts holding a line end are refused (ERROR_INVALID_PARAMETER): they could not be read
  // back as written.
  LONG SetValue(const CString& name, const CString& text);

  const std::string& folder() const { return folder_; }
  std::string filePath() const { return folder_ + "/settings"; }

 private:
  std::string folder_;  // empty while not open
};

}  // namespace platform
