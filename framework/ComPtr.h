// CComPtr: owns one reference to a COM object. The reference is released once
// (on Reset, or when the owner goes), and the pointer is null from then on.
#pragma once

#include <unknwn.h>

template <class T>
class CComPtr {
public:
    CComPtr() = default;
    ~CComPtr() { Reset(); }
    CComPtr(const CComPtr&) = delete;
    CComPtr& operator=(const CComPtr&) = delete;

    T* Get() const { return m_p; }
    operator T*() const { return m_p; }
    T* operator->() const { return m_p; }

    // Releases the reference held, if any.
    void Reset() {
        T* p = m_p;
        m_p = nullptr;
        if (p) p->Release();
    }
    // Releases what is held and gives the place for a call that hands out a
    // new reference (an out parameter of type void** is cast from it).
    T** Receive() {
        Reset();
        return &m_p;
    }

private:
    T* m_p = nullptr;
};
