#pragma once
// The skinned pairs opened modeless for a look at them, and a user who answers a modal one.

#include <windows.h>

#include <functional>
#include <string>

#include "skin/LayeredPair.h"
#include "support/Controls.h"

namespace test {

// A window of the test (a backdrop) as the owner of a pair.
class ForeignOwner : public CWnd {
public:
    explicit ForeignOwner(HWND hWnd) { m_hWnd = hWnd; }
};

// Creates `outer` modeless, owned by `owner`, shows it and lets it paint.
bool OpenModeless(CLayeredOuterDlg& outer, UINT templateId, CWnd& owner);

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

}  // namespace test
