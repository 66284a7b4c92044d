#include "support/GdiObjects.h"

#include <windows.h>

namespace test {

int CountGdiObjects() {
    ::GdiFlush();
    int count = 0;
    for (UINT_PTR value = 0x10; value <= 0xFFFF; ++value) {
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(value)) != 0) ++count;
    }
    return count;
}

}  // namespace test
