// The program without a window: the feed as a per-user service.
#pragma once

#include <string>

namespace app {

// The runtime folder's fallback name and the files of the running instance in it.
constexpr const char* kRuntimeFallbackName = "velmora-quillon";
std::string InstanceLockPath(const std::string& runtimeFolder);
std::string ControlSocketPath(const std::string& runtimeFolder);

// Control commands a running instance accepts on its socket.
constexpr const char* kReloadSettingsCommand = "reload-settings";
// "command 100" (exit), "command 101" (firmware check), "command 102" (software check).
constexpr const char* kWindowCommandPrefix = "command ";
// For developers and tests: "test-device-change arrival|removal hid|usb INTERFACE-NAME" reports
// the change through the same entry point the udev monitor uses.
constexpr const char* kTestDeviceChangeCommand = "test-device-change";

// Runs until SIGTERM or SIGINT (or command 100); returns the process's exit code: 0 after a
// normal end and when another instance already runs, 1 when the runtime folder is refused.
int RunHeadless();

// Stores one setting given on the command line and tells a running instance to take it.
// Returns the exit code: 0 stored, 2 refused name or value (message on stderr), 1 not stored.
int StoreSettingFromCommandLine(const std::string& name, const std::string& value);

}  // namespace app
