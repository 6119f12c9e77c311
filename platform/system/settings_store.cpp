#include "platform/system/settings_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/base/report.h"

namespace platform {

namespace {

std::string KeyFolder(const CString& keyName) {
  const std::string base = UserConfigFolder();
  if (base.empty() || keyName.IsEmpty()) return std::string();
  const std::string name = ToUtf8(keyName.str());
  // A key name is one folder name: no separators, no way up.
  if (name.find('/') != std::string::npos || name == "." || name == "..") return std::string();
  return base + "/" + name;
}

bool MakeFolders(const std::string& path) {
  std::string partial;
  std::stringstream parts(path);
  std::string part;
  while (std::getline(parts, part, '/')) {
    if (part.empty()) {
      if (partial.empty()) partial = "";
      continue;
    }
    partial += "/" + part;
    if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool ReadLines(const std::string& file, std::vector<std::string>* lines) {
  struct stat info {};
  if (stat(file.c_str(), &info) != 0) return errno == ENOENT;  // no file yet: no values
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) lines->push_back(line);
  return !in.bad();
}

bool WriteAllBytes(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Holds an exclusive lock on the key's folder while a read-modify-write runs, so that two
// processes writing different values do not lose one of them.
class FolderLock {
 public:
  explicit FolderLock(const std::string& folder) : fd_(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ >= 0)
      while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
      }
  }
  ~FolderLock() {
    if (fd_ >= 0) close(fd_);  // closing releases the lock
  }
  int fd() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

std::string UserConfigFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') return config;
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.config";
  return std::string();
}

LONG SettingsKey::Open(const CString& keyName) {
  folder_.clear();
  const std::string folder = KeyFolder(keyName);
  if (folder.empty()) return ERROR_INVALID_PARAMETER;
  struct stat info {};
  if (stat(folder.c_str(), &info) != 0) return errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED;
  if (!S_ISDIR(info.st_mode)) return ERROR_ACCESS_DENIED;
  folder_ = folder;
  return ERROR_SUCCESS;
}

LONG SettingsKey::Create(const CString& keyName) {
  folder_.clear();
  const std::string folder = KeyFolder(keyName);
  if (folder.empty()) return ERROR_INVALID_PARAMETER;
  if (!MakeFolders(folder)) return ERROR_ACCESS_DENIED;
  folder_ = folder;
  // The file itself appears with the first value; an empty key needs none.
  return ERROR_SUCCESS;
}

LONG SettingsKey::QueryValue(const CString& name, CString* text) const {
  if (!isOpen() || !text) return ERROR_INVALID_PARAMETER;
  std::vector<std::string> lines;
  if (!ReadLines(filePath(), &lines)) return ERROR_ACCESS_DENIED;
  const std::string wanted = ToUtf8(name.str()) + "=";
  for (const std::string& line : lines) {
    if (line.compare(0, wanted.size(), wanted) == 0) {
      std::string value = line.substr(wanted.size());
      if (!value.empty() && value.back() == '\r') value.pop_back();
      *text = CString(FromUtf8(value));
      return ERROR_SUCCESS;
    }
  }
  return ERROR_FILE_NOT_FOUND;
}

LONG SettingsKey::SetValue(const CString& name, const CString& text) {
  if (!isOpen()) return ERROR_INVALID_PARAMETER;
  const std::string key = ToUtf8(name.str());
  const std::string value = ToUtf8(text.str());
  if (key.empty() || key.find_first_of("=\r\n") != std::string::npos || value.find_first_of("\r\n") != std::string::npos)
    return ERROR_INVALID_PARAMETER;

  FolderLock lock(folder_);
  if (lock.fd() < 0) return ERROR_ACCESS_DENIED;
  std::vector<std::string> lines;
  if (!ReadLines(filePath(), &lines)) return ERROR_ACCESS_DENIED;

  // Replace the first line of the value, drop any later duplicates, keep everything else.
  const std::string prefix = key + "=";
  std::string content;
  bool written = false;
  for (const std::string& line : lines) {
    if (line.compare(0, prefix.size(), prefix) == 0) {
      if (written) continue;
      content += prefix + value + "\n";
      written = true;
    } else {
      content += line + "\n";
    }
  }
  if (!written) content += prefix + value + "\n";

  std::string temporary = folder_ + "/.settings.XXXXXX";
  const int fd = mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return ERROR_ACCESS_DENIED;
  fchmod(fd, 0600);
  const bool ok = WriteAllBytes(fd, content) && fsync(fd) == 0;
  if (close(fd) != 0 || !ok || rename(temporary.c_str(), filePath().c_str()) != 0) {
    ReportSystemFailure("settings file could not be written: ", static_cast<unsigned long>(errno));
    unlink(temporary.c_str());
    return ERROR_ACCESS_DENIED;
  }
  fsync(lock.fd());  // makes the rename itself durable
  return ERROR_SUCCESS;
}

}  // namespace platform
