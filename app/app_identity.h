// Who the program is: the names and numbers that cross to the outside and never change.
#pragma once

namespace app {

// Names the single-instance lock, the window property of the running instance, the settings
// folder and the tray tip.
constexpr const wchar_t* kAppTitle = L"Velmora Quillon";
constexpr const wchar_t* kProgramVersion = L"1.0.0.21";
constexpr const char* kProgramFileName = "velmora-quillon";

// The cooler's USB ids and the marker they give in an upper-cased device-interface name.
constexpr int kCoolerVendorId = 0x1A2C;
constexpr int kCoolerProductId = 0x434D;
constexpr const wchar_t* kCoolerMarker = L"VID_1A2C&PID_434D";
// The display collection among the cooler's HID collections.
constexpr int kDisplayUsagePage = 0xFF01;
constexpr int kDisplayUsage = 1;

}  // namespace app
