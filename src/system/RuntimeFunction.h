#pragma once
// Functions looked up by name at run time: entry points of a library loaded by path, and
// those of kernel32 that older systems lack. Looked up on every call: the answer never
// changes, and a lookup shares nothing between threads.

#include <windows.h>

// `name` in `module` as a `Function`, or null when the module has no such export.
template <typename Function>
Function FunctionOf(HMODULE module, const char* name) {
    FARPROC found = module != nullptr ? ::GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}

template <typename Function>
Function KernelFunction(const char* name) {
    return FunctionOf<Function>(::GetModuleHandleW(L"kernel32.dll"), name);
}
