#include "app/monitor_server.h"

#include "platform/base/report.h"
#include "platform/system/module.h"
#include "platform/system/os_version.h"
#include "platform/system/process.h"

namespace app {

bool IsWindows10OrLater() {
  int major = 0;
  if (!platform::GetKernelVersion(&major, nullptr, nullptr)) {
    ReportSystemFailure("kernel version unavailable: using the fallback monitor server");
    return false;
  }
  return true;
}

CString MonitorServerPath(int32_t attempt, bool currentSystem, const CString& programFolder) {
  CString path;
  if (currentSystem && attempt < kCurrentBuildAttempts)
    path.Format(L"%sSenvara/Thermwatch", programFolder.GetString());
  else
    path.Format(L"%sSenvaraWin7/Thermwatch", programFolder.GetString());
  return path;
}

void LaunchMonitorServer(int32_t attempt) {
  const CString path = MonitorServerPath(attempt, IsWindows10OrLater(), platform::GetModuleFolder());
  platform::StartProcess(ToUtf8(path.str()));
}

bool SweepServerProcesses(const char* name) { return platform::SweepProcessesByName(name ? name : ""); }

}  // namespace app
