// Activates the activation context of the module that holds the program's
// resources (its manifest asks for version 6 of the common controls) for the
// lifetime of the object. Without such a manifest nothing is activated.
#pragma once

#include <windows.h>

class CActivationContextScope {
public:
    CActivationContextScope();
    ~CActivationContextScope();
    CActivationContextScope(const CActivationContextScope&) = delete;
    CActivationContextScope& operator=(const CActivationContextScope&) = delete;

private:
    ULONG_PTR m_ulCookie = 0;
    bool m_bActive = false;
};
