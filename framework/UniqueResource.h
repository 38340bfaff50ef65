// Owning types for the system's resources, one per kind: each holds one
// resource, frees it once (on Reset, or when the owner goes) and holds the
// kind's empty value from then on. A resource handed on to another owner is
// taken out with Detach.
//
//   CFileHandle      a kernel object handle; empty: INVALID_HANDLE_VALUE
//   CKernelHandle    a kernel object handle whose call answers null on failure
//                    (a thread's, from CreateThread or CreateRemoteThread); empty: null
//   CIconHandle      an icon the caller destroys (DestroyIcon); empty: null
//   CLocalMemory<T>  LocalAlloc memory; empty: null
//   CVirtualMemory<T> VirtualAlloc memory; empty: null
//   CItemIdList      a shell item identifier list (CoTaskMemFree); empty: null
#pragma once

#include <windows.h>
#include <objbase.h>
#include <shtypes.h>

template <class Traits>
class CUniqueResource {
public:
    using Type = typename Traits::Type;

    CUniqueResource() = default;
    explicit CUniqueResource(Type value) : m_value(value) {}
    ~CUniqueResource() { Reset(); }
    CUniqueResource(const CUniqueResource&) = delete;
    CUniqueResource& operator=(const CUniqueResource&) = delete;

    Type Get() const { return m_value; }
    operator Type() const { return m_value; }
    bool IsValid() const { return m_value != Traits::Empty(); }

    // Frees the resource held, if any, and takes value in its place. The
    // answer of the freeing call (TRUE when there was nothing to free).
    BOOL Reset(Type value = Traits::Empty()) {
        const Type old = m_value;
        m_value = value;
        return old == Traits::Empty() ? TRUE : Traits::Free(old);
    }
    // Gives the resource up without freeing it.
    Type Detach() {
        const Type value = m_value;
        m_value = Traits::Empty();
        return value;
    }
    // Frees what is held and gives the place for a call that hands out a new one.
    Type* Receive() {
        Reset();
        return &m_value;
    }

private:
    Type m_value = Traits::Empty();
};

struct FileHandleTraits {
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static BOOL Free(Type h) { return ::CloseHandle(h); }
};

struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Empty() { return nullptr; }
    static BOOL Free(Type h) { return ::CloseHandle(h); }
};

struct IconTraits {
    using Type = HICON;
    static Type Empty() { return nullptr; }
    static BOOL Free(Type h) { return ::DestroyIcon(h); }
};

template <class T>
struct LocalMemoryTraits {
    using Type = T*;
    static Type Empty() { return nullptr; }
    static BOOL Free(Type p) { return ::LocalFree(p) == nullptr; }
};

template <class T>
struct VirtualMemoryTraits {
    using Type = T*;
    static Type Empty() { return nullptr; }
    static BOOL Free(Type p) { return ::VirtualFree(p, 0, MEM_RELEASE); }
};

struct ItemIdListTraits {
    using Type = PIDLIST_ABSOLUTE;
    static Type Empty() { return nullptr; }
    static BOOL Free(Type p) {
        ::CoTaskMemFree(p);
        return TRUE;
    }
};

using CFileHandle = CUniqueResource<FileHandleTraits>;
using CKernelHandle = CUniqueResource<KernelHandleTraits>;
using CIconHandle = CUniqueResource<IconTraits>;
template <class T>
using CLocalMemory = CUniqueResource<LocalMemoryTraits<T>>;
template <class T>
using CVirtualMemory = CUniqueResource<VirtualMemoryTraits<T>>;
using CItemIdList = CUniqueResource<ItemIdListTraits>;
