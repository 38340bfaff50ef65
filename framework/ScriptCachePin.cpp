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

// A function of hModule by its name, as the type it has; null when it lacks it.
template <class F>
F ProcAddress(HMODULE hModule, const char* pszName) {
    // FARPROC is a placeholder type: the cast goes through the generic one.
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(::GetProcAddress(hModule, pszName)));
}

// Uniscribe's three layout functions, from usp10.dll in the system folder. The
// program does not import usp10.dll: not being one of the DLLs that Windows
// always takes from its own folder, a static import would load a usp10.dll
// that lies beside the program (in a download folder) before any line of the
// program runs. Loaded here, it is taken from the system folder alone, and only
// where the pin runs. The module stays loaded for the process's life, as the
// pinned cache does.
struct CUniscribe {
    decltype(&::ScriptItemize) pItemize = nullptr;
    decltype(&::ScriptShape) pShape = nullptr;
    decltype(&::ScriptPlace) pPlace = nullptr;

    bool Load() {
        const HMODULE hModule = ::LoadLibraryExW(L"usp10.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!hModule) return false;
        pItemize = ProcAddress<decltype(pItemize)>(hModule, "ScriptItemize");
        pShape = ProcAddress<decltype(pShape)>(hModule, "ScriptShape");
        pPlace = ProcAddress<decltype(pPlace)>(hModule, "ScriptPlace");
        return pItemize && pShape && pPlace;
    }
};

// Shapes and places each script run of the text, filling the cache as it goes.
void LayOut(const CUniscribe& usp, HDC hDC, SCRIPT_CACHE* pCache, const wchar_t* pszText) {
    const int nChars = lstrlenW(pszText);
    std::vector<SCRIPT_ITEM> items(static_cast<size_t>(nChars) + 1);
    int nItems = 0;
    if (FAILED(usp.pItemize(pszText, nChars, nChars, nullptr, nullptr, items.data(), &nItems))) return;
    for (int i = 0; i < nItems; ++i) {
        const int nFirst = items[i].iCharPos, nCount = items[i + 1].iCharPos - nFirst;
        const int nMaxGlyphs = nCount * 3 / 2 + 16;
        std::vector<WORD> glyphs(nMaxGlyphs), clusters(nCount);
        std::vector<SCRIPT_VISATTR> attrs(nMaxGlyphs);
        int nGlyphs = 0;
        if (FAILED(usp.pShape(hDC, pCache, pszText + nFirst, nCount, nMaxGlyphs, &items[i].a, glyphs.data(),
                              clusters.data(), attrs.data(), &nGlyphs)))
            continue;
        std::vector<int> advances(nGlyphs);
        std::vector<GOFFSET> offsets(nGlyphs);
        ABC abc = {};
        usp.pPlace(hDC, pCache, glyphs.data(), nGlyphs, attrs.data(), &items[i].a, advances.data(), offsets.data(),
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
    CUniscribe usp;
    if (!usp.Load()) return;
    HFONT hFont = reinterpret_cast<HFONT>(::SendMessageW(hWnd, WM_GETFONT, 0, 0));
    const CClientDC dc(CWnd::FromHandle(hWnd));
    if (!dc.GetSafeHdc()) return;
    HGDIOBJ hOld = hFont ? ::SelectObject(dc, hFont) : nullptr;
    LayOut(usp, dc, &s_cache, kLatinSample);
    LayOut(usp, dc, &s_cache, kCyrillicSample);
    if (hOld) ::SelectObject(dc, hOld);
}
