// Shared pieces of the windowing tests: a window class whose procedure records every message,
// expected-message tables and the comparison that prints both sequences when they differ.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/core/backend.h"
#include "platform/core/window_api.h"

namespace window_test {

struct Recorded {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// One expected message: its number, optionally the window and the wParam it must carry.
struct Expected {
  UINT message;
  std::optional<WPARAM> wParam = std::nullopt;
  HWND hwnd = nullptr;
};

std::vector<Recorded>& Log();
// Messages the recorder leaves out unless asked: queries the core makes around pointer input.
bool IsNoise(UINT message);
std::string MessageName(UINT message);

// The recording class ("RecorderWindow", CS_DBLCLKS) and one without double clicks.
LRESULT RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
const wchar_t* RecorderClass();
const wchar_t* PlainRecorderClass();

HWND CreateRecorder(DWORD style, RECT rect, HWND parent = nullptr, DWORD exStyle = 0,
                    const wchar_t* cls = nullptr);

// Dispatches every message already queued (paint and due timers included).
void Pump();
// Dispatches messages until `done` holds or `timeoutMs` passed; false on timeout.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 2000);

// Compares the recorded messages (noise left out) with the table; prints both on a mismatch.
::testing::AssertionResult MatchesSequence(const std::vector<Recorded>& got, const std::vector<Expected>& want);

// Installs a fresh offscreen backend before each test and destroys the test's windows after.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};

}  // namespace window_test
