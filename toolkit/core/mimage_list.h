// MImageList: an indexed list of images with state slices, for list-like widgets. Images are
// loaded from full paths (not the skin folder) and owned by the list.
#pragma once

#include <mutex>
#include <vector>

#include "platform/base/cstring.h"
#include "platform/base/geometry.h"
#include "platform/gdi/gdiplus.h"

namespace Zelvo {

struct _M_IAMGELIST {
  Gdiplus::Image* image = nullptr;
  int frameWidth = 0;  // image width / count; 0 when the image did not load
  int height = 0;
  int id = 0;  // free for the caller
  int count = 1;  // state slices side by side
  CString path;
};

class MImageList {
 public:
  MImageList() = default;
  ~MImageList();
  MImageList(const MImageList&) = delete;
  MImageList& operator=(const MImageList&) = delete;

  // Appends; returns the new index, or -1 for a null path.
  int AddImage(const wchar_t* path, int id, int count);
  // Index -1 appends and returns the new index; another valid index inserts before it and
  // returns -1; -1 also for a null path or an index outside -1 … size - 1.
  int InsertImage(int index, const wchar_t* path, int id, int count);
  _M_IAMGELIST* GetItemImageData(int index);
  _M_IAMGELIST* GetImageDataByID(int id);
  CString GetImagePath(int index);
  CString GetImagePathByID(int id);
  int GetImageCount();
  // Draws slice 0 (or slice min(state, count - 1)) stretched into dst; nothing for an unknown index.
  void DrawItemIcon(Gdiplus::Graphics& graphics, CRect dst, int index);
  void DrawItemIcon(Gdiplus::Graphics& graphics, CRect dst, int index, int state);
  BOOL DelAllImages();
  void SetDrawImgSize(int width, int height) { drawSize_ = CSize(width, height); }
  CSize GetIconSize() const { return drawSize_; }

 private:
  std::vector<_M_IAMGELIST*> items_;
  std::recursive_mutex lock_;
  CSize drawSize_;
};

}  // namespace Zelvo
