// CCmdTarget: the root of every class that has a message map.
#pragma once

#include "MessageMap.h"
#include "Object.h"

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    ~CCmdTarget() override = default;

    virtual const AFX_MSGMAP* GetMessageMap() const;

    // The first entry of this object's map chain that handles the message, or null.
    // For WM_COMMAND nCode and nID are the notification code and the command id,
    // for WM_NOTIFY the code and the id of the control that sent it.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const;

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
};
