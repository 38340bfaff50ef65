// orvane-driver: plays one Save run on a running orvane.exe, as a user would,
// for the demo that scripts/run.sh shows without a display.
//
//   orvane-driver save PATH OUT  waits for the main dialog, presses "Сохранить",
//                             types PATH into the Save As dialog, confirms, waits
//                             for the result dialog and writes to the file OUT
//                             (UTF-8) one line for each step it took, in plain
//                             words, then an empty line and the report shown.
//   orvane-driver close       closes the result dialog, waits until the main
//                             dialog is idle again and presses "Выход".
// Exit code 0 on success, 1 when a step did not happen in time.
#include <cstdio>
#include <string>

#include "DialogDriving.h"

namespace {

void Print(FILE* f, const std::wstring& s) {
    int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), &out[0], n, nullptr, nullptr);
    // The report's lines end in CR LF; a terminal wants LF.
    std::string lf;
    for (char c : out)
        if (c != '\r') lf += c;
    fwrite(lf.data(), 1, lf.size(), f);
    fflush(f);
}

int Fail(const wchar_t* what) {
    Print(stderr, std::wstring(L"orvane-driver: ") + what + L"\n");
    return 1;
}

HWND WaitMainDialog() {
    HWND h = nullptr;
    WaitFor([&] { return (h = drive::FindMainDialog()) != nullptr; }, 60000);
    return h;
}

// Plays the run; the text for the report file collects in text.
int Save(const std::wstring& path, std::wstring& text) {
    HWND hMain = WaitMainDialog();
    if (!hMain) return Fail(L"the main dialog did not appear");
    if (!WaitFor([&] { return drive::IsItemEnabled(hMain, IDOK); }, 30000))
        return Fail(L"\"Сохранить\" was not enabled (no disc in the selected drive?)");
    drive::Press(hMain, IDOK);

    HWND hSaveAs = drive::WaitSaveAsDialog(hMain, 30000);
    if (!hSaveAs) return Fail(L"the Save As dialog did not appear");
    text = L"pressed \"Сохранить\" (Save): the Save As dialog opened\n";
    HWND hEdit = nullptr;
    if (!WaitFor([&] { return (hEdit = drive::FileNameEdit(hSaveAs)) != nullptr; }, 10000))
        return Fail(L"the Save As dialog has no file-name box");
    text += L"Save As proposed the disc's label as the file name: " + WindowText(hEdit) + L"\n";
    drive::ConfirmSaveAs(hSaveAs, path);
    text += L"typed the image's path without extension and pressed Save: " + path + L"\n";

    HWND hResult = drive::WaitResultDialog(hMain, 600000);
    if (!hResult) return Fail(L"the result dialog did not appear");
    text += L"the run has ended; the result dialog shows its report:\n\n";
    text += drive::ResultText(hResult);
    return 0;
}

// The report file is written only once the run is over, so that its
// appearance tells a waiting script that the result dialog is shown.
int SaveTo(const std::wstring& path, const wchar_t* pszOut) {
    std::wstring text;
    if (int rc = Save(path, text)) return rc;
    FILE* out = _wfopen(pszOut, L"wb");
    if (!out) return Fail(L"cannot write the report file");
    Print(out, text);
    fclose(out);
    return 0;
}

int Close() {
    HWND hMain = WaitMainDialog();
    if (!hMain) return Fail(L"the main dialog is not there");
    if (HWND hResult = FindOwnedDialog(hMain, drive::kResultTitle)) drive::Press(hResult, IDOK);
    // The run's worker enables the buttons a moment before it clears its run
    // mark, and until then "Выход" is refused: press it until the dialog goes.
    if (!WaitFor(
            [&] {
                if (!IsWindow(hMain)) return true;
                if (drive::IsItemEnabled(hMain, IDCANCEL)) drive::Press(hMain, IDCANCEL);
                return false;
            },
            30000))
        return Fail(L"the main dialog did not close");
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && lstrcmpW(argv[1], L"save") == 0) return SaveTo(argv[2], argv[3]);
    if (argc == 2 && lstrcmpW(argv[1], L"close") == 0) return Close();
    return Fail(L"usage: orvane-driver save PATH OUT | close");
}
