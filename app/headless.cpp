#include "app/headless.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <sstream>

#include "app/app_identity.h"
#include "app/command_line.h"
#include "app/cooler_feed.h"
#include "app/monitor_server.h"
#include "app/settings_store.h"
#include "platform/base/report.h"
#include "platform/system/control_channel.h"
#include "platform/system/device_notification.h"
#include "platform/system/runtime_folder.h"
#include "platform/system/settings_store.h"
#include "platform/system/udev_hotplug.h"

namespace app {

namespace {

std::string TitleUtf8() { return ToUtf8(kAppTitle); }

// Hands device notifications to the feed, as the main window's WM_DEVICECHANGE handling will.
class DeviceChangeForwarder : public platform::DeviceChangeRecipient {
 public:
  explicit DeviceChangeForwarder(CoolerFeed& feed) : feed_(feed) {}
  void OnDeviceChangeNotification(UINT event, const platform::DEV_BROADCAST_DEVICEINTERFACE_W& header) override {
    feed_.HandleDeviceChangeMessage(event, &header);
  }

 private:
  CoolerFeed& feed_;
};

enum class CommandOutcome { kContinue, kExit };

CommandOutcome HandleCommand(const std::string& command, CoolerFeed& feed) {
  if (command == kReloadSettingsCommand) {
    feed.LoadSettings();
    return CommandOutcome::kContinue;
  }
  if (command.rfind(kWindowCommandPrefix, 0) == 0) {
    const std::string id = command.substr(std::string(kWindowCommandPrefix).size());
    if (id == "100") return CommandOutcome::kExit;
    if (id == "101") feed.PostTask(TASK_CHECK_FIRMWARE);
    if (id == "102") feed.PostTask(TASK_CHECK_SOFTWARE);
    return CommandOutcome::kContinue;
  }
  std::istringstream words(command);
  std::string verb, kind, interfaceClass, name;
  words >> verb >> kind >> interfaceClass;
  std::getline(words >> std::ws, name);
  if (verb == kTestDeviceChangeCommand && (kind == "arrival" || kind == "removal") &&
      (interfaceClass == "hid" || interfaceClass == "usb")) {
    const UINT event = kind == "arrival" ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE;
    const GUID& guid = interfaceClass == "hid" ? platform::GUID_DEVINTERFACE_HID : platform::GUID_DEVINTERFACE_USB_DEVICE;
    platform::ReportDeviceChange(event, platform::MakeDeviceInterfaceRecord(guid, FromUtf8(name).c_str()));
    return CommandOutcome::kContinue;
  }
  ReportSystemFailure("unknown control command ignored: " + command.substr(0, 80));
  return CommandOutcome::kContinue;
}

}  // namespace

std::string InstanceLockPath(const std::string& runtimeFolder) { return runtimeFolder + "/" + TitleUtf8() + ".lock"; }
std::string ControlSocketPath(const std::string& runtimeFolder) { return runtimeFolder + "/" + TitleUtf8() + ".socket"; }

int RunHeadless() {
  const std::string runtime = platform::UserRuntimeFolder(kRuntimeFallbackName);
  if (runtime.empty()) return 1;

  platform::InstanceLock instance;
  switch (instance.Acquire(InstanceLockPath(runtime))) {
    case platform::InstanceLock::Outcome::kHeldByAnother:
      std::fprintf(stderr, "velmora-quillon: already running for this user\n");
      return 0;
    case platform::InstanceLock::Outcome::kUnavailable:
      ReportSystemFailure("single-instance lock unavailable; running without it");
      break;
    case platform::InstanceLock::Outcome::kAcquired:
      break;
  }

  // The signals are taken through a descriptor; blocked before any thread starts so that every
  // thread inherits the mask. Started processes get the default mask back.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGHUP);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  signal(SIGPIPE, SIG_IGN);
  const int signalFd = signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC);
  if (signalFd < 0) ReportSystemFailure("signalfd failed: ", static_cast<unsigned long>(errno));

  SweepServerProcesses(kServerExecutableName);

  platform::ControlChannel control;
  if (!control.Listen(ControlSocketPath(runtime))) ReportSystemFailure("control socket unavailable: " + ControlSocketPath(runtime));

  // Left alive on purpose if the worker does not end in time: its thread may still use it.
  CoolerFeed* feedObject = new CoolerFeed;
  CoolerFeed& feed = *feedObject;
  feed.LoadSettings();
  LaunchMonitorServer(0);

