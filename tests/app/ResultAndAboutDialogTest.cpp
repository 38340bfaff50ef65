// The result dialog and the About box, run for real and read back through
// their window messages.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "AboutDlg.h"
#include "DialogThread.h"
#include "ResultDialog.h"
#include "TestFiles.h"
#include "WindowWaits.h"
#include "resource.h"

namespace {

const wchar_t kResultTitle[] = L"orvane - иформация";

std::wstring EditLine(HWND hEdit, int nLine) {
    wchar_t buf[1024] = {};
    *reinterpret_cast<WORD*>(buf) = ARRAYSIZE(buf) - 1;
    const LRESULT n = ::SendMessageW(hEdit, EM_GETLINE, static_cast<WPARAM>(nLine), reinterpret_cast<LPARAM>(buf));
    return std::wstring(buf, static_cast<size_t>(n));
}

// A report as a run writes it, with one line far wider than the field.
const std::wstring kReport =
    L"Старт:\t08.12.2026 20:15:01\r\n"
    L"Диск:\t\"PHOTOS_2010\"\r\n"
    L"Размер:\t734 003 200 байт\r\n"
    L"Файл:\t\"C:\\Users\\Пользователь\\Documents\\Архив\\Фотографии\\2010\\Очень длинное имя "
    L"папки\\PHOTOS_2010.iso\"\r\n"
    L"Время:\t2 мин. 13.57 сек.\r\n"
    L"CRC-32:\t1A2B3C4D\r\n"
    L"MD5:\t0123456789ABCDEF0123456789ABCDEF\r\n"
    L"SHA-1:\t0123456789ABCDEF0123456789ABCDEF01234567\r\n";

TEST(ResultDialog, ShowsTheReportUnchangedOneLinePerLineWithFocusOnOk) {
    DialogThread thread([] {
        CResultDialog dlg(nullptr, kReport.c_str());
        return dlg.DoModal();
    });
    HWND hDlg = WaitForThreadWindow(thread.ThreadId(), kResultTitle);
    ASSERT_NE(hDlg, nullptr);
    HWND hEdit = ::GetDlgItem(hDlg, IDC_REPORT);
    ASSERT_NE(hEdit, nullptr);

    EXPECT_EQ(WindowText(hEdit), kReport);
    // The report's lines, and the empty one after its last CR LF.
    std::vector<std::wstring> lines = files::SplitLines(kReport);
    lines.push_back(L"");
    ASSERT_EQ(::SendMessageW(hEdit, EM_GETLINECOUNT, 0, 0), static_cast<LRESULT>(lines.size()));
    for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(EditLine(hEdit, static_cast<int>(i)), lines[i]) << "line " << i;

    EXPECT_EQ(FocusOfThread(thread.ThreadId()), ::GetDlgItem(hDlg, IDOK));
    EXPECT_NE(::SendDlgItemMessageW(hDlg, IDR_MAINFRAME, STM_GETICON, 0, 0), 0);
    // Read-only: typing changes nothing.
    ::SendMessageW(hEdit, WM_CHAR, L'x', 0);
    EXPECT_EQ(WindowText(hEdit), kReport);

    ::PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(thread.Join(), IDOK);
}

// A whole Save report and the line of an unsaved report: nine lines, more
// than the field shows at first. The field grows until its last line is seen.
TEST(ResultDialog, EveryLineOfALongerTextIsSeen) {
    const std::wstring text = kReport + L"Отчёт не сохранён:\t\"C:\\Образы\\PHOTOS_2010.iso.log\", 112, Disk full.\r\n";
    DialogThread thread([&text] {
        CResultDialog dlg(nullptr, text.c_str());
        return dlg.DoModal();
    });
    HWND hDlg = WaitForThreadWindow(thread.ThreadId(), kResultTitle);
    ASSERT_NE(hDlg, nullptr);
    HWND hEdit = ::GetDlgItem(hDlg, IDC_REPORT);
    const LRESULT nLast = ::SendMessageW(hEdit, EM_LINEINDEX, 8, 0);
    ASSERT_GT(nLast, 0);
    RECT rcFormat = {}, rcEdit = {}, rcOk = {};
    ::SendMessageW(hEdit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&rcFormat));
    const int yLast = static_cast<short>(HIWORD(::SendMessageW(hEdit, EM_POSFROMCHAR, nLast, 0)));
    const int yFirst = static_cast<short>(HIWORD(::SendMessageW(hEdit, EM_POSFROMCHAR, 0, 0)));
    EXPECT_EQ(::SendMessageW(hEdit, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    EXPECT_LE(yLast + (yLast - yFirst) / 8, rcFormat.bottom) << "the last line is not seen";
    // "OK" stays below the field.
    ::GetWindowRect(hEdit, &rcEdit);
    ::GetWindowRect(::GetDlgItem(hDlg, IDOK), &rcOk);
    EXPECT_GE(rcOk.top, rcEdit.bottom);
    ::PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(thread.Join(), IDOK);
}

TEST(ResultDialog, EmptyReportShowsAnEmptyFieldAndCancelCloses) {
    DialogThread thread([] {
        CResultDialog dlg(nullptr, L"");
        return dlg.DoModal();
    });
    HWND hDlg = WaitForThreadWindow(thread.ThreadId(), kResultTitle);
    ASSERT_NE(hDlg, nullptr);
    EXPECT_EQ(WindowText(::GetDlgItem(hDlg, IDC_REPORT)), L"");
    ::PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(thread.Join(), IDCANCEL);
}

TEST(ResultDialog, IsModalToTheWindowOfAnotherThreadGivenAsParent) {
    // The parent runs on one thread, the result dialog on another, as with a run's worker.
    DialogThread owner([] {
        CAboutDlg dlg;
        return dlg.DoModal();
    });
    HWND hOwner = WaitForThreadWindow(owner.ThreadId(), L"О программе orvane");
    ASSERT_NE(hOwner, nullptr);

    DialogThread worker([hOwner] {
        CResultDialog dlg(CWnd::FromHandle(hOwner), kReport.c_str());
        return dlg.DoModal();
    });
    HWND hDlg = WaitForThreadWindow(worker.ThreadId(), kResultTitle);
    ASSERT_NE(hDlg, nullptr);
    EXPECT_EQ(::GetWindow(hDlg, GW_OWNER), hOwner);
    EXPECT_FALSE(::IsWindowEnabled(hOwner));
    ::PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(worker.Join(), IDOK);
    EXPECT_TRUE(::IsWindowEnabled(hOwner));

    ::PostMessageW(hOwner, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(owner.Join(), IDOK);
}

TEST(ResultDialog, CarriesItsRunTimeClass) {
    CResultDialog dlg(nullptr, L"text");
    const CRuntimeClass* pClass = dlg.GetRuntimeClass();
    EXPECT_STREQ(pClass->m_lpszClassName, "CResultDialog");
    EXPECT_EQ(pClass->m_pBaseClass, RUNTIME_CLASS(CDialog));
    EXPECT_EQ(pClass->m_pfnCreateObject, nullptr);
    EXPECT_TRUE(dlg.IsKindOf(RUNTIME_CLASS(CDialog)));
    EXPECT_TRUE(dlg.IsKindOf(RUNTIME_CLASS(CWnd)));
    EXPECT_FALSE(CWnd().IsKindOf(RUNTIME_CLASS(CDialog)));
}

TEST(AboutDialog, ShowsIconVersionAndDescription) {
    DialogThread thread([] {
        CAboutDlg dlg;
        return dlg.DoModal();
    });
    HWND hDlg = WaitForThreadWindow(thread.ThreadId(), L"О программе orvane");
    ASSERT_NE(hDlg, nullptr);
    EXPECT_EQ(FocusOfThread(thread.ThreadId()), ::GetDlgItem(hDlg, IDOK));
    std::vector<std::wstring> texts;
    bool bIcon = false;
    for (HWND h = ::GetWindow(hDlg, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        texts.push_back(WindowText(h));
        if (::SendMessageW(h, STM_GETICON, 0, 0)) bIcon = true;
    }
    EXPECT_TRUE(bIcon);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[1], L"orvane Version 3.5.0.1");
    EXPECT_EQ(texts[2].rfind(L"Копирование CD/DVD в файл-образ (*.iso)\r\n", 0), 0u);
    EXPECT_EQ(texts[3], L"OK");
    ::PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(thread.Join(), IDCANCEL);
}

}  // namespace
