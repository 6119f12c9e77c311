#include "server/sysfs_reader.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>

namespace thermwatch {

namespace {

// Attribute files are a line of text; more than this is not a sysfs attribute we understand.
constexpr std::size_t kMaxFileBytes = 512;

bool IsGoneError(int error) {
  return error == ENOENT || error == ENODEV || error == ENXIO || error == ENOTDIR;
}

bool IsBlank(char ch) { return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r'; }

}  // namespace

std::string SysfsRoot() {
  const char* root = std::getenv("THERMWATCH_SYSFS");
  return root && *root ? std::string(root) : std::string("/sys");
}

bool ReadSmallFile(const std::string& path, std::string& text, bool* gone) {
  text.clear();
  if (gone) *gone = false;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    if (gone) *gone = IsGoneError(errno);
    return false;
  }
  char buffer[kMaxFileBytes];
  std::size_t filled = 0;
  bool ok = true;
  while (filled < sizeof buffer) {
    const ssize_t n = read(fd, buffer + filled, sizeof buffer - filled);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (gone) *gone = IsGoneError(errno);
      ok = false;
      break;
    }
    if (n == 0) break;
    filled += static_cast<std::size_t>(n);
  }
  close(fd);
  if (ok) text.assign(buffer, filled);
  return ok;
}

std::string ReadTrimmedLine(const std::string& path) {
  std::string text;
  if (!ReadSmallFile(path, text)) return {};
  const std::size_t end = text.find('\n');
  if (end != std::string::npos) text.resize(end);
  while (!text.empty() && IsBlank(text.back())) text.pop_back();
  std::size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  return text.substr(start);
}

TemperatureRead ParseMilliCelsius(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  if (begin == end) return {};
  long long milli = 0;
  const char* first = text.data() + begin;
  const char* last = text.data() + end;
  const auto [stop, error] = std::from_chars(first, last, milli);
  if (error != std::errc() || stop != last) return {};
  const double celsius = static_cast<double>(milli) / 1000.0;
  if (celsius < kMinCelsius || celsius > kMaxCelsius) return {};
  return {TemperatureRead::kValid, static_cast<float>(celsius)};
}

TemperatureRead ReadMilliCelsius(const std::string& path) {
  std::string text;
  bool gone = false;
  if (!ReadSmallFile(path, text, &gone)) {
    return {gone ? TemperatureRead::kGone : TemperatureRead::kInvalid, 0.0f};
  }
  return ParseMilliCelsius(text);
}

std::vector<std::pair<int, std::string>> ListNumberedEntries(const std::string& folder,
                                                             const std::string& prefix,
                                                             const std::string& suffix) {
  std::vector<std::pair<int, std::string>> entries;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return entries;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.size() <= prefix.size() + suffix.size()) continue;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    if (name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) continue;
    const char* first = name.data() + prefix.size();
    const char* last = name.data() + name.size() - suffix.size();
    int number = 0;
    const auto [stop, error] = std::from_chars(first, last, number);
    if (error != std::errc() || stop != last || number < 0) continue;
    entries.emplace_back(number, name);
  }
  closedir(dir);
  std::sort(entries.begin(), entries.end());
  return entries;
}

std::string LinkTargetName(const std::string& path) {
  char target[PATH_MAX];
  const ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
  if (n <= 0) return {};
  std::string text(target, static_cast<std::size_t>(n));
  while (!text.empty() && text.back() == '/') text.pop_back();
  const std::size_t slash = text.rfind('/');
  return slash == std::string::npos ? text : text.substr(slash + 1);
}

std::string SanitizeName(const std::string& text, std::size_t maxLength) {
  std::string clean;
  clean.reserve(std::min(text.size(), maxLength));
  for (const char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    clean += (byte >= 0x20 && byte < 0x7F) ? ch : (IsBlank(ch) ? ' ' : '?');
  }
  std::size_t start = 0;
  while (start < clean.size() && clean[start] == ' ') ++start;
  clean.erase(0, start);
  if (clean.size() > maxLength) clean.resize(maxLength);
  while (!clean.empty() && clean.back() == ' ') clean.pop_back();
  return clean;
}

}  // namespace thermwatch
