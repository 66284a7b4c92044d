#pragma once
// The floor for start-up: the least a Win32 dialog program does before its first paint.
// Shared by the program and the benchmark that watches for its colour.

#include <windows.h>

namespace bench {

const COLORREF kMinimalDialogColour = RGB(32, 128, 208);
const wchar_t kMinimalDialogProgram[] = L"minimal_dialog.exe";

}  // namespace bench