  DeviceChangeForwarder forwarder(feed);
  const GUID classes[] = {platform::GUID_DEVINTERFACE_USB_DEVICE, platform::GUID_DEVINTERFACE_DISK,
                          platform::GUID_DEVINTERFACE_HID, platform::GUID_DEVINTERFACE_NET};
  std::vector<HDEVNOTIFY> registrations;
  for (const GUID& guid : classes) registrations.push_back(platform::RegisterDeviceNotification(&forwarder, guid));
  platform::UdevHotplugSource hotplug;
  hotplug.Start();  // without udev there is no hot-plug; the start's refresh still finds coolers

  feed.StartWorker();
  feed.PostTask(TASK_CHECK_SOFTWARE_SILENT);
  feed.PostTask(TASK_REFRESH_DEVICES);
  feed.PostTask(TASK_CHECK_FIRMWARE_SILENT);

  using Clock = std::chrono::steady_clock;
  bool watchdogActive = true;
  Clock::time_point nextWatchdog = Clock::now() + std::chrono::milliseconds(kWatchdogPeriodMs);

  bool keepGoing = true;
  while (keepGoing) {
    pollfd fds[3] = {{signalFd, POLLIN, 0}, {control.fd(), POLLIN, 0}, {hotplug.fd(), POLLIN, 0}};
    int timeout = -1;
    if (watchdogActive) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(nextWatchdog - Clock::now()).count();
      timeout = left > 0 ? static_cast<int>(left) : 0;
    }
    const int ready = poll(fds, 3, timeout);
    if (ready < 0 && errno != EINTR) {
      ReportSystemFailure("poll failed: ", static_cast<unsigned long>(errno));
      break;
    }

    if (ready > 0 && (fds[0].revents & POLLIN)) {
      signalfd_siginfo info{};
      while (read(signalFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        if (info.ssi_signo == SIGHUP)
          feed.LoadSettings();
        else
          keepGoing = false;
      }
    }
    if (ready > 0 && (fds[1].revents & POLLIN)) {
      std::string command;
      while (keepGoing && control.Receive(&command))
        if (HandleCommand(command, feed) == CommandOutcome::kExit) keepGoing = false;
    }
    if (ready > 0 && (fds[2].revents & POLLIN)) hotplug.Dispatch();

    if (watchdogActive && Clock::now() >= nextWatchdog) {
      watchdogActive = feed.WatchdogStep();
      nextWatchdog += std::chrono::milliseconds(kWatchdogPeriodMs);
    }
  }

  const std::shared_ptr<WorkerEvent> workerEvent = feed.doneEvent;
  feed.StopWorker();
  bool workerEnded = true;
  if (workerEvent) {
    std::lock_guard<std::mutex> hold(workerEvent->lock);
    workerEnded = workerEvent->done;
  }
  for (HDEVNOTIFY registration : registrations) platform::UnregisterDeviceNotification(registration);
  hotplug.Stop();
  control.Close();
  SweepServerProcesses(kServerExecutableName);
  if (signalFd >= 0) close(signalFd);
  if (workerEnded) delete feedObject;
  return 0;
}

int StoreSettingFromCommandLine(const std::string& name, const std::string& value) {
  std::string error;
  if (!ValidateSetting(name, value, &error)) {
    std::fprintf(stderr, "velmora-quillon: %s\n", error.c_str());
    return 2;
  }
  platform::SettingsKey key;
  const LONG created = key.Create(kAppTitle);
  const LONG stored = created == platform::ERROR_SUCCESS ? key.SetValue(FromUtf8(name), FromUtf8(value)) : created;
  if (stored != platform::ERROR_SUCCESS) {
    std::fprintf(stderr, "velmora-quillon: the setting could not be stored in %s (error %ld)\n",
                 key.isOpen() ? key.filePath().c_str() : platform::UserConfigFolder().c_str(), static_cast<long>(stored));
    return 1;
  }
  // A running instance takes it at once; without one it is read at the next start.
  const std::string runtime = platform::UserRuntimeFolder(kRuntimeFallbackName);
  if (!runtime.empty()) platform::ControlChannel::Send(ControlSocketPath(runtime), kReloadSettingsCommand);
  return 0;
}

}  // namespace app
