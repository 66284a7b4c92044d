#pragma once
// The Application log's event for one change of USB storage, by the tool or by ombrel.exe:
// one event id per outcome (their texts are in res/OmbrelEvents.mc).

#include <string>
#include <vector>

#include "system/EventLog.h"
#include "system/RegistryTransaction.h"

enum class StorageAction { Disable, ReadOnly, Enable };
// "disable", "read-only", "enable".
const wchar_t* StorageActionText(StorageAction action);

enum class StorageOutcome {
    Done,                // 1000 disabled, 1001 enabled, 1002 read-only
    DoneReplugPending,   // 1003: a USB drive plugged in now keeps its rights
    AccessDenied,        // 2000
    WindowsOnUsb,        // 2001
    Failed,              // 2002: refused or rolled back, nothing left changed
    RollbackIncomplete,  // 2003
    Busy,                // 2004: another change in progress
};

// %1 the program's file name, %2 the action, %3 the scope, %4 `values` ("none" when empty).
LogEvent StorageEvent(StorageAction action, StorageOutcome outcome, const std::wstring& scope,
                      const std::wstring& values);

// "USBSTOR\Start=3->4 UASPStor\Start=3->4": each value's key's last part, name, old and new
// data, as the log lines and the events give them; empty for none.
std::wstring ChangesText(const std::vector<ValueChange>& changes);

// A registry value in a log or output word: its number, "missing" or "type<N>".
std::wstring ValueText(const RegistryValue& value);
