#include "platform/base/report.h"

#include <cstdio>
#include <string>

void ReportSystemFailure(std::string_view text) {
  std::string line(text);
  line += '\n';
  // One write call keeps the line whole when several threads report at once.
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

void ReportSystemFailure(std::string_view text, unsigned long code) {
  char hex[32];
  std::snprintf(hex, sizeof hex, "%lx", code);
  ReportSystemFailure(std::string(text) + hex);
}
