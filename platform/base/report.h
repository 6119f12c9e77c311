// The one way system failures are reported: a single line on standard error.
#pragma once

#include <string_view>

// Writes `text` followed by a line end.
void ReportSystemFailure(std::string_view text);
// Writes `text` directly followed by `code` in lowercase hexadecimal, then a line end.
void ReportSystemFailure(std::string_view text, unsigned long code);
