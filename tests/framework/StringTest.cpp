#include "String.h"
#include "resource.h"

#include <gtest/gtest.h>

// Formatting follows Windows' wide conventions: %s takes a wide string and a
// fraction prints with a full stop whatever the locale.
TEST(CString, FormatsWideStringsAndFractions) {
    CString s;
    s.Format(L"%s|%d|%.2f|%%|%c", L"abc.iso", -5, 7.934, L'D');
    EXPECT_STREQ(L"abc.iso|-5|7.93|%|D", s);
    s.AppendFormat(L"+%s", L"Привет");
    EXPECT_STREQ(L"abc.iso|-5|7.93|%|D+Привет", s);
}

TEST(CString, FormatsTextsLongerThanTheFirstGuess) {
    std::wstring longText(5000, L'x');
    CString s;
    s.Format(L"[%s]", longText.c_str());
    EXPECT_EQ(5002, s.GetLength());
}

TEST(CString, LoadsStringTableTextsWithRealControlCharacters) {
    CString s;
    ASSERT_TRUE(s.LoadString(IDS_FILE_LINE));
    EXPECT_STREQ(L"Файл:\t\"%s\"\r\n", s);
    s.Format(IDS_PROGRESS_STATUS, L"\"a b.iso\"", 50.07);
    EXPECT_STREQ(L"\"a b.iso\" ( 50.07 % )", s);
    EXPECT_FALSE(s.LoadString(9999));
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CString, EditsInPlace) {
    CString s(L"C:\\Images\\a.iso\r\n\r\n");
    s.TrimRight(L"\r\n");
    EXPECT_STREQ(L"C:\\Images\\a.iso", s);
    EXPECT_STREQ(L"a.iso", s.AfterLast(L'\\'));
    EXPECT_STREQ(L"noslash", CString(L"noslash").AfterLast(L'\\'));
    s.Empty();
    s.Insert(0, L'1');
    s.Insert(0, L'`');
    s.Insert(99, L'2');
    EXPECT_STREQ(L"`12", s);
}
