#include "CmdTarget.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY s_entries[] = {{0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP s_map = {nullptr, s_entries};
    return &s_map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const {
    const bool bRouted = nMessage == WM_COMMAND || nMessage == WM_NOTIFY;
    for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap; pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = pMap->lpEntries; e->pfn; ++e) {
            if (e->pnRegisteredMessage) {
                if (*e->pnRegisteredMessage != 0 && *e->pnRegisteredMessage == nMessage) return e;
            } else if (e->nMessage == nMessage && (!bRouted || (e->nCode == nCode && e->nID == nID))) {
                return e;
            }
        }
    }
    return nullptr;
}
