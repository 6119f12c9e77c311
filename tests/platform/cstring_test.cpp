#include "platform/base/cstring.h"

#include <gtest/gtest.h>

TEST(CStringFormat, WideConversionsKeepTheirMeaning) {
  CString s;
  s.Format(L"SOFTWARE\\%s", L"Velmora Quillon");
  EXPECT_EQ(s, L"SOFTWARE\\Velmora Quillon");
  s.Format(L"Device:%d", 2);
  EXPECT_EQ(s, L"Device:2");
  s.Format(L"%c-%S", L'x', "narrow");
  EXPECT_EQ(s, L"x-narrow");
  s.Format(L"100%%");
  EXPECT_EQ(s, L"100%");
}

TEST(CStringFormat, LongResultIsNotCut) {
  std::wstring big(5000, L'a');
  CString s;
  s.Format(L"<%s>", big.c_str());
  EXPECT_EQ(s.GetLength(), 5002);
}

TEST(CStringOps, SearchAndSlices) {
  CString name(L"\\\\?\\hid#vid_1a2c&pid_434d#x");
  name.MakeUpper();
  EXPECT_GE(name.Find(L"VID_1A2C&PID_434D"), 0);
  EXPECT_EQ(CString(L"abcdef").Mid(2, 3), L"cde");
  EXPECT_EQ(CString(L"abcdef").Left(10), L"abcdef");
  EXPECT_EQ(CString(L"abcdef").Right(2), L"ef");
  EXPECT_EQ(CString(L"abc").Mid(5), L"");
}

TEST(Utf8, RoundTripAndInvalidInput) {
  const std::wstring text = L"Gr\u00fc\u00dfe \u6e29\u5ea6 \U0001F321";
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
  EXPECT_EQ(ToUtf8(L"\u00e9"), "\xC3\xA9");
  EXPECT_EQ(FromUtf8("a\xC3"), std::wstring(L"a\uFFFD"));
  EXPECT_EQ(FromUtf8("\xFF" "b"), std::wstring(L"\uFFFDb"));
  EXPECT_EQ(Utf16Length(text), text.size() + 1);
}
