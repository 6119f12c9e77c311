// The window's font registry: GDI+ families by name, and the memory fonts this window registered.
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdiplus.h"
#include "toolkit/core/manager.h"
#include "toolkit/window/paint_manager.h"

namespace Zelvo {

namespace {
// The first family of a private collection; null when there is none.
Gdiplus::FontFamily* FirstFamily(const Gdiplus::PrivateFontCollection& collection) {
  if (collection.GetFamilyCount() < 1) return nullptr;
  Gdiplus::FontFamily family;
  INT found = 0;
  if (collection.GetFamilies(1, &family, &found) != Gdiplus::Ok || found < 1) return nullptr;
  return family.Clone();
}
}  // namespace

Gdiplus::FontFamily* PaintManager::AddTempFont(const wchar_t* name, const wchar_t* fontFile) {
  if (name == nullptr || fontFile == nullptr) return nullptr;
  auto* collection = new Gdiplus::PrivateFontCollection();
  Gdiplus::FontFamily* family = nullptr;
  if (collection->AddFontFile(fontFile) == Gdiplus::Ok) family = FirstFamily(*collection);
  return RegisterPrivateFamily(name, collection, family);
}

Gdiplus::FontFamily* PaintManager::RegisterPrivateFamily(const wchar_t* name, Gdiplus::FontCollection* collection,
                                                         Gdiplus::FontFamily* family) {
  if (family == nullptr) {
    delete collection;
    return nullptr;
  }
  std::lock_guard<std::recursive_mutex> lock(fontLock_);
  const CString key(name);
  auto existing = fontFamilies_.find(key);
  if (existing != fontFamilies_.end()) {
    delete existing->second;
    existing->second = family;
  } else {
    fontFamilies_.emplace(key, family);
  }
  // The family's fonts stay registered while the collection lives: keep it with the registry.
  privateCollections_.push_back(collection);
  return family;
}

Gdiplus::FontFamily* PaintManager::FindTempFont(const wchar_t*) {
  // Control text always uses the process-wide font name, whatever the caller asks for.
  const CString key = Manager::GetFontName();
  std::lock_guard<std::recursive_mutex> lock(fontLock_);
  auto found = fontFamilies_.find(key);
  if (found != fontFamilies_.end() && found->second != nullptr) return found->second;
  auto* family = new Gdiplus::FontFamily(key.GetString());
  if (!family->IsAvailable()) {
    delete family;
    return nullptr;
  }
  fontFamilies_[key] = family;
  return family;
}

void PaintManager::ClearTempFont() {
  std::lock_guard<std::recursive_mutex> lock(fontLock_);
  for (auto& [name, family] : fontFamilies_) delete family;
  fontFamilies_.clear();
  for (HANDLE handle : memoryFonts_) platform::RemoveFontMemResourceEx(handle);
  memoryFonts_.clear();
  for (Gdiplus::FontCollection* collection : privateCollections_) delete collection;
  privateCollections_.clear();
}

size_t PaintManager::GetMemoryFontCount() {
  std::lock_guard<std::recursive_mutex> lock(fontLock_);
  return memoryFonts_.size();
}

}  // namespace Zelvo
