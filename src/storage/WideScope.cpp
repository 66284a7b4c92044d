#include "storage/WideScope.h"

#include <iterator>

#include "storage/StorageCoverage.h"
#include "storage/StorageState.h"

namespace {

// Names of the saved copies, and of the list of values that did not exist.
const wchar_t kSavedUsbStor[] = L"USBSTOR";
const wchar_t kSavedUas[] = L"UASPStor";
const wchar_t kSavedAbsent[] = L"Absent";

struct SavedItem {
    const wchar_t* savedName;
    const wchar_t* key;
    const wchar_t* value;
    bool isDriver;  // a driver's Start: restored only where it meant "on"
    bool optional;  // saved only where its key exists, which is never created
};

const SavedItem kSavedItems[] = {
    {kSavedUsbStor, kUsbStorKey, kUsbStorStartValue, true, false},
    {kSavedUas, kUasKey, kUsbStorStartValue, true, true},
    {kDenyAllValue, kPolicyKey, kDenyAllValue, false, false},
};
const size_t kSavedCount = std::size(kSavedItems);

RegistryValue MultiString(const std::vector<std::wstring>& strings) {
    RegistryValue value;
    value.exists = true;
    value.type = REG_MULTI_SZ;
    std::wstring text;
    for (const std::wstring& s : strings) text += s + L'\0';
    text += L'\0';
    const BYTE* bytes = reinterpret_cast<const BYTE*>(text.data());
    value.data.assign(bytes, bytes + text.size() * sizeof(wchar_t));
    return value;
}

std::vector<std::wstring> Strings(const RegistryValue& value) {
    std::vector<std::wstring> strings;
    if (!value.exists || value.type != REG_MULTI_SZ) return strings;
    std::wstring text(reinterpret_cast<const wchar_t*>(value.data.data()),
                      value.data.size() / sizeof(wchar_t));
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find(L'\0', start);
        const std::wstring one = text.substr(start, end - start);
        if (!one.empty()) strings.push_back(one);
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    return strings;
}

bool Contains(const std::vector<std::wstring>& strings, const wchar_t* wanted) {
    for (const std::wstring& s : strings) {
        if (s == wanted) return true;
    }
    return false;
}

// The saved set: a copy of each value "all" touched, and the names of those that were absent.
struct SavedSet {
    RegistryValue copies[kSavedCount];
    std::vector<std::wstring> absent;
    bool exists = false;

    bool Holds(size_t i) const {
        return copies[i].exists || Contains(absent, kSavedItems[i].savedName);
    }

    explicit SavedSet(RegistryAccess& registry) {
        for (size_t i = 0; i < kSavedCount; ++i) {
            registry.Read(kSavedKey, kSavedItems[i].savedName, &copies[i]);
            exists = exists || copies[i].exists;
        }
        RegistryValue list;
        registry.Read(kSavedKey, kSavedAbsent, &list);
        absent = Strings(list);
        exists = exists || list.exists;
    }
};

// Saves each value not saved yet: a start-up script runs this at every boot, and the
// first run's values are the ones to keep; a UAS driver installed since is saved too.
void SaveWideScope(RegistryAccess& registry, const SavedSet& saved, RegistryTransaction& plan) {
    std::vector<std::wstring> absent = saved.absent;
    for (size_t i = 0; i < kSavedCount; ++i) {
        const SavedItem& item = kSavedItems[i];
        if (saved.Holds(i) || (item.optional && !registry.KeyExists(item.key))) continue;
        RegistryValue current;
        registry.Read(item.key, item.value, &current);
        if (current.exists) {
            plan.Set(kSavedKey, item.savedName, current, true);
        } else {
            absent.push_back(item.savedName);
        }
    }
    if (!absent.empty()) plan.Set(kSavedKey, kSavedAbsent, MultiString(absent), true);
}

void RestoreWideScope(RegistryAccess& registry, const SavedSet& saved, RegistryTransaction& plan) {
    for (size_t i = 0; i < kSavedCount; ++i) {
        const SavedItem& item = kSavedItems[i];
        const RegistryValue& copy = saved.copies[i];
        if (!saved.Holds(i)) continue;  // not touched by the wide-scope disable
        if (item.optional && !registry.KeyExists(item.key)) {
            // Removed since the disable: a driver's key is never created.
        } else if (item.isDriver) {
            // Only what turns the driver on is put back: enable must leave storage on.
            const bool meantOn = StateOfStart(copy) == DriverState::On;
            plan.Set(item.key, item.value, meantOn ? copy : RegistryValue::Dword(kStartEnabled));
        } else {
            plan.Set(item.key, item.value, copy);
            if (!copy.exists) plan.RemoveIfEmpty(item.key);
        }
        plan.Set(kSavedKey, item.savedName, RegistryValue(), true);
    }
    plan.Set(kSavedKey, kSavedAbsent, RegistryValue(), true);
    plan.RemoveIfEmpty(kSavedKey);
    plan.RemoveIfEmpty(kSavedParentKey);
}

StorageChangeResult Run(RegistryTransaction& plan) {
    StorageChangeResult result;
    result.changes = plan.Changes();
    result.error = plan.CheckAccess(&result.key);
    if (result.error != ERROR_SUCCESS) {
        result.outcome = result.error == ERROR_ACCESS_DENIED
                             ? StorageChangeResult::Outcome::AccessDenied
                             : StorageChangeResult::Outcome::Failed;
        return result;
    }
    switch (plan.Apply(&result.key, &result.error)) {
        case RegistryTransaction::Result::Applied:
            result.outcome = StorageChangeResult::Outcome::Done;
            break;
        case RegistryTransaction::Result::RolledBack:
            result.outcome = StorageChangeResult::Outcome::Failed;
            break;
        case RegistryTransaction::Result::RollbackFailed:
            result.outcome = StorageChangeResult::Outcome::RollbackFailed;
            result.leftChanged = plan.LeftChanged();
            break;
    }
    return result;
}

}  // namespace

StorageChangeResult DisableStorage(RegistryAccess& registry, StorageScope scope) {
    RegistryTransaction plan(registry);
    if (scope == StorageScope::All) SaveWideScope(registry, SavedSet(registry), plan);
    plan.Set(kUsbStorKey, kUsbStorStartValue, RegistryValue::Dword(kStartDisabled));
    if (scope == StorageScope::All) {
        if (registry.KeyExists(kUasKey)) {
            plan.Set(kUasKey, kUsbStorStartValue, RegistryValue::Dword(kStartDisabled));
        }
        plan.Set(kPolicyKey, kDenyAllValue, RegistryValue::Dword(1));
    }
    return Run(plan);
}

StorageChangeResult EnableStorage(RegistryAccess& registry) {
    RegistryTransaction plan(registry);
    const SavedSet saved(registry);
    if (saved.exists) RestoreWideScope(registry, saved, plan);
    if (!saved.Holds(0)) {
        plan.Set(kUsbStorKey, kUsbStorStartValue, RegistryValue::Dword(kStartEnabled));
    }
    return Run(plan);
}

StorageChangeResult RestoreSavedWideScope(RegistryAccess& registry) {
    if (!SavedSet(registry).exists) return StorageChangeResult();
    return EnableStorage(registry);
}
