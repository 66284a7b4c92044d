#pragma once
// Whether this is a 32-bit process on 64-bit Windows: the command runner then turns file
// redirection off, and registry readers open the 64-bit view.

// 1 when this is a 32-bit process on 64-bit Windows, else 0 (also where the system has
// no IsWow64Process).
int IsRunningOnWow64();
