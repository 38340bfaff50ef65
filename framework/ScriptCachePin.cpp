#include "ScriptCachePin.h"

#include <usp10.h>

#include <vector>

#include "ClientDC.h"

namespace {

// Every printable ASCII character and the punctuation of the program's texts,
// and the Russian alphabet: the glyphs and widths that the dialogs lay out.
const wchar_t kLatinSample[] =
    L" !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~"
    L"\u00A0\u00AB\u00BB\u2013\u2014\u2026\u2116";
const wchar_t kCyrillicSample[] =
    L"\u0401\u0410\u0411\u0412\u0413\u0414\u0415\u0416\u0417\u0418\u0419\u041A\u041B\u041C\u041D\u041E\u041F"
    L"\u0420\u0421\u0422\u0423\u0424\u0425\u0426\u0427\u0428\u0429\u042A\u042B\u042C\u042D\u042E\u042F"
    L"\u0430\u0431\u0432\u0433\u0434\u0435\u0436\u0437\u0438\u0439\u043A\u043B\u043C\u043D\u043E\u043F"
    L"\u0440\u0441\u0442\u0443\u0444\u0445\u0446\u0447\u0448\u0449\u044A\u044B\u044C\u044D\u044E\u044F\u0451";

// Shapes and places each script run of the text, filling the cache as it goes.
void LayOut(HDC hDC, SCRIPT_CACHE* pCache, const wchar_t* pszText) {
    const int nChars = lstrlenW(pszText);
    std::vector<SCRIPT_ITEM> items(static_cast<size_t>(nChars) + 1);
    int nItems = 0;
    if (FAILED(::ScriptItemize(pszText, nChars, nChars, nullptr, nullptr, items.data(), &nItems))) return;
    for (int i = 0; i < nItems; ++i) {
        const int nFirst = items[i].iCharPos, nCount = items[i + 1].iCharPos - nFirst;
        const int nMaxGlyphs = nCount * 3 / 2 + 16;
        std::vector<WORD> glyphs(nMaxGlyphs), clusters(nCount);
        std::vector<SCRIPT_VISATTR> attrs(nMaxGlyphs);
        int nGlyphs = 0;
        if (FAILED(::ScriptShape(hDC, pCache, pszText + nFirst, nCount, nMaxGlyphs, &items[i].a, glyphs.data(),
                                 clusters.data(), attrs.data(), &nGlyphs)))
            continue;
        std::vector<int> advances(nGlyphs);
        std::vector<GOFFSET> offsets(nGlyphs);
        ABC abc = {};
        ::ScriptPlace(hDC, pCache, glyphs.data(), nGlyphs, attrs.data(), &items[i].a, advances.data(), offsets.data(),
                      &abc);
    }
}

}  // namespace

bool IsRunningUnderWine() {
    HMODULE hNtdll = ::GetModuleHandleW(L"ntdll.dll");
    return hNtdll && ::GetProcAddress(hNtdll, "wine_get_version") != nullptr;
}

void PinScriptCache(HWND hWnd) {
    // The cache is never freed: while it is held, Wine keeps the font's entry
    // and hands it to every later layout in the font.
    static SCRIPT_CACHE s_cache = nullptr;
    static LONG s_nDone = 0;
    if (::InterlockedExchange(&s_nDone, 1)) return;
    HFONT hFont = reinterpret_cast<HFONT>(::SendMessageW(hWnd, WM_GETFONT, 0, 0));
    const CClientDC dc(CWnd::FromHandle(hWnd));
    if (!dc.GetSafeHdc()) return;
    HGDIOBJ hOld = hFont ? ::SelectObject(dc, hFont) : nullptr;
    LayOut(dc, &s_cache, kLatinSample);
    LayOut(dc, &s_cache, kCyrillicSample);
    if (hOld) ::SelectObject(dc, hOld);
}
