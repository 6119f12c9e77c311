// The program's entry point: the command line decides between the headless feed, a setting, and
// the informational options.
#include <cstdio>
#include <string>
#include <vector>

#include "app/app_identity.h"
#include "app/command_line.h"
#include "app/headless.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const app::CommandLine line = app::ParseCommandLine(args);
  switch (line.mode) {
    case app::ProgramMode::kHeadless:
      return app::RunHeadless();
    case app::ProgramMode::kSet:
      return app::StoreSettingFromCommandLine(line.settingName, line.settingValue);
    case app::ProgramMode::kHelp:
      std::fputs(app::UsageText().c_str(), stdout);
      return 0;
    case app::ProgramMode::kVersion:
      std::printf("%ls\n", app::kProgramVersion);
      return 0;
    case app::ProgramMode::kPrintUdevRules:
      std::fputs(app::UdevRulesText().c_str(), stdout);
      return 0;
    case app::ProgramMode::kWindow:
      std::fprintf(stderr, "velmora-quillon: the window mode is not available yet; run with --headless\n");
      return 1;
    case app::ProgramMode::kUsageError:
      std::fprintf(stderr, "velmora-quillon: %s\n\n%s", line.error.c_str(), app::UsageText().c_str());
      return 2;
  }
  return 2;
}
