// Window properties that other processes of the same display can see: how a second instance
// finds the running one's window. On x11 they are properties of the real window; the offscreen
// backend keeps them within the process.
#pragma once

#include <cstdint>

#include "platform/base/win_types.h"

namespace platform {

// Publishes `name` with a non-zero `value` on a top-level window; value 0 withdraws it.
// FALSE when the window is not a top-level window of this process.
BOOL PublishWindowProperty(HWND hwnd, const wchar_t* name, std::int64_t value);
// The value of `name` on any top-level window of the display, of this or another process.
bool FindPublishedWindowProperty(const wchar_t* name, std::int64_t* value);

}  // namespace platform
