// Test helper of the Windows tests: whether a block belongs to the C library's heap and is in
// use, so that a test can see a record or an object freed (or leaked) without freeing it twice.
#pragma once

#include <malloc.h>

namespace lysora::testing {

inline bool IsAllocated(const void* block)
{
    _HEAPINFO info = {};
    while (_heapwalk(&info) == _HEAPOK)
        if (info._pentry == block)
            return info._useflag == _USEDENTRY;
    return false;
}

} // namespace lysora::testing
