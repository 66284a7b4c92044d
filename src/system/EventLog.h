#pragma once
// Events of the Application log's source "Ombrel": what administrators collect centrally
// (event forwarding, a SIEM), where the text logs stay on each disk.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct LogEvent {
    DWORD id;
    WORD type;  // EVENTLOG_INFORMATION_TYPE, EVENTLOG_WARNING_TYPE or EVENTLOG_ERROR_TYPE
    std::vector<std::wstring> strings;  // the message's insertion strings, %1 first
};

// Where a program's events go: the log itself, or a test's record of them.
using EventWriter = std::function<void(const LogEvent&)>;

// Reports the event whether or not the source is registered (Event Viewer then shows the
// strings without the message's text). A log that cannot be written loses the event: the
// text logs keep the line.
void ReportToEventLog(const LogEvent& event);
