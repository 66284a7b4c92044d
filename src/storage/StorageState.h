#pragma once
// The machine-wide USB storage switch: the start type of the USB storage driver service.

#include <windows.h>

const wchar_t kUsbStorKey[] = L"SYSTEM\\CurrentControlSet\\Services\\USBSTOR";
const wchar_t kUsbStorStartValue[] = L"Start";
const DWORD kStartEnabled = 3;   // the driver loads on demand
const DWORD kStartDisabled = 4;  // the driver never loads

// Reads "Start" from the machine's registry view that the reg command writes.
// 1 and the value in *start, or 0 when the key or value is missing or too long.
int ReadUsbStorStart(DWORD* start);
