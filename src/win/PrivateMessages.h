#pragma once
// Every private window message of the program, each defined once.
//
// Ranges:
//   0x0400-0x07FF (WM_USER range): the fixed numbers other windows and tools already send
//                                  or watch; they never move.
//   0x2000-0x23FF (WM_USER + 0x1C00 + n): control notifications reflected to the control.
//   0x8000-0xBFFF (WM_APP range): messages only this program's own windows post to
//                                  themselves.

#include <windows.h>

// A switch worker to the panel, then the panel to the progress window: the command has
// ended, close the progress window.
const UINT WM_CLOSE_PROGRESS = 0x5F5;
// A switch worker to the panel: the outcome, a SwitchResult in wParam; lParam
// kUsbVolumeMounted or 0.
const UINT WM_SWITCH_RESULT = 0x5F6;
// A prompt's inner window asks its outer one to end with it: wParam IDOK or IDCANCEL.
const UINT WM_PROMPT_RESULT = 0x615;
// The mouse hook to the panel, for each left-button press on the desktop; wParam
// WM_LBUTTONDOWN, lParam the hook's event pointer (valid only during the hook call).
const UINT WM_HOOK_LBUTTONDOWN = 0x7E8;

// WM_DRAWITEM as a dialog reflects it to the owner-drawn control itself.
const UINT OCM_DRAWITEM_REFLECTED = WM_USER + 0x1C00 + WM_DRAWITEM;

// The agreement thread's answer, posted to the panel: wParam the click it answers, lParam
// the AgreementState.
const UINT WM_AGREEMENT_STATE = WM_APP + 0x21;
// The update query's answer, posted to the panel: wParam the library's result.
const UINT WM_UPDATE_ANSWER = WM_APP + 0x22;
// Posted by a pair's outer window to itself once shown: bring the inner window up.
const UINT WM_RAISE_INNER = WM_APP + 0x51;
