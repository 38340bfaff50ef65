// The report of a run: its text, line by line, and the report file it is appended to.
#include "DiscJob.h"

#include <cmath>
#include <vector>

#include "resource.h"

namespace {

// Formats the local date or time with the locale's default format: one call for
// the length, one into a buffer of exactly that length.
template <typename Formatter>
CString FormatLocal(Formatter pfn, LCID lcid, const SYSTEMTIME& st) {
    const int n = pfn(lcid, 0, &st, nullptr, nullptr, 0);
    if (n <= 0) return CString();
    std::vector<wchar_t> buf(static_cast<size_t>(n));
    if (pfn(lcid, 0, &st, nullptr, buf.data(), n) <= 0) return CString();
    return CString(buf.data());
}

// The system's message text for an error code, without its trailing line end;
// empty when the system has none.
CString SystemMessage(DWORD nError) {
    CLocalMemory<wchar_t> message;
    // Insertion points stay as they are: no arguments are passed, and expanding
    // them would read arguments that do not exist.
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   nError, 0, reinterpret_cast<wchar_t*>(message.Receive()), 0, nullptr);
    CString strMessage(message.Get());
    strMessage.TrimRight(L"\r\n");
    return strMessage;
}

}  // namespace

void CDiscJob::WriteReportHeader() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    const LCID lcid = GetUserDefaultLCID();
    const CString strDate = FormatLocal(GetDateFormatW, lcid, st);
    const CString strTime = FormatLocal(GetTimeFormatW, lcid, st);

    // The label is asked of the raw volume's root; without one the disc is named
    // by the drive's root directory (letter, colon, backslash).
    wchar_t szVolumeRoot[10];
    wsprintfW(szVolumeRoot, L"%s\\", m_szDevice);
    wchar_t szLabel[MAX_PATH] = {};
    if (!GetVolumeInformationW(szVolumeRoot, szLabel, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0) || !szLabel[0])
        lstrcpyW(szLabel, m_szRoot);
    m_strReport.Format(IDS_HEADER_LINES, strDate.GetString(), strTime.GetString(), szLabel);
}

void CDiscJob::AppendSizeLine(uint64_t nSize) {
    CString strSize;
    int nDigits = 0;
    do {
        if (nDigits > 0 && nDigits % 3 == 0) strSize.Insert(0, L'`');
        strSize.Insert(0, static_cast<wchar_t>(L'0' + nSize % 10));
        ++nDigits;
        nSize /= 10;
    } while (nSize != 0);
    m_strReport.AppendFormat(IDS_SIZE_LINE, strSize.GetString());
}

void CDiscJob::AppendFileLine() { m_strReport.AppendFormat(IDS_FILE_LINE, m_strImagePath.GetString()); }

void CDiscJob::AppendErrorLine() {
    const DWORD nError = GetLastError();
    if (m_bErrorLine) return;
    m_bErrorLine = TRUE;
    m_strReport.AppendFormat(IDS_ERROR_LINE, static_cast<int>(nError), SystemMessage(nError).GetString());
}

void CDiscJob::AppendKeptImageLine(const CString& strPath) {
    m_strReport.AppendFormat(IDS_IMAGE_KEPT, strPath.GetString());
}

void CDiscJob::NoteUnsavedReport(const CString& strPath) {
    const DWORD nError = GetLastError();
    m_strUnsaved.Format(IDS_REPORT_NOT_SAVED, strPath.GetString(), static_cast<int>(nError),
                        SystemMessage(nError).GetString());
}

void CDiscJob::AppendResultLines(double dSeconds, uint32_t nCrc, const uint8_t* pMd5, const uint8_t* pSha1) {
    // Rounded to hundredths before the split, so that the seconds never read
    // 60.00: 119.996 s are 2 minutes and 0.00 seconds.
    const long long nHundredths = std::llround(dSeconds * 100.0);
    const int nMinutes = static_cast<int>(nHundredths / 6000);
    const double dRest = static_cast<double>(nHundredths % 6000) / 100.0;
    m_strReport.AppendFormat(IDS_TIME_LINE, nMinutes, dRest);

    const uint8_t abCrc[4] = {static_cast<uint8_t>(nCrc >> 24), static_cast<uint8_t>(nCrc >> 16),
                              static_cast<uint8_t>(nCrc >> 8), static_cast<uint8_t>(nCrc)};
    m_strReport.AppendFormat(IDS_CHECKSUM_LINES, DigestToHex(abCrc, 4).GetString(), DigestToHex(pMd5, 16).GetString(),
                             DigestToHex(pSha1, 20).GetString());
}

CString CDiscJob::DigestToHex(const uint8_t* pBytes, size_t nCount) {
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    CString strHex;
    for (size_t i = 0; i < nCount; ++i) {
        strHex += kDigits[pBytes[i] >> 4];
        strHex += kDigits[pBytes[i] & 0x0F];
    }
    return strHex;
}

CString CDiscJob::ReportFilePath() const {
    if (!m_strImagePath.IsEmpty()) return m_strImagePath + kReportSuffix;

    wchar_t szModule[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, szModule, MAX_PATH);
    wchar_t* pszSlash = wcsrchr(szModule, L'\\');
    if (pszSlash) {
        pszSlash[1] = 0;
    } else {
        szModule[0] = 0;
    }
    return CString(szModule) + L"orvane.log";
}

// Appends the report to the report file. When the file cannot be opened or the
// report not written whole, the line shown after the report says so, and a
// report cut short is taken out again, so that the file holds whole reports.
BOOL CDiscJob::SaveReport() {
    const CString strPath = ReportFilePath();
    SECURITY_ATTRIBUTES sa = InheritableAttributes();
    CFileHandle hFile(
        CreateFileW(strPath, GENERIC_WRITE, FILE_SHARE_READ, &sa, OPEN_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, nullptr));
    const BOOL bExisted = GetLastError() == ERROR_ALREADY_EXISTS;
    // Without the old end known, a failed write could not be taken out again
    // without cutting earlier reports: nothing is written then.
    LARGE_INTEGER nZero = {}, nOldEnd = {};
    if (!hFile.IsValid()) {
        NoteUnsavedReport(strPath);
        return FALSE;
    }
    if (!SetFilePointerEx(hFile, nZero, &nOldEnd, FILE_END)) return DropReportFile(hFile, bExisted, strPath);
    static const BYTE kBom[2] = {0xFF, 0xFE};
    static const wchar_t kLineEnd[] = L"\r\n";
    const BOOL bWritten =
        (bExisted || WriteAll(hFile, kBom, sizeof(kBom))) &&
        WriteAll(hFile, m_strReport.GetString(), static_cast<DWORD>(m_strReport.GetLength() * sizeof(wchar_t))) &&
        WriteAll(hFile, kLineEnd, 2 * sizeof(wchar_t));
    if (bWritten) return TRUE;
    const DWORD nError = GetLastError();
    if (SetFilePointerEx(hFile, nOldEnd, nullptr, FILE_BEGIN)) SetEndOfFile(hFile);
    SetLastError(nError);
    return DropReportFile(hFile, bExisted, strPath);
}

// A report file that this run created and could not write goes again, so that
// no empty or partial report file is left where the user looks for reports.
// Says so in the unsaved line, with the failure's code.
BOOL CDiscJob::DropReportFile(CFileHandle& hFile, BOOL bExisted, const CString& strPath) {
    const DWORD nError = GetLastError();
    hFile.Reset();
    if (!bExisted) DeleteFileW(strPath);
    SetLastError(nError);
    NoteUnsavedReport(strPath);
    return FALSE;
}
