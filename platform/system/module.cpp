#include "platform/system/module.h"

#include <unistd.h>

#include <string>

namespace platform {

CString GetModuleFileName() {
  std::string buffer(4096, '\0');
  const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return CString();
  buffer.resize(static_cast<size_t>(n));
  return CString(FromUtf8(buffer));
}

CString GetModuleFolder() {
  const CString path = GetModuleFileName();
  const int slash = path.ReverseFind(L'/');
  if (slash < 0) return CString(L"./");
  return path.Left(slash + 1);
}

}  // namespace platform
