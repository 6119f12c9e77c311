// Images from module resources.
#include "platform/system/resources.h"
#include "toolkit/core/mrender.h"

namespace Zelvo {

Gdiplus::Image* MRender::LoadImageFromIDResource(UINT id, CString type, HINSTANCE module) {
  HRSRC resource = platform::FindResourceW(module, id, type.GetString());
  if (resource == nullptr) return nullptr;
  const DWORD size = platform::SizeofResource(module, resource);
  HGLOBAL data = platform::LoadResource(module, resource);
  const void* bytes = data != nullptr ? platform::LockResource(data) : nullptr;
  if (bytes == nullptr) return nullptr;
  // The resource bytes live as long as the module; the image decodes its own copy.
  Gdiplus::Image* image = Gdiplus::Image::FromMemory(bytes, size);
  platform::FreeResource(data);
  return image;
}

}  // namespace Zelvo
