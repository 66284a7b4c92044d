#include "storage/StorageEvent.h"

#include "system/ProcessFolders.h"

const wchar_t* StorageActionText(StorageAction action) {
    switch (action) {
        case StorageAction::Disable:
            return L"disable";
        case StorageAction::ReadOnly:
            return L"read-only";
        case StorageAction::Enable:
            break;
    }
    return L"enable";
}

namespace {

DWORD EventId(StorageAction action, StorageOutcome outcome) {
    switch (outcome) {
        case StorageOutcome::Done:
            return action == StorageAction::Disable  ? 1000
                   : action == StorageAction::Enable ? 1001
                                                     : 1002;
        case StorageOutcome::DoneReplugPending:
            return 1003;
        case StorageOutcome::AccessDenied:
            return 2000;
        case StorageOutcome::WindowsOnUsb:
            return 2001;
        case StorageOutcome::Failed:
            return 2002;
        case StorageOutcome::RollbackIncomplete:
            return 2003;
        case StorageOutcome::Busy:
            break;
    }
    return 2004;
}

WORD EventType(StorageOutcome outcome) {
    switch (outcome) {
        case StorageOutcome::Done:
        case StorageOutcome::DoneReplugPending:
            return EVENTLOG_INFORMATION_TYPE;
        case StorageOutcome::AccessDenied:
        case StorageOutcome::Busy:
            return EVENTLOG_WARNING_TYPE;
        default:
            return EVENTLOG_ERROR_TYPE;
    }
}

}  // namespace

LogEvent StorageEvent(StorageAction action, StorageOutcome outcome, const std::wstring& scope,
                      const std::wstring& values) {
    return {
        EventId(action, outcome),
        EventType(outcome),
        {ProgramFileName(), StorageActionText(action), scope, values.empty() ? L"none" : values}};
}

std::wstring ValueText(const RegistryValue& value) {
    DWORD number = 0;
    if (value.AsDword(&number)) return std::to_wstring(number);
    if (!value.exists) return L"missing";
    return L"type" + std::to_wstring(value.type);
}

std::wstring ChangesText(const std::vector<ValueChange>& changes) {
    std::wstring text;
    for (const ValueChange& c : changes) {
        text += (text.empty() ? L"" : L" ") + c.key.substr(c.key.rfind(L'\\') + 1) + L"\\" +
                c.name + L"=" + ValueText(c.before) + L"->" + ValueText(c.after);
    }
    return text;
}
