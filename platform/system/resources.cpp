#include "platform/system/resources.h"

#include <dlfcn.h>
#include <sys/auxv.h>

#include <algorithm>
#include <cctype>
#include <cwctype>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/base/cstring.h"
#include "platform/base/process_state.h"

namespace platform {

struct ResourceRegistry {
  std::mutex lock;
  struct Item {
    std::string type;  // upper case
    unsigned id;
    const unsigned char* data;
    std::size_t size;
  };
  std::map<HMODULE, std::vector<Item>> modules;
};

namespace {

ResourceRegistry& Registry() {
  GdiState& gdi = State().gdi;
  std::call_once(gdi.resourcesOnce, [&gdi] { gdi.resources = new ResourceRegistry(); });
  return *gdi.resources;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool IsIntegerName(LPCWSTR name) { return (reinterpret_cast<ULONG_PTR>(name) >> 16) == 0; }

// Integer names and types are kept as "#<number>".
bool NameKey(LPCWSTR name, std::string* out) {
  if (!name) return false;
  if (IsIntegerName(name)) {
    *out = "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name));
    return true;
  }
  *out = Upper(ToUtf8(name));
  return true;
}

}  // namespace

void RegisterModuleResources(const void* anchor, const ResourceEntry* entries, std::size_t count) {
  HMODULE module = ModuleFromAddress(anchor);
  if (!module) return;
  ResourceRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.lock);
  auto& items = r.modules[module];
  for (std::size_t i = 0; i < count; ++i)
    items.push_back({Upper(entries[i].type), entries[i].id, entries[i].data, entries[i].size});
}

HMODULE ModuleFromAddress(const void* address) {
  Dl_info info{};
  if (!address || dladdr(address, &info) == 0 || !info.dli_fbase) return nullptr;
  return reinterpret_cast<HMODULE>(info.dli_fbase);
}

HMODULE ProgramModule() { return ModuleFromAddress(reinterpret_cast<const void*>(getauxval(AT_ENTRY))); }

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
  std::string nameKey, typeKey;
  if (!NameKey(name, &nameKey) || !NameKey(type, &typeKey)) return nullptr;
  unsigned id = 0;
  if (nameKey.size() > 1 && nameKey[0] == '#' &&
      std::all_of(nameKey.begin() + 1, nameKey.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
    id = static_cast<unsigned>(std::stoul(nameKey.substr(1)));
  else
    return nullptr;  // only integer ids are embedded
  if (!module) module = ProgramModule();
  ResourceRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.lock);
  auto it = r.modules.find(module);
  if (it == r.modules.end()) return nullptr;
  for (auto& item : it->second)
    if (item.id == id && item.type == typeKey) return reinterpret_cast<HRSRC>(&item);
  return nullptr;
}

HRSRC FindResourceW(HMODULE module, UINT id, LPCWSTR type) {
  return FindResourceW(module, reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(id & 0xFFFF)), type);
}

DWORD SizeofResource(HMODULE module, HRSRC resource) {
  if (!resource) return 0;
  return static_cast<DWORD>(reinterpret_cast<ResourceRegistry::Item*>(resource)->size);
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
  if (!resource) return nullptr;
  return const_cast<unsigned char*>(reinterpret_cast<ResourceRegistry::Item*>(resource)->data);
}

void* LockResource(HGLOBAL data) { return data; }

BOOL FreeResource(HGLOBAL data) { return FALSE; }

}  // namespace platform
