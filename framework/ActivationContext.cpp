#include "ActivationContext.h"

#include "Resources.h"

namespace {
// Created once from manifest resource 1 of the resource module, kept for the process.
HANDLE ModuleActivationContext() {
    static const HANDLE s_hActCtx = [] {
        HMODULE hModule = AfxFindResourceHandle(MAKEINTRESOURCEW(1), RT_MANIFEST);
        if (!::FindResourceW(hModule, MAKEINTRESOURCEW(1), RT_MANIFEST)) return INVALID_HANDLE_VALUE;
        wchar_t szPath[MAX_PATH] = {};
        ::GetModuleFileNameW(hModule, szPath, MAX_PATH);
        ACTCTXW ctx = {};
        ctx.cbSize = sizeof(ctx);
        ctx.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
        ctx.lpSource = szPath;
        ctx.hModule = hModule;
        ctx.lpResourceName = MAKEINTRESOURCEW(1);
        return ::CreateActCtxW(&ctx);
    }();
    return s_hActCtx;
}
}  // namespace

CActivationContextScope::CActivationContextScope() {
    HANDLE hActCtx = ModuleActivationContext();
    if (hActCtx != INVALID_HANDLE_VALUE) m_bActive = ::ActivateActCtx(hActCtx, &m_ulCookie) != FALSE;
}

CActivationContextScope::~CActivationContextScope() {
    if (m_bActive) ::DeactivateActCtx(0, m_ulCookie);
}
