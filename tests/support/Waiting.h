#pragma once
// Waiting for a condition instead of sleeping a fixed time.

#include <windows.h>

namespace test {

// Asks `condition` until it holds or `timeoutMs` passes; the process under test works
// meanwhile. False on time-out.
template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (::GetTickCount64() >= deadline) return false;
        ::Sleep(20);
    }
    return true;
}

}  // namespace test
