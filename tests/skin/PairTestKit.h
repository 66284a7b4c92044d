#pragma once
// Helpers for the tests of the skinned pairs: a pair opened modeless for a look at it, and
// a user who answers a modal one.

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

#include "skin/LayeredPair.h"

namespace test {

// A window of the test (a backdrop) as the owner of a pair.
class ForeignOwner : public CWnd {
public:
    explicit ForeignOwner(HWND hWnd) { m_hWnd = hWnd; }
};

// The pair with a frame picture that cannot be loaded.
LayeredPairParams WithoutFramePicture(LayeredPairParams params);

// "(left, top)-(right, bottom)", for readable comparisons.
std::string Describe(const RECT& rect);

// Creates `outer` modeless from its `templateId`, owned by `owner`, shows it and lets it paint;
// false when its window could not be created.
bool OpenModeless(CLayeredOuterDlg& outer, UINT templateId, CWnd& owner);

// Wine without a window manager may restack a frame above its inner window once the frame
// is shown or activated; this puts the inner back on top, where Windows keeps it.
void RaiseInner(HWND inner);

// The two windows of a shown pair; `inner` is null when the pair has none.
struct ShownPair {
    HWND outer = nullptr;
    HWND inner = nullptr;
};

// A user at the screen while the test's thread sits in a modal pair's DoModal: a second
// thread that finds the pair once it is shown, plays its actions on it with real input,
// and closes it (WM_CLOSE) if it is still up a while later, so that a failing test ends.
class ModalUser {
public:
    // Watches the calling thread's windows; construct it just before DoModal.
    explicit ModalUser(std::function<void(const ShownPair&)> actions);
    // Waits for the thread: destroy it after DoModal has returned.
    ~ModalUser();
    ModalUser(const ModalUser&) = delete;
    ModalUser& operator=(const ModalUser&) = delete;

    bool FoundPair() const { return m_found; }
    // True when the pair outlived the actions and had to be closed for them.
    bool GaveUp() const { return m_gaveUp; }

private:
    static DWORD WINAPI Run(void* param);
    void Act();

    std::function<void(const ShownPair&)> m_actions;
    DWORD m_uiThread;
    HANDLE m_thread = nullptr;
    std::atomic<bool> m_found{false};
    std::atomic<bool> m_gaveUp{false};
};

// Actions for the user's thread (real input through the system's queue).
void ClickControl(HWND dialog, int id);
// The control's rectangle in its dialog's client coordinates, and its window text.
RECT ControlRect(HWND dialog, int id);
std::wstring ControlText(HWND dialog, int id);

}  // namespace test
