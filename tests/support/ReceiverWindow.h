#pragma once
// A real top-level window on the test's thread that records the messages it is sent, and
// a message pump that waits for a thread while keeping that window responsive.

#include <windows.h>

#include <functional>
#include <vector>

namespace test {

struct ReceivedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class ReceiverWindow {
public:
    // Records every message numbered from `first` to `last`; `onMessage`, when set, runs
    // inside the handler (the sender is still blocked then).
    ReceiverWindow(UINT first, UINT last);
    ~ReceiverWindow();
    ReceiverWindow(const ReceiverWindow&) = delete;
    ReceiverWindow& operator=(const ReceiverWindow&) = delete;

    HWND Handle() const { return m_hWnd; }
    const std::vector<ReceivedMessage>& Received() const { return m_received; }
    std::function<void(const ReceivedMessage&)> onMessage;

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_first;
    UINT m_last;
    HWND m_hWnd = nullptr;
    std::vector<ReceivedMessage> m_received;
};

// Dispatches this thread's messages until `handle` is signalled; false after `timeoutMs`.
bool PumpUntilSignalled(HANDLE handle, DWORD timeoutMs);

// Dispatches this thread's messages for `ms` milliseconds.
void PumpFor(DWORD ms);

}  // namespace test
