// The resources of the built orvane.exe, read back from the file: dialog
// templates control by control, string table, version record, icon and manifest.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cwctype>
#include <string>
#include <vector>

#include "resource.h"

namespace {

HMODULE Program() {
    static HMODULE hModule =
        ::LoadLibraryExW(ORVANE_EXE_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    return hModule;
}

std::vector<BYTE> ResourceBytes(LPCWSTR type, LPCWSTR name) {
    HRSRC hRes = ::FindResourceW(Program(), name, type);
    if (!hRes) return {};
    const BYTE* p = static_cast<const BYTE*>(::LockResource(::LoadResource(Program(), hRes)));
    return std::vector<BYTE>(p, p + ::SizeofResource(Program(), hRes));
}

// Reads a DLGTEMPLATEEX and its items.
class TemplateReader {
public:
    explicit TemplateReader(const std::vector<BYTE>& bytes) : m_bytes(bytes) {}
    // Past the end (a failed check in Read) these read 0, which also ends String().
    WORD Word() {
        WORD w = 0;
        Read(&w, 2);
        return w;
    }
    DWORD Dword() {
        DWORD d = 0;
        Read(&d, 4);
        return d;
    }
    short Short() { return static_cast<short>(Word()); }
    BYTE Byte() { return m_bytes.at(m_pos++); }
    std::wstring String() {
        std::wstring s;
        for (WORD w; (w = Word()) != 0;) s += static_cast<wchar_t>(w);
        return s;
    }
    // A name or an ordinal: "#n" for an ordinal.
    std::wstring StringOrOrdinal() {
        const WORD first = Word();
        if (first == 0) return L"";
        if (first == 0xFFFF) return L"#" + std::to_wstring(Word());
        std::wstring s(1, static_cast<wchar_t>(first));
        return s + String();
    }
    void AlignDword() { m_pos = (m_pos + 3) & ~size_t(3); }

private:
    void Read(void* p, size_t n) {
        ASSERT_LE(m_pos + n, m_bytes.size());
        memcpy(p, &m_bytes[m_pos], n);
        m_pos += n;
    }
    const std::vector<BYTE>& m_bytes;
    size_t m_pos = 0;
};

struct Control {
    DWORD id;
    std::wstring cls;
    std::wstring text;
    short x, y, cx, cy;
    DWORD style;
    DWORD exStyle;
};

struct Dialog {
    DWORD style, exStyle;
    short x, y, cx, cy;
    std::wstring menu, cls, title;
    WORD pointSize, weight;
    BYTE italic, charset;
    std::wstring face;
    std::vector<Control> controls;
};

// Predefined classes are stored as ordinals, other class names as strings.
// Window class names are not case-sensitive (the resource compiler stores them
// upper-cased): compare them in lower case.
std::wstring ClassName(const std::wstring& s) {
    if (s == L"#128") return L"button";
    if (s == L"#129") return L"edit";
    if (s == L"#130") return L"static";
    std::wstring lower;
    for (wchar_t c : s) lower += static_cast<wchar_t>(towlower(c));
    return lower;
}

Dialog ReadDialog(int id) {
    const std::vector<BYTE> bytes = ResourceBytes(RT_DIALOG, MAKEINTRESOURCEW(id));
    Dialog d = {};
    if (bytes.empty()) {
        ADD_FAILURE() << "no dialog template " << id;
        return d;
    }
    TemplateReader r(bytes);
    EXPECT_EQ(r.Word(), 1);       // dlgVer
    EXPECT_EQ(r.Word(), 0xFFFF);  // extended template
    r.Dword();                    // help id
    d.exStyle = r.Dword();
    d.style = r.Dword();
    const WORD n = r.Word();
    d.x = r.Short();
    d.y = r.Short();
    d.cx = r.Short();
    d.cy = r.Short();
    d.menu = r.StringOrOrdinal();
    d.cls = r.StringOrOrdinal();
    d.title = r.String();
    d.pointSize = r.Word();
    d.weight = r.Word();
    d.italic = r.Byte();
    d.charset = r.Byte();
    d.face = r.String();
    for (WORD i = 0; i < n; ++i) {
        r.AlignDword();
        Control c = {};
        r.Dword();  // help id
        c.exStyle = r.Dword();
        c.style = r.Dword();
        c.x = r.Short();
        c.y = r.Short();
        c.cx = r.Short();
        c.cy = r.Short();
        c.id = r.Dword();
        c.cls = ClassName(r.StringOrOrdinal());
        c.text = r.StringOrOrdinal();
        const WORD extra = r.Word();
        for (WORD k = 0; k < extra; ++k) r.Byte();
        d.controls.push_back(c);
    }
    return d;
}

const DWORD kChild = WS_CHILD | WS_VISIBLE;
const DWORD kNoId = static_cast<DWORD>(-1);

void ExpectControls(const Dialog& d, const std::vector<Control>& expected) {
    ASSERT_EQ(d.controls.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const Control& a = d.controls[i];
        const Control& e = expected[i];
        SCOPED_TRACE("control " + std::to_string(i + 1));
        EXPECT_EQ(a.id, e.id);
        EXPECT_EQ(a.cls, e.cls);
        EXPECT_EQ(a.text, e.text);
        EXPECT_EQ(a.x, e.x);
        EXPECT_EQ(a.y, e.y);
        EXPECT_EQ(a.cx, e.cx);
        EXPECT_EQ(a.cy, e.cy);
        EXPECT_EQ(a.style, e.style) << std::hex << a.style << " != " << e.style;
        EXPECT_EQ(a.exStyle, 0u);
    }
}

void ExpectFrame(const Dialog& d, DWORD style, DWORD exStyle, short cx, short cy, const wchar_t* title, WORD weight) {
    EXPECT_EQ(d.style, style) << std::hex << d.style;
    EXPECT_EQ(d.exStyle, exStyle);
    EXPECT_EQ(d.x, 0);
    EXPECT_EQ(d.y, 0);
    EXPECT_EQ(d.cx, cx);
    EXPECT_EQ(d.cy, cy);
    EXPECT_EQ(d.menu, L"");
    EXPECT_EQ(d.cls, L"");
    EXPECT_EQ(d.title, title);
    EXPECT_EQ(d.pointSize, 8);
    EXPECT_EQ(d.weight, weight);
    EXPECT_EQ(d.italic, 0);
    EXPECT_EQ(d.charset, 1);
    EXPECT_EQ(d.face, L"MS Shell Dlg");
}

const DWORD kSmallDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS;

TEST(ProgramResources, MainDialogTemplate) {
    ASSERT_NE(Program(), nullptr) << "cannot open " << ORVANE_EXE_PATH;
    const Dialog d = ReadDialog(IDD_ORVANE_DIALOG);
    ExpectFrame(
        d, WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS,
        WS_EX_APPWINDOW, 220, 85, L"Создание образа CD/DVD", 400);
    ExpectControls(
        d,
        {
            {1003, L"button", L"Обновить", 7, 62, 50, 16, kChild | WS_TABSTOP | BS_PUSHBUTTON, 0},
            {1004, L"button", L"Хэши", 59, 62, 50, 16, kChild | WS_TABSTOP | BS_PUSHBUTTON | WS_DISABLED, 0},
            {IDOK, L"button", L"Сохранить", 111, 62, 50, 16, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON | WS_DISABLED, 0},
            {IDCANCEL, L"button", L"Выход", 163, 62, 50, 16, kChild | WS_TABSTOP | BS_PUSHBUTTON, 0},
            {1000, L"comboboxex32", L"", 8, 8, 204, 116, kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_SORT, 0},
            {1002, L"static", L"", 12, 26, 200, 8, kChild | WS_GROUP | SS_LEFT, 0},
            {1001, L"msctls_progress32", L"", 8, 36, 204, 14, kChild | WS_BORDER, 0},
            {kNoId, L"static", L"", 4, 56, 212, 1, kChild | SS_ETCHEDFRAME, 0},
        });
}

TEST(ProgramResources, AboutDialogTemplate) {
    const Dialog d = ReadDialog(IDD_ABOUTBOX);
    ExpectFrame(d, kSmallDialogStyle, 0, 220, 63, L"О программе orvane", 0);
    ASSERT_EQ(d.controls.size(), 4u);
    const std::wstring text = d.controls[2].text;
    EXPECT_EQ(text.rfind(L"Копирование CD/DVD в файл-образ (*.iso)\r\n", 0), 0u);
    EXPECT_NE(text.find(L"Copyright"), std::wstring::npos);
    ExpectControls(
        d, {
               {kNoId, L"static", L"#128", 8, 16, 20, 20, kChild | SS_ICON, 0},
               {kNoId, L"static", L"orvane Version 3.5.0.1", 32, 16, 114, 8, kChild | WS_GROUP | SS_NOPREFIX, 0},
               {kNoId, L"static", text, 32, 32, 184, 20, kChild | WS_GROUP | SS_LEFT, 0},
               {IDOK, L"button", L"OK", 164, 12, 50, 16, kChild | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 0},
           });
}

TEST(ProgramResources, ResultDialogTemplate) {
    const Dialog d = ReadDialog(IDD_RESULT);
    ExpectFrame(d, kSmallDialogStyle, 0, 248, 99, L"orvane - иформация", 400);
    ExpectControls(d, {
                          {IDOK, L"button", L"OK", 99, 76, 50, 16, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0},
                          {1000, L"edit", L"", 36, 8, 208, 64,
                           kChild | WS_TABSTOP | ES_MULTILINE | ES_AUTOHSCROLL | ES_READONLY, 0},
                          {128, L"static", L"#128", 8, 8, 20, 20, kChild | SS_ICON, 0},
                      });
}

std::wstring LoadText(UINT id) {
    const wchar_t* p = nullptr;
    const int n = ::LoadStringW(Program(), id, reinterpret_cast<wchar_t*>(&p), 0);
    return n > 0 ? std::wstring(p, static_cast<size_t>(n)) : std::wstring();
}

// The one check of the string table's texts, as the built program holds them.
TEST(ProgramResources, StringTable) {
    EXPECT_EQ(LoadText(101), L"&О программе orvane...");
    EXPECT_EQ(LoadText(103), L"Ошибка:\t%d, %s\r\n");
    EXPECT_EQ(LoadText(104), L"Старт:\t%s %s\r\nДиск:\t\"%s\"\r\n");
    EXPECT_EQ(LoadText(105), L"Размер:\t%s байт\r\n");
    EXPECT_EQ(LoadText(106), L"Файл:\t\"%s\"\r\n");
    EXPECT_EQ(LoadText(107), L"%s ( %.2f %% )");
    EXPECT_EQ(LoadText(108), L"Создание образа - %.2f %%");
    EXPECT_EQ(LoadText(109), L"Хеширование - %.2f %%");
    EXPECT_EQ(LoadText(110), L"Время:\t%d мин. %.2f сек.\r\n");
    EXPECT_EQ(LoadText(111), L"CRC-32:\t%s\r\nMD5:\t%s\r\nSHA-1:\t%s\r\n");
    EXPECT_EQ(LoadText(112), L"Вычисление хешей");
    EXPECT_EQ(LoadText(113), L"Отчёт не сохранён:\t\"%s\", %d, %s\r\n");
    EXPECT_EQ(LoadText(114), L"Идёт чтение диска");
    EXPECT_EQ(LoadText(115), L"Образ сохранён как:\t\"%s\"\r\n");
}

std::wstring VersionString(const std::vector<BYTE>& info, const wchar_t* name) {
    void* p = nullptr;
    UINT n = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\041904e4\\") + name;
    if (!::VerQueryValueW(info.data(), path.c_str(), &p, &n) || !p) return L"<missing>";
    return std::wstring(static_cast<const wchar_t*>(p));
}

TEST(ProgramResources, VersionRecord) {
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(ORVANE_EXE_PATH, &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(::GetFileVersionInfoW(ORVANE_EXE_PATH, 0, size, info.data()));

    VS_FIXEDFILEINFO* pFixed = nullptr;
    UINT n = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&pFixed), &n));
    EXPECT_EQ(pFixed->dwFileVersionMS, 0x00030005u);
    EXPECT_EQ(pFixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(pFixed->dwProductVersionMS, 0x00030005u);
    EXPECT_EQ(pFixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(pFixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(pFixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));

    WORD* pTranslation = nullptr;
    ASSERT_TRUE(
        ::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pTranslation), &n));
    ASSERT_EQ(n, 4u);
    EXPECT_EQ(pTranslation[0], 0x0419);
    EXPECT_EQ(pTranslation[1], 1252);

