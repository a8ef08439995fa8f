#include "SkinUI/core/src/ArrayGrowth.h"

#include <climits>
#include <cstdlib>

namespace SkinUI {

bool GrowArrayBlock(void** block, size_t elementSize, int* count, int* capacity)
{
    ++*count;
    if (*count < *capacity)
        return true;
    if (*capacity > INT_MAX / 2) {
        --*count;
        return false;
    }
    int grown = *capacity > 0 ? *capacity * 2 : 11;
    void* moved = realloc(*block, elementSize * static_cast<size_t>(grown));
    if (!moved) {
        --*count;
        return false;
    }
    *block = moved;
    *capacity = grown;
    return true;
}

} // namespace SkinUI
