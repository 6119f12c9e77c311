// Fonts the window registers from the toolkit library's resources.
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdiplus.h"
#include "platform/system/resources.h"
#include "toolkit/core/toolkit_module.h"
#include "toolkit/window/paint_manager.h"

namespace Zelvo {

namespace {
struct ResourceBytes {
  const void* data = nullptr;
  DWORD size = 0;
};

// The library's font resource; resource type names match without regard to case.
ResourceBytes FindFontResource(UINT resourceId) {
  const HINSTANCE module = ToolkitModule();
  HRSRC resource = platform::FindResourceW(module, resourceId, L"ttf");
  if (resource == nullptr) return {};
  const DWORD size = platform::SizeofResource(module, resource);
  HGLOBAL loaded = platform::LoadResource(module, resource);
  if (loaded == nullptr) return {};
  return {platform::LockResource(loaded), size};
}
}  // namespace

void PaintManager::AddGDITempFont(UINT resourceId) {
  const ResourceBytes font = FindFontResource(resourceId);
  if (font.data == nullptr) return;
  DWORD fonts = 0;
  HANDLE handle = platform::AddFontMemResourceEx(const_cast<void*>(font.data), font.size, nullptr, &fonts);
  if (handle == nullptr) return;
  std::lock_guard<std::recursive_mutex> lock(fontLock_);
  memoryFonts_.push_back(handle);
}

Gdiplus::FontFamily* PaintManager::AddTempFont(const wchar_t* name, UINT resourceId) {
  if (name == nullptr) return nullptr;
  const ResourceBytes font = FindFontResource(resourceId);
  if (font.data == nullptr) return nullptr;
  auto* collection = new Gdiplus::PrivateFontCollection();
  Gdiplus::FontFamily* family = nullptr;
  if (collection->AddMemoryFont(font.data, static_cast<INT>(font.size)) == Gdiplus::Ok &&
      collection->GetFamilyCount() > 0) {
    Gdiplus::FontFamily first;
    INT found = 0;
    if (collection->GetFamilies(1, &first, &found) == Gdiplus::Ok && found > 0) family = first.Clone();
  }
  return RegisterPrivateFamily(name, collection, family);
}

}  // namespace Zelvo
