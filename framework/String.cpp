#include "String.h"
#include "Resources.h"

#include <cwchar>
#include <cstdio>

// MinGW-w64 routes the C library's standard wide printf family to its own
// implementation, where %s means a narrow string. The Windows runtime's own
// _vsnwprintf reads %s as a wide string, which is what every format of the
// program is written for.

int CString::Insert(int nIndex, wchar_t ch) {
    if (nIndex < 0) nIndex = 0;
    if (nIndex > GetLength()) nIndex = GetLength();
    m_str.insert(static_cast<size_t>(nIndex), 1, ch);
    return GetLength();
}

CString CString::AfterLast(wchar_t ch) const {
    const size_t pos = m_str.rfind(ch);
    return CString(pos == std::wstring::npos ? m_str.c_str() : m_str.c_str() + pos + 1);
}

void CString::TrimRight(const wchar_t* pszChars) {
    const size_t last = m_str.find_last_not_of(pszChars);
    m_str.erase(last == std::wstring::npos ? 0 : last + 1);
}

bool CString::LoadString(UINT nID) {
    m_str.clear();
    const wchar_t* p = nullptr;
    // With a zero buffer size the loader hands out a read-only pointer into
    // the resource itself; the text there is not NUL-terminated.
    const int n = ::LoadStringW(AfxFindResourceHandle(MAKEINTRESOURCEW((nID >> 4) + 1), RT_STRING), nID,
                                reinterpret_cast<wchar_t*>(&p), 0);
    if (n <= 0 || !p) return false;
    m_str.assign(p, static_cast<size_t>(n));
    return true;
}

void CString::AppendFormatV(const wchar_t* pszFormat, va_list args) {
    if (!pszFormat) return;
    size_t cap = 256;
    for (;;) {
        std::wstring buf(cap, L'\0');
        va_list copy;
        va_copy(copy, args);
        const int n = _vsnwprintf(&buf[0], cap, pszFormat, copy);
        va_end(copy);
        if (n >= 0 && static_cast<size_t>(n) < cap) {
            m_str.append(buf.c_str(), static_cast<size_t>(n));
            return;
        }
        cap *= 2;
        if (cap > (1u << 26)) return;  // a format that never fits: leave the text as it is
    }
}

void CString::FormatV(const wchar_t* pszFormat, va_list args) {
    m_str.clear();
    AppendFormatV(pszFormat, args);
}

void CString::Format(const wchar_t* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::Format(UINT nFormatID, ...) {
    CString fmt;
    fmt.LoadString(nFormatID);
    va_list args;
    va_start(args, nFormatID);
    FormatV(fmt, args);
    va_end(args);
}

void CString::AppendFormat(const wchar_t* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    AppendFormatV(pszFormat, args);
    va_end(args);
}

void CString::AppendFormat(UINT nFormatID, ...) {
    CString fmt;
    fmt.LoadString(nFormatID);
    va_list args;
    va_start(args, nFormatID);
    AppendFormatV(fmt, args);
    va_end(args);
}
