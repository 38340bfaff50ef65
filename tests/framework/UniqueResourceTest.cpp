// The owning types: each frees its resource once and then holds its kind's
// empty value.
#include <gtest/gtest.h>

#include <windows.h>

#include "ComPtr.h"
#include "UniqueResource.h"

namespace {

HANDLE NewEvent() { return ::CreateEventW(nullptr, TRUE, FALSE, nullptr); }

bool IsOpen(HANDLE h) {
    DWORD dwFlags = 0;
    return ::GetHandleInformation(h, &dwFlags) != FALSE;
}

// A handle is closed by Reset and never again: neither a second Reset nor the
// owner's end touches a handle that has since been given the same value.
TEST(UniqueResource, HandleIsClosedOnceAndBecomesInvalid) {
    HANDLE hLater = nullptr;
    {
        CFileHandle handle(NewEvent());
        const HANDLE hFirst = handle;
        ASSERT_TRUE(handle.IsValid());
        EXPECT_TRUE(handle.Reset());
        EXPECT_EQ(handle.Get(), INVALID_HANDLE_VALUE);
        EXPECT_FALSE(IsOpen(hFirst));
        hLater = NewEvent();
        EXPECT_TRUE(handle.Reset());
    }
    EXPECT_TRUE(IsOpen(hLater)) << "a handle was closed twice";
    ::CloseHandle(hLater);
}

TEST(UniqueResource, MemoryIsFreedAndBecomesNull) {
    CVirtualMemory<BYTE> block(
        static_cast<BYTE*>(::VirtualAlloc(nullptr, 65536, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)));
    BYTE* pBlock = block;
    ASSERT_NE(pBlock, nullptr);
    EXPECT_TRUE(block.Reset());
    EXPECT_EQ(block.Get(), nullptr);
    MEMORY_BASIC_INFORMATION mbi = {};
    ASSERT_EQ(::VirtualQuery(pBlock, &mbi, sizeof(mbi)), sizeof(mbi));
    EXPECT_EQ(mbi.State, static_cast<DWORD>(MEM_FREE));
}

// Counts its releases; never freed, as it lives on the test's stack.
class CCounted : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(++m_nReleased); }

    int m_nReleased = 0;
};

TEST(UniqueResource, ComPointerIsReleasedOnceAndBecomesNull) {
    CCounted object;
    {
        CComPtr<IUnknown> p;
        *p.Receive() = &object;
        p.Reset();
        EXPECT_EQ(object.m_nReleased, 1);
        EXPECT_EQ(p.Get(), nullptr);
        p.Reset();
        *p.Receive() = &object;
        EXPECT_EQ(object.m_nReleased, 1);
    }
    EXPECT_EQ(object.m_nReleased, 2);
}

}  // namespace
