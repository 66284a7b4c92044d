#include "cli/OmbrelCommand.h"

#include "cli/CommandLine.h"
#include "cli/StatusFields.h"
#include "storage/StorageChange.h"
#include "storage/StorageChangeLock.h"
#include "storage/StorageCoverage.h"
#include "storage/StorageEvent.h"
#include "storage/StorageState.h"

namespace {

using Command = OmbrelRequest::Command;
using Expect = OmbrelRequest::Expect;
using Outcome = StorageChangeResult::Outcome;

const wchar_t* ScopeText(StorageScope scope) {
    return scope == StorageScope::All ? L"all" : L"usb";
}

StorageAction ActionOf(Command command) {
    switch (command) {
        case Command::Disable:
            return StorageAction::Disable;
        case Command::ReadOnly:
            return StorageAction::ReadOnly;
        default:
            return StorageAction::Enable;
    }
}

std::wstring LastPart(const std::wstring& key) { return key.substr(key.rfind(L'\\') + 1); }

// The status's name for a changed value.
std::wstring ChangeToken(const ValueChange& change) {
    if (change.key == kUsbStorKey) return L"usbstor";
    if (change.key == kUasKey) return L"uaspstor";
    if (change.name == kDenyAllValue) return L"deny-all";
    return LastPart(change.key) == kRemovableDiskClass ? L"removable-write" : L"portable-write";
}

std::vector<std::wstring> Tokens(const std::vector<ValueChange>& changes) {
    std::vector<std::wstring> tokens;
    for (const ValueChange& c : changes) {
        const std::wstring token = ChangeToken(c);
        bool known = false;
        for (const std::wstring& t : tokens) known = known || t == token;
        if (!known) tokens.push_back(token);
    }
    return tokens;
}

// One line, or one JSON object that also gives the exit code; the exit code back.
int Emit(std::vector<StatusField> fields, int exitCode, const OmbrelRequest& request,
         const CoverageState& state, OmbrelContext& context) {
    for (StatusField& field : DescribeCoverage(state)) fields.push_back(std::move(field));
    if (request.json) {
        fields.push_back(NumberField(L"exit", exitCode));
        context.out.Write(JsonLine(fields));
    } else {
        context.out.Write(PlainLine(fields));
    }
    return exitCode;
}

// What differs from what is expected, by the status's names.
std::vector<std::wstring> Differences(const OmbrelRequest& request, const CoverageState& state,
                                      RegistryAccess& registry) {
    std::vector<std::wstring> differs;
    const bool off = request.expect == Expect::Off;
    const DriverState wanted = off ? DriverState::Off : DriverState::On;
    if (state.Usb() != wanted) differs.push_back(L"usb");
    if (state.uasInstalled && state.Uas() != wanted) differs.push_back(L"uas");
    if (request.expect == Expect::Off) {
        if (request.scope == StorageScope::All && !state.DeniesAll())
            differs.push_back(L"deny-all");
    } else if (request.expect == Expect::On) {
        // Nothing of ours may deny; an administrator's own policy is theirs to keep.
        for (const std::wstring& denial : OurDenials(registry)) differs.push_back(denial);
    } else {
        if (!state.Has(L"removable-write")) differs.push_back(L"removable-write");
        for (const wchar_t* token : {L"deny-all", L"removable-read"}) {
            if (state.Has(token)) differs.push_back(token);
        }
    }
    return differs;
}

int Check(const OmbrelRequest& request, OmbrelContext& context) {
    const CoverageState state = ReadCoverage(context.registry, context.volumes);
    const std::vector<std::wstring> differs = Differences(request, state, context.registry);
    const wchar_t* expected[] = {L"on", L"off", L"read-only"};
    return Emit({TextField(L"result", differs.empty() ? L"compliant" : L"not-compliant"),
                 TextField(L"expect", expected[static_cast<int>(request.expect)]),
                 TextField(L"scope", ScopeText(request.scope)), ListField(L"differs", differs)},
                differs.empty() ? kExitDone : kExitNotCompliant, request, state, context);
}

struct SwitchReport {
    std::wstring result;   // the output's result word
    std::wstring message;  // for standard error; empty when all went well
    int exitCode;
    StorageOutcome outcome;
};

SwitchReport Judge(const StorageChangeResult& change, const std::wstring& action) {
    const std::wstring key = L"HKLM\\" + change.key;
    const std::wstring error = std::to_wstring(change.error);
    switch (change.outcome) {
        case Outcome::Done:
            return {L"done", L"", kExitDone, StorageOutcome::Done};
        case Outcome::AccessDenied:
            return {L"access-denied",
                    L"ombrel: access denied to " + key +
                        L": run it as an administrator or as SYSTEM. Nothing was changed.\n",
                    kExitAccessDenied, StorageOutcome::AccessDenied};
        case Outcome::Failed:
            return {L"failed",
                    L"ombrel: " + action + L" failed at " + key + L" (error " + error +
                        L"). Nothing was left changed.\n",
                    kExitFailed, StorageOutcome::Failed};
        case Outcome::ReadDenied:
            return {L"refused",
                    L"ombrel: an administrator's removable-storage policy denies reading "
                    L"(Deny_All or the removable disks' Deny_Read); read-only cannot make USB "
                    L"storage readable. Nothing was changed.\n",
                    kExitFailed, StorageOutcome::Failed};
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
            kExitFailed, StorageOutcome::RollbackIncomplete};
}

StorageChangeResult Change(Command command, StorageScope scope, RegistryAccess& registry,
                           ChangeMode mode) {
    switch (command) {
        case Command::Disable:
            return DisableStorage(registry, scope, mode);
        case Command::ReadOnly:
            return ReadOnlyStorage(registry, mode);
        default:
            return EnableStorage(registry, mode);
    }
}

int Switch(const OmbrelRequest& request, OmbrelContext& context) {
    const StorageAction storageAction = ActionOf(request.command);
    const std::wstring action = StorageActionText(storageAction);
    const StorageScope scope =
        request.command == Command::Disable ? request.scope : StorageScope::Usb;

    StorageChangeResult change;
    SwitchReport report;
    if (request.command == Command::Disable && SystemRunsFromUsb(context.volumes)) {
        report = {L"refused",
                  L"ombrel: Windows runs from a USB disk; turning USB storage off would leave it "
                  L"unable to start. Nothing was changed.\n",
                  kExitFailed, StorageOutcome::WindowsOnUsb};
    } else {
        // The rights first, so that a standard user is told at once; then one change at a
        // time; then the change, planned again on what the registry holds by then.
        change = Change(request.command, scope, context.registry, ChangeMode::CheckRights);
        if (change.outcome == Outcome::Done) {
            const StorageChangeLock lock(context.lockWaitMs);
            if (lock.Result() == StorageChangeLock::Outcome::Ignored) {
                context.log(L"ombrel " + action + L" lock=ignored " + StorageChangeLock::kName +
                            L" was made by someone else");
            }
            if (lock.MayChange()) {
                change = Change(request.command, scope, context.registry, ChangeMode::Apply);
            } else {
                change = StorageChangeResult();
                report = {L"busy",
                          L"ombrel: another change of USB storage is in progress; nothing was "
                          L"changed. Try again later.\n",
                          kExitBusy, StorageOutcome::Busy};
            }
        }
        if (report.result.empty()) report = Judge(change, action);
    }

    const CoverageState state = ReadCoverage(context.registry, context.volumes);
    // A re-plug waits only after storage was turned off or made read-only by this run.
    if (request.command != Command::Enable && report.exitCode == kExitDone &&
        !change.changes.empty() && state.replugPending) {
        report.outcome = StorageOutcome::DoneReplugPending;
        if (request.pendingExit) report.exitCode = kExitRestartNeeded;
    }
    std::vector<StatusField> fields = {TextField(L"result", report.result),
                                       TextField(L"action", action),
                                       TextField(L"scope", ScopeText(scope))};
    if (report.exitCode == kExitDone || report.exitCode == kExitRestartNeeded) {
        fields.push_back(ListField(L"changed", Tokens(change.changes)));
    } else if (!change.key.empty()) {
        fields.push_back(TextField(L"key", L"HKLM\\" + change.key));
    }
    if (!change.leftChanged.empty()) {
        fields.push_back(ListField(L"left-changed", Tokens(change.leftChanged)));
    }
    Emit(fields, report.exitCode, request, state, context);
    if (!report.message.empty()) context.err.Write(report.message);
    if (request.command == Command::Enable && report.exitCode == kExitDone &&
        !state.policy.empty()) {
        context.err.Write(L"ombrel: the removable-storage policy still denies (" +
                          CommaList(state.policy) + L"); it was not set by ombrel.\n");
    }
    const std::wstring values = ChangesText(change.changes);
    context.log(L"ombrel " + action + L" scope=" + ScopeText(scope) + L" result=" +
                std::to_wstring(report.exitCode) + L" " + report.result +
                (values.empty() ? L"" : L" " + values));
    if (context.report) {
        context.report(StorageEvent(storageAction, report.outcome, ScopeText(scope), values));
    }
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
        case Command::Help:
            context.out.Write(kUsageText);
            return kExitDone;
        case Command::Status:
            return Emit({}, kExitDone, request, ReadCoverage(context.registry, context.volumes),
                        context);
        case Command::Check:
            return Check(request, context);
        default:
            return Switch(request, context);
    }
}
