#pragma once
// WOW64 file-system redirection switched off for the calling thread for a scope.

#include <windows.h>

// While alive and `wanted`, the calling thread sees the real system folder, so the
// 64-bit interpreter (and the 64-bit reg.exe) start on 64-bit Windows. Ok() is false
// when redirection could not be switched off.
class RedirectionOff {
public:
    explicit RedirectionOff(bool wanted) {
        if (!wanted) {
            m_ok = true;
            return;
        }
        m_active = ::Wow64DisableWow64FsRedirection(&m_saved) == TRUE;
        m_ok = m_active;
    }
    ~RedirectionOff() {
        if (m_active) ::Wow64RevertWow64FsRedirection(m_saved);
    }
    RedirectionOff(const RedirectionOff&) = delete;
    RedirectionOff& operator=(const RedirectionOff&) = delete;
    bool Ok() const { return m_ok; }

private:
    PVOID m_saved = nullptr;
    bool m_active = false;
    bool m_ok = false;
};
