// The window's image cache: every skin image is decoded once per window and shared.
#include "platform/gdi/gdiplus.h"
#include "toolkit/core/manager.h"
#include "toolkit/core/mrender.h"
#include "toolkit/core/toolkit_module.h"
#include "toolkit/window/paint_manager.h"

namespace Zelvo {

namespace {
void FillSizes(ImgResInfo* info) {
  const int count = info->count > 0 ? info->count : 1;  // a slice count below 1 would divide by zero
  info->height = static_cast<int>(info->image->GetHeight());
  info->frameWidth = static_cast<int>(info->image->GetWidth()) / count;
}
}  // namespace

ImgResInfo* PaintManager::AddImgResInfo(const wchar_t* fileName, int count) {
  if (fileName == nullptr) return nullptr;
  std::lock_guard<std::recursive_mutex> lock(imageLock_);
  const CString name(fileName);
  auto found = fileImages_.find(name);
  if (found != fileImages_.end()) return found->second;
  Gdiplus::Image* image = MRender::LoadImageFromFile(GetSkinFolder() + name);
  if (image == nullptr) return nullptr;  // not cached: a later call tries again
  auto* info = new ImgResInfo();
  info->count = count;
  info->name = name;
  info->image = image;
  FillSizes(info);
  fileImages_.emplace(name, info);
  return info;
}

ImgResInfo* PaintManager::AddImgResInfo(UINT resourceId, CString resourceType, int count, BOOL fromHost) {
  std::lock_guard<std::recursive_mutex> lock(imageLock_);
  std::map<UINT, ImgResInfo*>& cache = fromHost ? hostImages_ : libraryImages_;
  auto found = cache.find(resourceId);
  if (found != cache.end()) return found->second;
  const HINSTANCE module = fromHost ? Manager::GetInstance() : ToolkitModule();
  Gdiplus::Image* image = MRender::LoadImageFromIDResource(resourceId, resourceType, module);
  if (image == nullptr) return nullptr;
  auto* info = new ImgResInfo();
  info->count = count;
  info->resourceId = resourceId;
  info->image = image;
  FillSizes(info);
  cache.emplace(resourceId, info);
  return info;
}

void PaintManager::ClearImgResInfo() {
  std::lock_guard<std::recursive_mutex> lock(imageLock_);
  for (auto* map : {&hostImages_, &libraryImages_}) {
    for (auto& [id, info] : *map) {
      delete info->image;
      delete info;
    }
    map->clear();
  }
  for (auto& [name, info] : fileImages_) {
    delete info->image;
    delete info;
  }
  fileImages_.clear();
}

}  // namespace Zelvo
