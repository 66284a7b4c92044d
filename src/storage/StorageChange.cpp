#include "storage/StorageChange.h"

#include <algorithm>

#include "storage/StorageCoverage.h"
#include "storage/StorageState.h"

namespace {

// The list of saved names whose value did not exist before its first change.
const wchar_t kSavedAbsent[] = L"Absent";

struct Item {
    std::wstring savedName;
    std::wstring key;
    std::wstring value;
    bool isDriver;  // a driver's Start: put back only where it meant "on"
    bool optional;  // changed only where its key exists, which is never created
};

enum ItemIndex : size_t { kUsbStor, kUas, kDenyAll, kFirstDenyWrite };

const RegistryValue kOn = RegistryValue::Dword(kStartEnabled);
const RegistryValue kOff = RegistryValue::Dword(kStartDisabled);

std::wstring ClassKey(const wchar_t* deviceClass) {
    return std::wstring(kPolicyKey) + L"\\" + deviceClass;
}

// Every value a change may touch, with the name its saved copy goes by.
const std::vector<Item>& Items() {
    static const std::vector<Item> items = {
        {L"USBSTOR", kUsbStorKey, kUsbStorStartValue, true, false},
        {L"UASPStor", kUasKey, kUsbStorStartValue, true, true},
        {kDenyAllValue, kPolicyKey, kDenyAllValue, false, false},
        {std::wstring(L"Deny_Write.") + kRemovableDiskClass, ClassKey(kRemovableDiskClass),
         kDenyWriteValue, false, false},
        {std::wstring(L"Deny_Write.") + kPortableClasses[0], ClassKey(kPortableClasses[0]),
         kDenyWriteValue, false, false},
        {std::wstring(L"Deny_Write.") + kPortableClasses[1], ClassKey(kPortableClasses[1]),
         kDenyWriteValue, false, false},
    };
    return items;
}

// The list of absent values as written: deleted when it names none.
RegistryValue AbsentList(const std::vector<std::wstring>& strings) {
    RegistryValue value;
    if (strings.empty()) return value;
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

bool Contains(const std::vector<std::wstring>& strings, const std::wstring& wanted) {
    for (const std::wstring& s : strings) {
        if (s == wanted) return true;
    }
    return false;
}

std::vector<std::wstring> Without(std::vector<std::wstring> strings, const std::wstring& unwanted) {
    strings.erase(std::remove(strings.begin(), strings.end(), unwanted), strings.end());
    return strings;
}

bool IsOne(const RegistryValue& value) {
    DWORD number = 0;
    return value.AsDword(&number) && number == 1;
}

// The saved set: a copy of each value changed, and the names of those that were absent.
struct SavedSet {
    std::vector<RegistryValue> copies;
    std::vector<std::wstring> absent;
    bool listExists = false;

    explicit SavedSet(RegistryAccess& registry) : copies(Items().size()) {
        for (size_t i = 0; i < Items().size(); ++i) {
            registry.Read(kSavedKey, Items()[i].savedName, &copies[i]);
        }
        RegistryValue list;
        registry.Read(kSavedKey, kSavedAbsent, &list);
        absent = Strings(list);
        listExists = list.exists;
    }
    bool Holds(size_t i) const {
        return copies[i].exists || Contains(absent, Items()[i].savedName);
    }
};

// One change, planned value by value and applied whole or not at all.
class Planner {
public:
    explicit Planner(RegistryAccess& registry)
        : m_registry(registry), m_plan(registry), m_saved(registry), m_absent(m_saved.absent) {}

    RegistryValue Current(size_t i) {
        RegistryValue value;
        m_registry.Read(Items()[i].key, Items()[i].value, &value);
        return value;
    }
    bool Installed(size_t i) {
        return !Items()[i].optional || m_registry.KeyExists(Items()[i].key);
    }
    const SavedSet& Saved() const { return m_saved; }

    // Sets value i, saving it first when this is its first change. Its key is checked for
    // write access even when it already holds `after`.
    void Change(size_t i, const RegistryValue& after) {
        const RegistryValue current = Current(i);
        if (current != after) Save(i, current);
        m_plan.Set(Items()[i].key, Items()[i].value, after);
    }

    // Saves value i as `current` unless a copy is saved already.
    void Save(size_t i, const RegistryValue& current) {
        const Item& item = Items()[i];
        if (m_saved.Holds(i) || Contains(m_absent, item.savedName)) return;
        if (current.exists) {
            m_plan.Set(kSavedKey, item.savedName, current, true);
        } else {
            m_absent.push_back(item.savedName);
        }
    }

    // Sets value i without saving it: a change that turns storage on again.
    void TurnOn(size_t i) { m_plan.Set(Items()[i].key, Items()[i].value, kOn); }

    // Puts value i back as it was saved and forgets the saved copy.
    void Restore(size_t i) {
        const Item& item = Items()[i];
        const RegistryValue& copy = m_saved.copies[i];
        if (!Installed(i)) {
            // Removed since it was saved: a driver's key is never created.
        } else if (item.isDriver) {
            // Only what turns the driver on is put back: enable must leave storage on.
            const bool meantOn = StateOfStart(copy) == DriverState::On;
            m_plan.Set(item.key, item.value, meantOn ? copy : RegistryValue::Dword(kStartEnabled));
        } else {
            m_plan.Set(item.key, item.value, copy);
            if (!copy.exists) m_removeIfEmpty.push_back(item.key);
        }
        m_plan.Set(kSavedKey, item.savedName, RegistryValue(), true);
        m_absent = Without(m_absent, item.savedName);
    }

    void Refuse(StorageChangeResult::Outcome outcome) { m_refusal = outcome; }

    StorageChangeResult Run(ChangeMode mode) {
        if (m_absent != m_saved.absent) {
            m_plan.Set(kSavedKey, kSavedAbsent, AbsentList(m_absent), true);
        }
        // Keys that held only what is deleted again go, the policy's own last; so does a set
        // this change empties.
        for (const std::wstring& key : m_removeIfEmpty) m_plan.RemoveIfEmpty(key);
        if (!m_removeIfEmpty.empty()) m_plan.RemoveIfEmpty(kPolicyKey);
        m_plan.RemoveIfEmpty(kSavedKey);
        m_plan.RemoveIfEmpty(kSavedParentKey);

        StorageChangeResult result;
        result.changes = m_plan.Changes();
        result.error = m_plan.CheckAccess(&result.key);
        if (result.error != ERROR_SUCCESS) {
            result.outcome = result.error == ERROR_ACCESS_DENIED
                                 ? StorageChangeResult::Outcome::AccessDenied
                                 : StorageChangeResult::Outcome::Failed;
            return result;
        }
        if (m_refusal != StorageChangeResult::Outcome::Done) {
            result.outcome = m_refusal;
            return result;
        }
        if (mode == ChangeMode::CheckRights) return result;
        switch (m_plan.Apply(&result.key, &result.error)) {
            case RegistryTransaction::Result::Applied:
                break;
            case RegistryTransaction::Result::RolledBack:
                result.outcome = StorageChangeResult::Outcome::Failed;
                break;
            case RegistryTransaction::Result::RollbackFailed:
                result.outcome = StorageChangeResult::Outcome::RollbackFailed;
                result.leftChanged = m_plan.LeftChanged();
                break;
        }
        return result;
    }

private:
    RegistryAccess& m_registry;
    RegistryTransaction m_plan;
    SavedSet m_saved;
    std::vector<std::wstring> m_absent;  // as it will be written
    std::vector<std::wstring> m_removeIfEmpty;
    StorageChangeResult::Outcome m_refusal = StorageChangeResult::Outcome::Done;
};

}  // namespace

StorageChangeResult DisableStorage(RegistryAccess& registry, StorageScope scope, ChangeMode mode) {
    Planner planner(registry);
    planner.Change(kUsbStor, kOff);
    if (planner.Installed(kUas)) planner.Change(kUas, kOff);
    if (scope == StorageScope::All) planner.Change(kDenyAll, RegistryValue::Dword(1));
    return planner.Run(mode);
}

StorageChangeResult ReadOnlyStorage(RegistryAccess& registry, ChangeMode mode) {
    Planner planner(registry);
    for (size_t driver : {kUsbStor, kUas}) {
        if (!planner.Installed(driver)) continue;
        const RegistryValue start = planner.Current(driver);
        planner.Change(driver, StateOfStart(start) == DriverState::Off ? kOn : start);
    }
    // Deny_All as it was before any change of ours.
    const RegistryValue denyAll = planner.Saved().Holds(kDenyAll) ? planner.Saved().copies[kDenyAll]
                                                                  : planner.Current(kDenyAll);
    planner.Change(kDenyAll, denyAll);
    for (size_t i = kFirstDenyWrite; i < Items().size(); ++i) {
        planner.Change(i, RegistryValue::Dword(1));
    }
    RegistryValue denyRead;
    registry.Read(ClassKey(kRemovableDiskClass), kDenyReadValue, &denyRead);
    if (IsOne(denyAll) || IsOne(denyRead)) planner.Refuse(StorageChangeResult::Outcome::ReadDenied);
    return planner.Run(mode);
}

StorageChangeResult EnableStorage(RegistryAccess& registry, ChangeMode mode) {
    Planner planner(registry);
    for (size_t i = 0; i < Items().size(); ++i) {
        if (planner.Saved().Holds(i)) planner.Restore(i);
    }
    if (!planner.Saved().Holds(kUsbStor)) planner.TurnOn(kUsbStor);
    if (!planner.Saved().Holds(kUas) && planner.Installed(kUas) &&
        StateOfStart(planner.Current(kUas)) == DriverState::Off) {
        planner.TurnOn(kUas);
    }
    return planner.Run(mode);
}

std::vector<std::wstring> OurDenials(RegistryAccess& registry) {
    const SavedSet saved(registry);
    std::vector<std::wstring> tokens;
    for (size_t i = kDenyAll; i < Items().size(); ++i) {
        RegistryValue value;
        registry.Read(Items()[i].key, Items()[i].value, &value);
        if (!saved.Holds(i) || !IsOne(value)) continue;
        const wchar_t* token = i == kDenyAll          ? L"deny-all"
                               : i == kFirstDenyWrite ? L"removable-write"
                                                      : L"portable-write";
        if (!Contains(tokens, token)) tokens.push_back(token);
    }
    return tokens;
}

bool ToolDisable::SaveBeforeCommand() {
    Planner planner(m_registry);
    m_prior = planner.Current(kUsbStor);
    if (planner.Saved().Holds(kUsbStor) || m_prior == kOff) return true;
    planner.Save(kUsbStor, m_prior);
    m_savedNow = planner.Run(ChangeMode::Apply).outcome == StorageChangeResult::Outcome::Done;
    return m_savedNow;
}

bool ToolDisable::FinishAfterCommand(std::vector<ValueChange>* changes) {
    Planner planner(m_registry);
    if (!planner.Installed(kUas)) return true;
    planner.Change(kUas, kOff);
    const StorageChangeResult result = planner.Run(ChangeMode::Apply);
    if (result.outcome == StorageChangeResult::Outcome::Done) {
        *changes = result.changes;
        return true;
    }
    PutBack();
    return false;
}

void ToolDisable::UndoAfterFailedCommand() { PutBack(); }

void ToolDisable::PutBack() {
    RegistryTransaction plan(m_registry);
    plan.Set(kUsbStorKey, kUsbStorStartValue, m_prior);
    if (m_savedNow) {
        const std::wstring& savedName = Items()[kUsbStor].savedName;
        plan.Set(kSavedKey, savedName, RegistryValue(), true);
        plan.Set(kSavedKey, kSavedAbsent,
                 AbsentList(Without(SavedSet(m_registry).absent, savedName)), true);
        plan.RemoveIfEmpty(kSavedKey);
        plan.RemoveIfEmpty(kSavedParentKey);
    }
    std::wstring key;
    LONG error = ERROR_SUCCESS;
    plan.Apply(&key, &error);
    m_savedNow = false;
}
