// The growth rule shared by the framework's arrays: the count is raised
// first, and when it reaches the capacity the capacity doubles (an empty
// array starts at 11), so the capacity always stays above the count.
#pragma once

#include <cstddef>

namespace SkinUI {

// Raises *count by one, reallocating *block (elementSize bytes an element)
// when needed. On failure the count is put back and false is returned.
bool GrowArrayBlock(void** block, size_t elementSize, int* count, int* capacity);

} // namespace SkinUI
