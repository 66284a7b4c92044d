#pragma once
// Helpers for the tests of the skinned pairs: a pair opened modeless for a look at it, and
// a user who answers a modal one.

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

// The pair with a frame picture that cannot be loaded.
LayeredPairParams WithoutFramePicture(LayeredPairParams params);

// Creates `outer` modeless from its `templateId`, owned by `owner`, shows it and lets it
// paint; false when its window could not be created.
bool OpenModeless(CLayeredOuterDlg& outer, UINT templateId, CWnd& owner);

// The two windows of a shown pair; `inner` is null when the pair has none.
struct ShownPair {
    HWND outer = nullptr;
    HWND inner = nullptr;
};

// How a modal run that a user answered went.
struct ModalRun {
    INT_PTR answer = -1;
    bool found = false;   // the user saw the pair
    bool gaveUp = false;  // it outlived the user's actions and had to be closed for them
};

// Runs `modal`, which shows a pair modal, while a second thread, standing in for the user,
// finds the pair once shown and plays `actions` on it; if it is still up 3 s later, that
// thread closes it (WM_CLOSE) so that a failing test ends.
ModalRun RunModal(const std::function<INT_PTR()>& modal,
                  const std::function<void(const ShownPair&)>& actions);

}  // namespace test
