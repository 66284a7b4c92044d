#include "cli/OmbrelCommand.h"

#include "cli/CommandLine.h"
#include "cli/StatusFields.h"
#include "storage/StorageCoverage.h"
#include "storage/StorageState.h"
#include "storage/WideScope.h"

namespace {

const wchar_t* ScopeText(StorageScope scope) {
    return scope == StorageScope::All ? L"all" : L"usb";
}

std::wstring LastPart(const std::wstring& key) { return key.substr(key.rfind(L'\\') + 1); }

std::wstring ChangeToken(const ValueChange& change) {
    if (change.key == kUsbStorKey) return L"usbstor";
    if (change.key == kUasKey) return L"uaspstor";
    std::wstring token;
    for (wchar_t c : change.name) token += c == L'_' ? L'-' : static_cast<wchar_t>(towlower(c));
    return token;
}

std::vector<StatusField> WithStatus(std::vector<StatusField> fields, const CoverageState& state) {
    for (StatusField& field : DescribeCoverage(state)) fields.push_back(std::move(field));
    return fields;
}

int Check(const OmbrelRequest& request, OmbrelContext& context) {
    const CoverageState state = ReadCoverage(context.registry, context.volumes);
    const DriverState wanted = request.expectOn ? DriverState::On : DriverState::Off;
    std::vector<std::wstring> differs;
    if (state.Usb() != wanted) differs.push_back(L"usb");
    if (request.scope == StorageScope::All) {
        if (state.uasInstalled && state.Uas() != wanted) differs.push_back(L"uas");
        if (state.DeniesAll() == request.expectOn) differs.push_back(L"deny-all");
    }
    const std::vector<StatusField> fields =
        WithStatus({TextField(L"result", differs.empty() ? L"compliant" : L"not-compliant"),
                    TextField(L"expect", request.expectOn ? L"on" : L"off"),
                    TextField(L"scope", ScopeText(request.scope)),
                    TextField(L"differs", differs.empty() ? L"none" : CommaList(differs))},
                   state);
    context.out.Write(PlainLine(fields));
    return differs.empty() ? kExitDone : kExitNotCompliant;
}

struct SwitchReport {
    std::wstring result;   // the output's result word
    std::wstring message;  // for standard error; empty when all went well
    int exitCode;
};

SwitchReport Judge(const StorageChangeResult& change, const std::wstring& action) {
    using Outcome = StorageChangeResult::Outcome;
    const std::wstring key = L"HKLM\\" + change.key;
    const std::wstring error = std::to_wstring(change.error);
    switch (change.outcome) {
        case Outcome::Done:
            return {L"done", L"", kExitDone};
        case Outcome::AccessDenied:
            return {L"access-denied",
                    L"ombrel: access denied to " + key +
                        L": run it as an administrator or as SYSTEM. Nothing was changed.\n",
                    kExitAccessDenied};
        case Outcome::Failed:
            return {L"failed",
                    L"ombrel: " + action + L" failed at " + key + L" (error " + error +
                        L"). Nothing was left changed.\n",
                    kExitFailed};
        case Outcome::RollbackFailed:
            break;
    }
    std::vector<std::wstring> left;
    for (const ValueChange& c : change.leftChanged) {
        left.push_back(L"HKLM\\" + c.key + L"\\" + c.name + L"=" + ValueText(c.after));
    }
    return {L"rollback-incomplete",
            L"ombrel: " + action + L" failed at " + key + L" (error " + error +
                L") and these values could not be put back: " + CommaList(left) +
                L". Run 'ombrel status'.\n",
            kExitFailed};
}

int Switch(const OmbrelRequest& request, OmbrelContext& context) {
    const bool disable = request.command == OmbrelRequest::Command::Disable;
    const std::wstring action = disable ? L"disable" : L"enable";
    StorageScope scope = request.scope;
    if (!disable)
        scope = context.registry.KeyExists(kSavedKey) ? StorageScope::All : StorageScope::Usb;

    StorageChangeResult change;
    SwitchReport report;
    if (disable && SystemRunsFromUsb(context.volumes)) {
        report = {L"refused",
                  L"ombrel: Windows runs from a USB disk; turning USB storage off would leave it "
                  L"unable to start. Nothing was changed.\n",
                  kExitFailed};
    } else {
        change =
            disable ? DisableStorage(context.registry, scope) : EnableStorage(context.registry);
        report = Judge(change, action);
    }

    const CoverageState state = ReadCoverage(context.registry, context.volumes);
    std::vector<std::wstring> changed, left;
    std::wstring logValues;
    for (const ValueChange& c : change.leftChanged) left.push_back(ChangeToken(c));
    for (const ValueChange& c : change.changes) {
        changed.push_back(ChangeToken(c));
        logValues += L" " + LastPart(c.key) + L"\\" + c.name + L"=" + ValueText(c.before) + L"->" +
                     ValueText(c.after);
    }
    // Only a change that turned storage off waits for a re-plug: enable never asks for it.
    if (disable && report.exitCode == kExitDone && request.pendingExit && !change.changes.empty() &&
        state.replugPending) {
        report.exitCode = kExitRestartNeeded;
    }
    std::vector<StatusField> fields = {TextField(L"result", report.result),
                                       TextField(L"action", action),
                                       TextField(L"scope", ScopeText(scope))};
    if (report.exitCode == kExitDone || report.exitCode == kExitRestartNeeded) {
        fields.push_back(TextField(L"changed", changed.empty() ? L"none" : CommaList(changed)));
    } else if (!change.key.empty()) {
        fields.push_back(TextField(L"key", L"HKLM\\" + change.key));
    }
    if (!left.empty()) fields.push_back(TextField(L"left-changed", CommaList(left)));
    context.out.Write(PlainLine(WithStatus(fields, state)));
    if (!report.message.empty()) context.err.Write(report.message);
    if (!disable && report.exitCode == kExitDone && !state.policy.empty()) {
        context.err.Write(L"ombrel: the removable-storage policy still denies (" +
                          CommaList(state.policy) + L"); it was not set by ombrel.\n");
    }
    context.log(L"ombrel " + action + L" scope=" + ScopeText(scope) + L" result=" +
                std::to_wstring(report.exitCode) + L" " + report.result + logValues);
    return report.exitCode;
}

}  // namespace

int RunOmbrel(const std::vector<std::wstring>& words, OmbrelContext& context) {
    OmbrelRequest request;
    std::wstring error;
    if (!ParseCommandLine(words, &request, &error)) {
        context.err.Write(L"ombrel: " + error + L"\n" + kUsageText);
        return kExitBadArguments;
    }
    switch (request.command) {
        case OmbrelRequest::Command::Help:
            context.out.Write(kUsageText);
            return kExitDone;
        case OmbrelRequest::Command::Status: {
            const std::vector<StatusField> fields =
                DescribeCoverage(ReadCoverage(context.registry, context.volumes));
            context.out.Write(request.json ? JsonLine(fields) : PlainLine(fields));
            return kExitDone;
        }
        case OmbrelRequest::Command::Check:
            return Check(request, context);
        case OmbrelRequest::Command::Disable:
        case OmbrelRequest::Command::Enable:
            break;
    }
    return Switch(request, context);
}
