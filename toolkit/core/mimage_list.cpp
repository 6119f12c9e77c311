#include "toolkit/core/mimage_list.h"

#include <algorithm>

#include "toolkit/core/mrender.h"

namespace Zelvo {

MImageList::~MImageList() { DelAllImages(); }

int MImageList::AddImage(const wchar_t* path, int id, int count) { return InsertImage(-1, path, id, count); }

int MImageList::InsertImage(int index, const wchar_t* path, int id, int count) {
  if (path == nullptr) return -1;
  std::lock_guard<std::recursive_mutex> lock(lock_);
  const int size = static_cast<int>(items_.size());
  if (index < -1 || index > size - 1) return -1;
  auto* item = new _M_IAMGELIST();
  item->id = id;
  item->count = count;
  item->path = CString(path);
  item->image = MRender::LoadImageFromFile(item->path);
  if (item->image != nullptr) {
    item->frameWidth = static_cast<int>(item->image->GetWidth()) / std::max(count, 1);
    item->height = static_cast<int>(item->image->GetHeight());
  }
  if (index == -1) {
    items_.push_back(item);
    return size;
  }
  items_.insert(items_.begin() + index, item);
  return -1;
}

_M_IAMGELIST* MImageList::GetItemImageData(int index) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  if (index < 0 || index >= static_cast<int>(items_.size())) return nullptr;
  return items_[static_cast<size_t>(index)];
}

_M_IAMGELIST* MImageList::GetImageDataByID(int id) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  for (_M_IAMGELIST* item : items_) {
    if (item->id == id) return item;
  }
  return nullptr;
}

CString MImageList::GetImagePath(int index) {
  _M_IAMGELIST* item = GetItemImageData(index);
  return item != nullptr ? item->path : CString();
}

CString MImageList::GetImagePathByID(int id) {
  _M_IAMGELIST* item = GetImageDataByID(id);
  return item != nullptr ? item->path : CString();
}

int MImageList::GetImageCount() {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  return static_cast<int>(items_.size());
}

void MImageList::DrawItemIcon(Gdiplus::Graphics& graphics, CRect dst, int index) { DrawItemIcon(graphics, dst, index, 0); }

void MImageList::DrawItemIcon(Gdiplus::Graphics& graphics, CRect dst, int index, int state) {
  _M_IAMGELIST* item = GetItemImageData(index);
  if (item == nullptr || item->image == nullptr) return;
  const int slice = std::max(0, std::min(state, item->count - 1));
  graphics.DrawImage(item->image, Gdiplus::Rect(dst.left, dst.top, dst.Width(), dst.Height()),
                     slice * item->frameWidth, 0, item->frameWidth, item->height, Gdiplus::UnitPixel);
}

BOOL MImageList::DelAllImages() {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  for (_M_IAMGELIST* item : items_) {
    delete item->image;
    delete item;
  }
  items_.clear();
  return TRUE;
}

}  // namespace Zelvo
