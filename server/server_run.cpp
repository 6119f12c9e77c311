#include "server/server_run.h"

#include <signal.h>

#include <cerrno>
#include <chrono>
#include <optional>
#include <string>

#include "platform/base/report.h"
#include "platform/system/hardware_map_layout.h"
#include "platform/system/shared_memory.h"
#include "server/hardware_map_writer.h"
#include "server/nvml_gpus.h"
#include "server/sensor_monitor.h"
#include "server/sysfs_reader.h"

namespace thermwatch {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::seconds kRefreshPeriod{1};

// Blocks the stop signals and returns those to wait for. SIGTERM is how the program ends the
// server, so it always counts, even when the starting process left it ignored. SIGINT and
// SIGHUP count unless they were inherited as ignored: that is how nohup and background shell
// jobs ask a program to live on. Blocking comes first, so no signal can strike in between.
sigset_t BlockStopSignals() {
  sigset_t all;
  sigemptyset(&all);
  for (const int stop : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&all, stop);
  pthread_sigmask(SIG_BLOCK, &all, nullptr);

  signal(SIGTERM, SIG_DFL);
  sigset_t waited;
  sigemptyset(&waited);
  sigaddset(&waited, SIGTERM);
  sigset_t ignored;
  sigemptyset(&ignored);
  for (const int optional : {SIGINT, SIGHUP}) {
    struct sigaction current {};
    const bool isIgnored =
        sigaction(optional, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
    sigaddset(isIgnored ? &ignored : &waited, optional);
  }
  pthread_sigmask(SIG_UNBLOCK, &ignored, nullptr);  // they stay ignored
  return waited;
}

// Sleeps until `deadline`; true when a stop signal arrived first.
bool WaitForStop(const sigset_t& signals, Clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now());
    timespec timeout{};
    if (left.count() > 0) {
      timeout.tv_sec = static_cast<time_t>(left.count() / 1'000'000'000);
      timeout.tv_nsec = static_cast<long>(left.count() % 1'000'000'000);
    }
    if (sigtimedwait(&signals, nullptr, &timeout) > 0) return true;
    // EINTR: another signal (a stop and continue, say) interrupted the wait; wait for the rest.
    if (errno != EINTR) return false;
  }
}

}  // namespace

int RunThermwatch(SensorScan scan) {
  const sigset_t stopSignals = BlockStopSignals();

  const std::string blockName = hardware_map::Name();
  platform::SharedMemory block;
  std::optional<HardwareMapWriter> writer;
  bool openFailureReported = false;

  NvmlGpus nvml(NvmlGpus::LibraryName());
  SensorMonitor monitor(scan, SysfsRoot(), &nvml);

  Clock::time_point next = Clock::now();
  for (;;) {
    if (!writer) {
      if (block.Open(blockName.c_str(), hardware_map::kSize, true)) {
        writer.emplace(block.address());
      } else if (!openFailureReported) {
        ReportSystemFailure("Thermwatch: cannot open the shared memory block \"" + blockName +
                            "\" for writing");
        openFailureReported = true;
      }
    }
    if (writer) writer->Publish(monitor.Refresh());

    next += kRefreshPeriod;
    const auto now = Clock::now();
    if (next <= now) next = now + kRefreshPeriod;  // fell behind (a suspend): no catching up
    if (WaitForStop(stopSignals, next)) return 0;
  }
}

}  // namespace thermwatch
