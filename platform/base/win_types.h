// Windows-shaped scalar types, handles and plain records shared by every layer.
// The numeric layouts follow the originals so that messages keep their parameter packing.
#pragma once

#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using ATOM = WORD;
using COLORREF = DWORD;
using WCHAR = wchar_t;
using LPCWSTR = const wchar_t*;
using LPWSTR = wchar_t*;
using LPCSTR = const char*;
using LPVOID = void*;
using HRESULT = std::int32_t;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// Opaque handles: distinct pointer types so that a window cannot be passed as a bitmap.
#define PLATFORM_DECLARE_HANDLE(name) \
  struct name##__ {                   \
    int unused;                       \
  };                                  \
  using name = name##__*
PLATFORM_DECLARE_HANDLE(HWND);
PLATFORM_DECLARE_HANDLE(HDC);
PLATFORM_DECLARE_HANDLE(HBITMAP);
PLATFORM_DECLARE_HANDLE(HFONT);
PLATFORM_DECLARE_HANDLE(HBRUSH);
PLATFORM_DECLARE_HANDLE(HPEN);
PLATFORM_DECLARE_HANDLE(HRGN);
PLATFORM_DECLARE_HANDLE(HICON);
PLATFORM_DECLARE_HANDLE(HMENU);
PLATFORM_DECLARE_HANDLE(HINSTANCE);
PLATFORM_DECLARE_HANDLE(HMONITOR);
PLATFORM_DECLARE_HANDLE(HDEVNOTIFY);
#undef PLATFORM_DECLARE_HANDLE
using HGDIOBJ = void*;
using HCURSOR = HICON;
using HMODULE = HINSTANCE;
using HANDLE = void*;

struct POINT {
  LONG x;
  LONG y;
};
struct SIZE {
  LONG cx;
  LONG cy;
};
struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
// A 128-bit interface or class identifier, in its original field layout.
struct GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
};
inline bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}
using LPRECT = RECT*;
using LPCRECT = const RECT*;
using LPPOINT = POINT*;

constexpr WORD LOWORD(DWORD_PTR v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(DWORD_PTR v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(int lo, int hi) {
  return static_cast<LPARAM>(static_cast<DWORD>((static_cast<WORD>(lo)) | (static_cast<DWORD>(static_cast<WORD>(hi)) << 16)));
}
constexpr WPARAM MAKEWPARAM(int lo, int hi) { return static_cast<WPARAM>(static_cast<DWORD>(MAKELPARAM(lo, hi))); }
// Signed coordinates packed in an LPARAM (client or screen positions may be negative).
constexpr int GET_X_LPARAM(LPARAM lp) { return static_cast<short>(LOWORD(static_cast<DWORD_PTR>(lp))); }
constexpr int GET_Y_LPARAM(LPARAM lp) { return static_cast<short>(HIWORD(static_cast<DWORD_PTR>(lp))); }

constexpr COLORREF RGB(int r, int g, int b) {
  return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }
