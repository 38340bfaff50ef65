// The real main dialog with two additions for tests: a message that runs a
// function on the dialog's own thread, where the drive list's operations run,
// and a log of the records whose items the list deleted. Its drive list
// operations and its shell registration are in view of the tests.
#pragma once

#include <functional>
#include <vector>

#include "OrvaneDlg.h"

class CTestableDlg : public COrvaneDlg {
public:
    using COrvaneDlg::AddDriveItem;
    using COrvaneDlg::DispatchShellEvent;
    using COrvaneDlg::FindDriveItem;
    using COrvaneDlg::m_shellNotify;
    using COrvaneDlg::UpdateDriveItem;

    // The records whose items the list reported deleted, in order.
    std::vector<LPARAM> m_deletedRecords;

    // Runs fn on the dialog's thread and waits for it.
    static void RunOnDialogThread(HWND hDlg, const std::function<void()>& fn);

protected:
    DECLARE_MESSAGE_MAP()
    LRESULT OnRunFunction(WPARAM wParam, LPARAM lParam);
    // Notes the record, then releases it as the dialog does.
    void OnDeleteItemLogged(NMHDR* pNMHDR, LRESULT* pResult);
};
