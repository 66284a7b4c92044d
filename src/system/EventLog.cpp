#include "system/EventLog.h"

void ReportToEventLog(const LogEvent& event) {
    HANDLE source = ::RegisterEventSourceW(nullptr, L"Ombrel");
    if (source == nullptr) return;
    std::vector<LPCWSTR> strings;
    for (const std::wstring& text : event.strings) strings.push_back(text.c_str());
    ::ReportEventW(source, event.type, 0, event.id, nullptr, static_cast<WORD>(strings.size()), 0,
                   strings.data(), nullptr);
    ::DeregisterEventSource(source);
}
