#include <heapapi.h>
#include <winerror.h>
#include <errhandlingapi.h>

#include <cstdlib>
#include <cstring>

// Global and local blocks carry their size in a header in front of the
// caller's bytes, so GlobalSize can answer and GMEM_ZEROINIT can clear.
namespace {

struct alignas(16) BlockHeader {
    SIZE_T size;
};

void* AllocateBlock(SIZE_T bytes, bool zero)
{
    auto* header = static_cast<BlockHeader*>(zero ? std::calloc(1, sizeof(BlockHeader) + bytes)
                                                  : std::malloc(sizeof(BlockHeader) + bytes));
    if (!header) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    header->size = bytes;
    return header + 1;
}

void FreeBlock(void* block)
{
    if (block)
        std::free(static_cast<BlockHeader*>(block) - 1);
}

} // namespace

HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes)
{
    return AllocateBlock(dwBytes, uFlags & GMEM_ZEROINIT);
}

HGLOBAL WINAPI GlobalFree(HGLOBAL hMem)
{
    FreeBlock(hMem);
    return nullptr;
}

LPVOID WINAPI GlobalLock(HGLOBAL hMem)
{
    return hMem;
}

BOOL WINAPI GlobalUnlock(HGLOBAL)
{
    return FALSE; // The lock count is zero after the call, as for fixed memory.
}

SIZE_T WINAPI GlobalSize(HGLOBAL hMem)
{
    return hMem ? (static_cast<BlockHeader*>(hMem) - 1)->size : 0;
}

HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes)
{
    return AllocateBlock(uBytes, uFlags & LMEM_ZEROINIT);
}

HLOCAL WINAPI LocalFree(HLOCAL hMem)
{
    FreeBlock(hMem);
    return nullptr;
}

HANDLE WINAPI GetProcessHeap(void)
{
    static int heap;
    return &heap;
}

LPVOID WINAPI HeapAlloc(HANDLE, DWORD dwFlags, SIZE_T dwBytes)
{
    return AllocateBlock(dwBytes, dwFlags & HEAP_ZERO_MEMORY);
}

BOOL WINAPI HeapFree(HANDLE, DWORD, LPVOID lpMem)
{
    FreeBlock(lpMem);
    return TRUE;
}
