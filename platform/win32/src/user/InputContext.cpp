// Input-method contexts: one per window, made on first use, keeping the
// composition and candidate forms an application sets.
#include "user/UserState.h"

#include <imm.h>

using namespace win32::user;

namespace {

struct InputContext {
    HWND window = nullptr;
    COMPOSITIONFORM composition {};
    CANDIDATEFORM candidates[4] {};
};

std::map<UINT_PTR, InputContext>& Contexts()
{
    static auto* contexts = new std::map<UINT_PTR, InputContext>;
    return *contexts;
}

InputContext* ContextLocked(HIMC himc)
{
    auto it = Contexts().find(reinterpret_cast<UINT_PTR>(himc));
    return it == Contexts().end() ? nullptr : &it->second;
}

} // namespace

HIMC WINAPI ImmGetContext(HWND hWnd)
{
    Guard guard(UserLock());
    if (!WindowLocked(hWnd))
        return nullptr;
    // The context lives as long as the process; its value follows the window.
    UINT_PTR value = reinterpret_cast<UINT_PTR>(hWnd) | 1;
    auto& context = Contexts()[value];
    context.window = hWnd;
    return reinterpret_cast<HIMC>(value);
}

BOOL WINAPI ImmReleaseContext(HWND, HIMC hIMC)
{
    Guard guard(UserLock());
    return ContextLocked(hIMC) != nullptr;
}

BOOL WINAPI ImmSetCompositionWindow(HIMC hIMC, LPCOMPOSITIONFORM lpCompForm)
{
    Guard guard(UserLock());
    InputContext* context = ContextLocked(hIMC);
    if (!context || !lpCompForm)
        return FALSE;
    context->composition = *lpCompForm;
    return TRUE;
}

BOOL WINAPI ImmGetCompositionWindow(HIMC hIMC, LPCOMPOSITIONFORM lpCompForm)
{
    Guard guard(UserLock());
    InputContext* context = ContextLocked(hIMC);
    if (!context || !lpCompForm)
        return FALSE;
    *lpCompForm = context->composition;
    return TRUE;
}

BOOL WINAPI ImmSetCandidateWindow(HIMC hIMC, LPCANDIDATEFORM lpCandidate)
{
    Guard guard(UserLock());
    InputContext* context = ContextLocked(hIMC);
    if (!context || !lpCandidate || lpCandidate->dwIndex >= 4)
        return FALSE;
    context->candidates[lpCandidate->dwIndex] = *lpCandidate;
    return TRUE;
}

BOOL WINAPI ImmGetCandidateWindow(HIMC hIMC, DWORD dwIndex, LPCANDIDATEFORM lpCandidate)
{
    Guard guard(UserLock());
    InputContext* context = ContextLocked(hIMC);
    if (!context || !lpCandidate || dwIndex >= 4)
        return FALSE;
    *lpCandidate = context->candidates[dwIndex];
    return TRUE;
}
