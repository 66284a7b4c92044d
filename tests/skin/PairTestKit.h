#pragma once
// The skinned pairs opened modeless for a look at them, and a user who answers a modal one.

#include <windows.h>

#include <functional>
#include <string>

#include "skin/LayeredPair.h"

namespace test {

// A window of the test (a backdrop) as the owner of a pair.
class ForeignOwner : public CWnd {
public:
    explicit ForeignOwner(HWND hWnd) { m_hWnd = hWnd; }
};

// "(left, top)-(right, bottom)", for readable comparisons.
std::string Describe(const RECT& rect);

// Creates `outer` modeless, owned by `owner`, shows it and lets it paint.
bool OpenModeless(CLayeredOuterDlg& outer, UINT templateId, CWnd& owner);

// Wine without a window manager may restack a frame above its inner window once the frame
// is shown or activated; this puts the inner back on top, where Windows keeps it.
void RaiseInner(HWND inner);

// Waits without dispatching messages, for a thread that owns no windows.
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs);

struct ShownPair {
    HWND outer = nullptr;
    HWND inner = nullptr;  // null when the pair has none
};

struct ModalRun {
    INT_PTR answer = -1;
    bool found = false;   // the user saw the pair
    bool gaveUp = false;  // it outlived the user's actions and was closed for them
};

// Runs `modal` while a second thread, standing in for the user, finds the pair once shown
// and plays `actions` on it; if it is still up 3 s later, that thread closes it
// (WM_CLOSE) so that a failing test ends.
ModalRun RunModal(const std::function<INT_PTR()>& modal,
                  const std::function<void(const ShownPair&)>& actions);

// The control's rectangle in its dialog's client coordinates.
RECT ControlRect(HWND dialog, int id);
// A real click on the control's centre, from any thread.
void ClickControl(HWND dialog, int id);

}  // namespace test
