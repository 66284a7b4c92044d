#include "system/Wow64Probe.h"

#include <windows.h>

#include "system/RuntimeFunction.h"

int IsRunningOnWow64() {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto isWow64Process = KernelFunction<IsWow64ProcessFn>("IsWow64Process");
    BOOL wow64 = FALSE;
    const bool answered =
        isWow64Process != nullptr && isWow64Process(::GetCurrentProcess(), &wow64);
    return answered && wow64 ? 1 : 0;
}
