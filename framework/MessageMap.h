// Message maps: each class that handles window messages lists them in a table
// of entries (message, notification code, control id, handler); a message the
// class does not list goes on to the table of its base class.
//
//   BEGIN_MESSAGE_MAP(CMyDlg, CDialog)
//       ON_WM_PAINT()
//       ON_BN_CLICKED(IDC_GO, &CMyDlg::OnGo)
//   END_MESSAGE_MAP()
//
// Every entry carries a small function that calls the member handler with the
// arguments that its message defines, so the tables stay type-checked.
#pragma once

#include <windows.h>

class CCmdTarget;

// Calls the handler of one entry on the target object and gives the message's result.
typedef LRESULT (*AFX_PMSGHANDLER)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;                    // window message; 0 in the entry that ends the table
    UINT nCode;                       // notification code (WM_COMMAND, WM_NOTIFY)
    UINT nID;                         // control or command id (WM_COMMAND, WM_NOTIFY)
    const UINT* pnRegisteredMessage;  // registered message: its id, read when a message arrives
    AFX_PMSGHANDLER pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();  // null for the root of the chain
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// Marks entries of registered messages (the id itself is only known at run time).
#define AFX_REGISTERED_MESSAGE 0xC000

#define DECLARE_MESSAGE_MAP()                     \
protected:                                        \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                        \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                 \
        using ThisClass [[maybe_unused]] = theClass;                                  \
        using TheBaseClass = baseClass;                                               \
        static const AFX_MSGMAP_ENTRY s_entries[] = {
#define END_MESSAGE_MAP()                                                          \
    { 0, 0, 0, nullptr, nullptr }                                                  \
    }                                                                              \
    ;                                                                              \
    static const AFX_MSGMAP s_map = {&TheBaseClass::GetThisMessageMap, s_entries}; \
    return &s_map;                                                                 \
    }

// WM_COMMAND from a control or a menu: void handler().
#define ON_CONTROL(code, id, memberFxn)                                   \
    {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), nullptr, \
     [](CCmdTarget* p, WPARAM, LPARAM) -> LRESULT {                       \
         (static_cast<ThisClass*>(p)->*(memberFxn))();                    \
         return 0;                                                        \
     }},
#define ON_COMMAND(id, memberFxn) ON_CONTROL(0, id, memberFxn)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)

// WM_NOTIFY from a control: void handler(NMHDR*, LRESULT* pResult).
#define ON_NOTIFY(code, id, memberFxn)                                                          \
    {WM_NOTIFY, static_cast<UINT>(code), static_cast<UINT>(id), nullptr,                        \
     [](CCmdTarget* p, WPARAM, LPARAM lParam) -> LRESULT {                                      \
         LRESULT result = 0;                                                                    \
         (static_cast<ThisClass*>(p)->*(memberFxn))(reinterpret_cast<NMHDR*>(lParam), &result); \
         return result;                                                                         \
     }},

// A registered window message: LRESULT handler(WPARAM, LPARAM).
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn)                                                           \
    {AFX_REGISTERED_MESSAGE, 0, 0, &(nMessageVariable), [](CCmdTarget* p, WPARAM wParam, LPARAM lParam) -> LRESULT { \
         return (static_cast<ThisClass*>(p)->*(memberFxn))(wParam, lParam);                                          \
     }},

// void OnSysCommand(UINT nID, LPARAM lParam)
#define ON_WM_SYSCOMMAND()                                                                      \
    {WM_SYSCOMMAND, 0, 0, nullptr, [](CCmdTarget* p, WPARAM wParam, LPARAM lParam) -> LRESULT { \
         static_cast<ThisClass*>(p)->OnSysCommand(static_cast<UINT>(wParam), lParam);           \
         return 0;                                                                              \
     }},

// void OnPaint()
#define ON_WM_PAINT()                                                        \
    {WM_PAINT, 0, 0, nullptr, [](CCmdTarget* p, WPARAM, LPARAM) -> LRESULT { \
         static_cast<ThisClass*>(p)->OnPaint();                              \
         return 0;                                                           \
     }},

// HCURSOR OnQueryDragIcon()
#define ON_WM_QUERYDRAGICON()                                                             \
    {WM_QUERYDRAGICON, 0, 0, nullptr, [](CCmdTarget* p, WPARAM, LPARAM) -> LRESULT {      \
         return reinterpret_cast<LRESULT>(static_cast<ThisClass*>(p)->OnQueryDragIcon()); \
     }},

// BOOL OnQueryEndSession(): FALSE keeps the session from ending.
#define ON_WM_QUERYENDSESSION()         \
    {WM_QUERYENDSESSION, 0, 0, nullptr, \
     [](CCmdTarget* p, WPARAM, LPARAM) -> LRESULT { return static_cast<ThisClass*>(p)->OnQueryEndSession(); }},
