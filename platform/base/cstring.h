// CString: the wide string every name, title, path and setting text travels in.
// It keeps wchar_t (32-bit on Linux); conversion to UTF-8 happens at the system boundary.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>
#include <string_view>

class CString {
 public:
  CString() = default;
  CString(const wchar_t* text) : text_(text ? text : L"") {}  // NOLINT: implicit like the original
  CString(const wchar_t* text, int length) : text_(text ? std::wstring(text, length > 0 ? length : 0) : std::wstring()) {}
  CString(std::wstring text) : text_(std::move(text)) {}  // NOLINT
  CString(wchar_t ch, int repeat = 1) : text_(repeat > 0 ? repeat : 0, ch) {}

  int GetLength() const { return static_cast<int>(text_.size()); }
  bool IsEmpty() const { return text_.empty(); }
  void Empty() { text_.clear(); }
  const wchar_t* GetString() const { return text_.c_str(); }
  operator const wchar_t*() const { return text_.c_str(); }  // NOLINT: implicit like the original
  const std::wstring& str() const { return text_; }
  wchar_t GetAt(int index) const { return text_.at(static_cast<size_t>(index)); }
  void SetAt(int index, wchar_t ch) { text_.at(static_cast<size_t>(index)) = ch; }

  CString& operator=(const wchar_t* text) {
    text_ = text ? text : L"";
    return *this;
  }
  CString& operator+=(const CString& other) {
    text_ += other.text_;
    return *this;
  }
  CString& operator+=(const wchar_t* other) {
    if (other) text_ += other;
    return *this;
  }
  CString& operator+=(wchar_t ch) {
    text_ += ch;
    return *this;
  }
  friend CString operator+(const CString& a, const CString& b) { return CString(a.text_ + b.text_); }
  friend CString operator+(const CString& a, const wchar_t* b) { return CString(a.text_ + (b ? b : L"")); }
  friend CString operator+(const wchar_t* a, const CString& b) { return CString((a ? a : L"") + b.text_); }
  friend bool operator==(const CString& a, const CString& b) { return a.text_ == b.text_; }
  friend bool operator==(const CString& a, const wchar_t* b) { return a.text_ == (b ? b : L""); }
  friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
  friend bool operator!=(const CString& a, const wchar_t* b) { return !(a == b); }
  friend bool operator<(const CString& a, const CString& b) { return a.text_ < b.text_; }

  // printf-style formatting with the wide-format meaning of %s and %c (a wide string and a wide
  // character), as the formats written for this program expect.
  void Format(const wchar_t* format, ...);
  void FormatV(const wchar_t* format, va_list args);
  void AppendFormat(const wchar_t* format, ...);

  CString& MakeUpper();
  CString& MakeLower();
  int Find(const wchar_t* needle, int start = 0) const;
  int Find(wchar_t ch, int start = 0) const;
  int ReverseFind(wchar_t ch) const;
  CString Left(int count) const;
  CString Right(int count) const;
  CString Mid(int first) const;
  CString Mid(int first, int count) const;
  int Replace(const wchar_t* from, const wchar_t* to);
  CString& Trim();
  int CompareNoCase(const wchar_t* other) const;

 private:
  std::wstring text_;
};

// UTF-8 <-> wide conversions for the system boundary (paths, X11, pango, D-Bus, HTTP).
std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);
// Length in UTF-16 code units, for the places that count as the original platform does.
std::size_t Utf16Length(std::wstring_view text);
