// CString: the growing, formattable UTF-16 string of the framework layer.
// A thin value type over std::wstring with the operations the program uses:
// printf-style formatting (Windows' own wide conventions: %s is a wide string,
// fractions use a full stop), loading from the string table, and appending.
#pragma once

#include <windows.h>
#include <cstdarg>
#include <string>

class CString {
public:
    CString() = default;
    CString(const wchar_t* psz) : m_str(psz ? psz : L"") {}
    CString(const wchar_t* pch, int nLength) : m_str(pch, pch + nLength) {}

    operator const wchar_t*() const { return m_str.c_str(); }
    const wchar_t* GetString() const { return m_str.c_str(); }
    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    wchar_t operator[](int i) const { return m_str[static_cast<size_t>(i)]; }

    CString& operator=(const wchar_t* psz) {
        m_str = psz ? psz : L"";
        return *this;
    }
    CString& operator+=(const wchar_t* psz) {
        if (psz) m_str += psz;
        return *this;
    }
    CString& operator+=(const CString& s) {
        m_str += s.m_str;
        return *this;
    }
    CString& operator+=(wchar_t ch) {
        m_str += ch;
        return *this;
    }
    friend CString operator+(const CString& a, const wchar_t* b) {
        CString r(a);
        r += b;
        return r;
    }
    friend bool operator==(const CString& a, const wchar_t* b) { return a.m_str == (b ? b : L""); }

    // Inserts one character before position nIndex (clamped to the string's ends).
    int Insert(int nIndex, wchar_t ch);
    // Everything after the last occurrence of ch, or the whole string when ch is absent.
    CString AfterLast(wchar_t ch) const;
    // Removes every trailing character that occurs in pszChars.
    void TrimRight(const wchar_t* pszChars);

    // Loads a string resource from the module that holds the program's resources.
    // Returns false and leaves the string empty when there is no such string.
    bool LoadString(UINT nID);

    void Format(const wchar_t* pszFormat, ...);
    void Format(UINT nFormatID, ...);
    void AppendFormat(const wchar_t* pszFormat, ...);
    void AppendFormat(UINT nFormatID, ...);
    void FormatV(const wchar_t* pszFormat, va_list args);
    void AppendFormatV(const wchar_t* pszFormat, va_list args);

private:
    std::wstring m_str;
};
