#include "system/RegistryTransaction.h"

#include <algorithm>

void RegistryTransaction::Set(const std::wstring& key, const std::wstring& name,
                              const RegistryValue& after, bool bookkeeping) {
    Step step{{key, name, RegistryValue(), after}, bookkeeping};
    const LONG status = m_registry.Read(key, name, &step.change.before);
    // A value that cannot be read could not be put back: the whole change is refused.
    if (status != ERROR_SUCCESS && m_unreadable == ERROR_SUCCESS) {
        m_unreadable = status;
        m_unreadableKey = key;
    }
    if (step.change.before != after) m_steps.push_back(step);
    if (std::find(m_keys.begin(), m_keys.end(), key) == m_keys.end()) m_keys.push_back(key);
}

LONG RegistryTransaction::CheckAccess(std::wstring* key) const {
    if (m_unreadable != ERROR_SUCCESS) {
        *key = m_unreadableKey;
        return m_unreadable;
    }
    for (const std::wstring& planned : m_keys) {
        const LONG status = m_registry.CheckWritable(planned);
        if (status != ERROR_SUCCESS) {
            *key = planned;
            return status;
        }
    }
    return ERROR_SUCCESS;
}

std::vector<std::wstring> RegistryTransaction::MissingKeys(const std::wstring& key) const {
    std::vector<std::wstring> missing;
    std::wstring path = key;
    while (!path.empty() && !m_registry.KeyExists(path)) {
        missing.push_back(path);
        const size_t slash = path.rfind(L'\\');
        path = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
    }
    return missing;  // the deepest first
}

RegistryTransaction::Result RegistryTransaction::Apply(std::wstring* key, LONG* error) {
    std::vector<std::wstring> created;
    for (size_t i = 0; i < m_steps.size(); ++i) {
        const ValueChange& change = m_steps[i].change;
        const std::vector<std::wstring> missing =
            change.after.exists ? MissingKeys(change.key) : std::vector<std::wstring>();
        created.insert(created.begin(), missing.begin(), missing.end());
        LONG status = m_registry.Write(change.key, change.name, change.after);
        RegistryValue readBack;
        if (status == ERROR_SUCCESS) status = m_registry.Read(change.key, change.name, &readBack);
        // Only what reads back counts: a write that reported success but did not hold fails.
        if (status == ERROR_SUCCESS && readBack != change.after) status = ERROR_WRITE_FAULT;
        if (status != ERROR_SUCCESS) {
            *key = change.key;
            *error = status;
            return Undo(i + 1, created) ? Result::RolledBack : Result::RollbackFailed;
        }
    }
    for (const std::wstring& emptyKey : m_removeIfEmpty) m_registry.DeleteIfEmpty(emptyKey);
    return Result::Applied;
}

bool RegistryTransaction::Undo(size_t applied, const std::vector<std::wstring>& created) {
    bool undone = true;
    for (size_t i = applied; i-- > 0;) {
        const ValueChange& change = m_steps[i].change;
        m_registry.Write(change.key, change.name, change.before);
        RegistryValue readBack;
        const bool back = m_registry.Read(change.key, change.name, &readBack) == ERROR_SUCCESS &&
                          readBack == change.before;
        if (!back && !m_steps[i].bookkeeping) m_leftChanged.insert(m_leftChanged.begin(), change);
        undone = back && undone;
    }
    for (const std::wstring& key : created) m_registry.DeleteIfEmpty(key);
    return undone;
}

std::vector<ValueChange> RegistryTransaction::Changes() const {
    std::vector<ValueChange> changes;
    for (const Step& step : m_steps) {
        if (!step.bookkeeping) changes.push_back(step.change);
    }
    return changes;
}
