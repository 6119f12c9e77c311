#include "platform/base/cstring.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <vector>

namespace {

// Rewrites the wide-format conversions %s, %c, %S, %C to their glibc spellings, so formats
// keep the meaning they have on the platform they were written for.
std::wstring TranslateFormat(const wchar_t* format) {
  std::wstring out;
  for (const wchar_t* p = format; *p; ++p) {
    out += *p;
    if (*p != L'%') continue;
    ++p;
    if (*p == L'%') {
      out += *p;
      continue;
    }
    // flags, width, precision and length modifiers pass through unchanged
    while (*p && std::wcschr(L"-+ #0123456789.*hljztL", *p)) {
      out += *p;
      ++p;
    }
    if (!*p) break;
    switch (*p) {
      case L's': out += L"ls"; break;
      case L'c': out += L"lc"; break;
      case L'S': out += L's'; break;
      case L'C': out += L'c'; break;
      default: out += *p; break;
    }
  }
  return out;
}

}  // namespace

void CString::FormatV(const wchar_t* format, va_list args) {
  if (!format) {
    text_.clear();
    return;
  }
  const std::wstring translated = TranslateFormat(format);
  std::vector<wchar_t> buffer(256);
  for (;;) {
    va_list copy;
    va_copy(copy, args);
    const int written = std::vswprintf(buffer.data(), buffer.size(), translated.c_str(), copy);
    va_end(copy);
    if (written >= 0) {
      text_.assign(buffer.data(), static_cast<size_t>(written));
      return;
    }
    // vswprintf gives no length hint; grow until the text fits (or give up on a bad format).
    if (buffer.size() >= (1u << 20)) {
      text_.clear();
      return;
    }
    buffer.resize(buffer.size() * 4);
  }
}

void CString::Format(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  FormatV(format, args);
  va_end(args);
}

void CString::AppendFormat(const wchar_t* format, ...) {
  CString tail;
  va_list args;
  va_start(args, format);
  tail.FormatV(format, args);
  va_end(args);
  text_ += tail.text_;
}

CString& CString::MakeUpper() {
  for (auto& ch : text_) ch = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(ch)));
  return *this;
}

CString& CString::MakeLower() {
  for (auto& ch : text_) ch = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
  return *this;
}

int CString::Find(const wchar_t* needle, int start) const {
  if (!needle || start < 0 || static_cast<size_t>(start) > text_.size()) return -1;
  const size_t at = text_.find(needle, static_cast<size_t>(start));
  return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int CString::Find(wchar_t ch, int start) const {
  if (start < 0 || static_cast<size_t>(start) > text_.size()) return -1;
  const size_t at = text_.find(ch, static_cast<size_t>(start));
  return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(wchar_t ch) const {
  const size_t at = text_.rfind(ch);
  return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

CString CString::Left(int count) const {
  count = std::clamp(count, 0, GetLength());
  return CString(text_.substr(0, static_cast<size_t>(count)));
}

CString CString::Right(int count) const {
  count = std::clamp(count, 0, GetLength());
  return CString(text_.substr(text_.size() - static_cast<size_t>(count)));
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
  first = std::clamp(first, 0, GetLength());
  count = std::clamp(count, 0, GetLength() - first);
  return CString(text_.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

int CString::Replace(const wchar_t* from, const wchar_t* to) {
  if (!from || !*from) return 0;
  const std::wstring needle(from);
  const std::wstring replacement(to ? to : L"");
  int count = 0;
  for (size_t at = text_.find(needle); at != std::wstring::npos; at = text_.find(needle, at + replacement.size())) {
    text_.replace(at, needle.size(), replacement);
    ++count;
  }
  return count;
}

CString& CString::Trim() {
  const auto not_space = [](wchar_t ch) { return !std::iswspace(static_cast<wint_t>(ch)); };
  text_.erase(text_.begin(), std::find_if(text_.begin(), text_.end(), not_space));
  text_.erase(std::find_if(text_.rbegin(), text_.rend(), not_space).base(), text_.end());
  return *this;
}

int CString::CompareNoCase(const wchar_t* other) const {
  return wcscasecmp(text_.c_str(), other ? other : L"");
}

std::string ToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t wc : text) {
    auto cp = static_cast<char32_t>(wc);
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

std::wstring FromUtf8(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int extra = 0;
    char32_t cp = 0;
    if (lead < 0x80) {
      cp = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1;
      cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2;
      cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3;
      cp = lead & 0x07;
    } else {
      out += static_cast<wchar_t>(0xFFFD);
      ++i;
      continue;
    }
    if (i + static_cast<size_t>(extra) >= text.size()) {  // sequence cut off at the end
      out += static_cast<wchar_t>(0xFFFD);
      break;
    }
    bool valid = true;
    for (int k = 1; k <= extra; ++k) {
      const auto cont = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
      if ((cont & 0xC0) != 0x80) {
        valid = false;
        break;
      }
      cp = (cp << 6) | (cont & 0x3F);
    }
    if (!valid) {
      out += static_cast<wchar_t>(0xFFFD);
      ++i;
      continue;
    }
    out += static_cast<wchar_t>(cp);
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

std::size_t Utf16Length(std::wstring_view text) {
  std::size_t units = 0;
  for (wchar_t wc : text) units += static_cast<char32_t>(wc) > 0xFFFF ? 2 : 1;
  return units;
}
