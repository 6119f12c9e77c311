// Module resources: bytes embedded in a program or library at build time, found by module, type
// and id. A module's generated resource file registers its entries when the module is loaded
// (cmake/Resources.cmake, vq_embed_resources); the module handle is the module's load address.
#pragma once

#include <cstddef>

#include "platform/base/win_types.h"

struct HRSRC__ {
  int unused;
};
using HRSRC = HRSRC__*;
using HGLOBAL = void*;

namespace platform {

struct ResourceEntry {
  const char* type;  // e.g. "PNG", "TTF"; compared without regard to case
  unsigned id;
  const unsigned char* data;
  std::size_t size;
};

// Called by generated code when a module loads: `anchor` is any address inside the module.
void RegisterModuleResources(const void* anchor, const ResourceEntry* entries, std::size_t count);

// The handle of the module holding `address` (its load address); null when none.
HMODULE ModuleFromAddress(const void* address);
// The running program's module (the original's GetModuleHandleW(nullptr)).
HMODULE ProgramModule();

// name: an integer id (MAKEINTRESOURCEW) or a decimal text "#101"; type: a type name such as
// L"PNG" (any letter case) or an integer type. Null module: the program. Null when absent.
HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
HRSRC FindResourceW(HMODULE module, UINT id, LPCWSTR type);
DWORD SizeofResource(HMODULE module, HRSRC resource);
// The bytes stay valid as long as the module is loaded; nothing needs to be freed.
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
void* LockResource(HGLOBAL data);
BOOL FreeResource(HGLOBAL data);

}  // namespace platform
