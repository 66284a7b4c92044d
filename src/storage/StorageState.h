#pragma once
// The machine-wide USB storage switch: the start type of the USB storage driver service.

#include <windows.h>

const wchar_t kUsbStorKey[] = L"SYSTEM\\CurrentControlSet\\Services\\USBSTOR";
const wchar_t kUsbStorStartValue[] = L"Start";
const DWORD kStartEnabled = 3;   // the driver loads on demand
const DWORD kStartDisabled = 4;  // the driver never loads

// Whether USB storage counts as on: 0 to 2 load the driver earlier than on demand, but
// load it all the same. Only 4, or a value no system knows, counts as off.
inline bool IsUsbStorageOn(DWORD start) { return start <= kStartEnabled; }

// Reads "Start" from the machine's registry view that the reg command writes.
// True and the value in *start, or false when the key or value is missing or too long.
bool ReadUsbStorStart(DWORD* start);