    EXPECT_EQ(VersionString(info, L"FileDescription"), L"Утилита создания образа CD/DVD");
    EXPECT_EQ(VersionString(info, L"ProductName"), L"Утилита создания образа CD/DVD");
    EXPECT_EQ(VersionString(info, L"FileVersion"), L"3.5.0.1");
    EXPECT_EQ(VersionString(info, L"ProductVersion"), L"3.5.0.1");
    EXPECT_EQ(VersionString(info, L"InternalName"), L"orvane.exe");
    EXPECT_EQ(VersionString(info, L"OriginalFilename"), L"orvane.exe");
    EXPECT_NE(VersionString(info, L"CompanyName"), L"<missing>");
    EXPECT_NE(VersionString(info, L"LegalCopyright"), L"<missing>");
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE bWidth, bHeight, bColorCount, bReserved;
    WORD wPlanes, wBitCount;
    DWORD dwBytesInRes;
    WORD nId;
};
#pragma pack(pop)

TEST(ProgramResources, IconHas48And32And16PixelImagesOf24Bits) {
    const std::vector<BYTE> group = ResourceBytes(RT_GROUP_ICON, MAKEINTRESOURCEW(IDR_MAINFRAME));
    ASSERT_GE(group.size(), 6u);
    const WORD* header = reinterpret_cast<const WORD*>(group.data());
    EXPECT_EQ(header[1], 1);  // icons
    ASSERT_EQ(header[2], 3);
    ASSERT_EQ(group.size(), 6u + 3 * sizeof(GroupIconEntry));
    const auto* entries = reinterpret_cast<const GroupIconEntry*>(group.data() + 6);
    const int sizes[] = {48, 32, 16};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        EXPECT_EQ(entries[i].bWidth, sizes[i]);
        EXPECT_EQ(entries[i].bHeight, sizes[i]);
        EXPECT_EQ(entries[i].wBitCount, 24);
        const std::vector<BYTE> image = ResourceBytes(RT_ICON, MAKEINTRESOURCEW(entries[i].nId));
        ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
        const auto* bih = reinterpret_cast<const BITMAPINFOHEADER*>(image.data());
        EXPECT_EQ(bih->biWidth, sizes[i]);
        EXPECT_EQ(bih->biHeight, 2 * sizes[i]);
        EXPECT_EQ(bih->biBitCount, 24);
    }
}

TEST(ProgramResources, ManifestAsksForInvokerLevelAndCommonControls6) {
    const std::vector<BYTE> bytes = ResourceBytes(RT_MANIFEST, MAKEINTRESOURCEW(1));
    ASSERT_FALSE(bytes.empty());
    const std::string manifest(bytes.begin(), bytes.end());
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
}

TEST(ProgramResources, ManifestDeclaresSystemDpiAwareness) {
    const std::vector<BYTE> bytes = ResourceBytes(MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1));
    const std::string manifest(bytes.begin(), bytes.end());
    EXPECT_NE(
        manifest.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>"),
        std::string::npos);
    // Not per monitor: the dialogs do not rescale when moved to another screen.
    EXPECT_EQ(manifest.find("PerMonitor"), std::string::npos);
    EXPECT_EQ(manifest.find("permonitor"), std::string::npos);
}

}  // namespace
