#pragma once
// A set of registry value changes that is applied whole or not at all: every key is
// checked for write access before the first write, every write is read back, and when
// one fails, what was already changed (keys created included) is put back.

#include <string>
#include <vector>

#include "system/MachineRegistry.h"

struct ValueChange {
    std::wstring key;
    std::wstring name;
    RegistryValue before;
    RegistryValue after;
};

class RegistryTransaction {
public:
    explicit RegistryTransaction(RegistryAccess& registry) : m_registry(registry) {}

    // Plans one value; a value that already holds `after` is left alone, but its key is
    // still checked for write access. Planned bookkeeping values are not reported by
    // Changes() or LeftChanged().
    void Set(const std::wstring& key, const std::wstring& name, const RegistryValue& after,
             bool bookkeeping = false);
    // After a successful apply, the key is deleted if it is left empty.
    void RemoveIfEmpty(const std::wstring& key) { m_removeIfEmpty.push_back(key); }

    // ERROR_SUCCESS, or the first key whose value could not be read or that may not be
    // written (in *key), and why: the rights are judged whether or not a value changes.
    LONG CheckAccess(std::wstring* key) const;

    enum class Result { Applied, RolledBack, RollbackFailed };
    // Applies the plan in order. On failure *key and *error name the write that failed.
    Result Apply(std::wstring* key, LONG* error);

    // The values this transaction changes (bookkeeping left out), in plan order.
    std::vector<ValueChange> Changes() const;
    // After RollbackFailed: the values that could not be put back (bookkeeping left out).
    const std::vector<ValueChange>& LeftChanged() const { return m_leftChanged; }

private:
    struct Step {
        ValueChange change;
        bool bookkeeping;
    };
    std::vector<std::wstring> MissingKeys(const std::wstring& key) const;
    bool Undo(size_t applied, const std::vector<std::wstring>& created);

    RegistryAccess& m_registry;
    std::vector<Step> m_steps;
    std::vector<std::wstring> m_keys;  // every key planned, changed or not
    std::vector<std::wstring> m_removeIfEmpty;
    std::vector<ValueChange> m_leftChanged;
    LONG m_unreadable = ERROR_SUCCESS;  // the first value that could not be read
    std::wstring m_unreadableKey;
};
