#include "skin/PairTestKit.h"

#include <vector>

#include "skin/SkinTestKit.h"
#include "support/ReceiverWindow.h"
#include "win/UniqueHandle.h"

namespace test {

namespace {

BOOL CALLBACK CollectVisible(HWND hWnd, LPARAM windows) {
    if (::IsWindowVisible(hWnd)) reinterpret_cast<std::vector<HWND>*>(windows)->push_back(hWnd);
    return TRUE;
}

// The thread's layered window, and the window it owns.
ShownPair FindPair(DWORD thread) {
    std::vector<HWND> windows;
    ::EnumThreadWindows(thread, &CollectVisible, reinterpret_cast<LPARAM>(&windows));
    ShownPair pair;
    for (HWND hWnd : windows) {
        if (::GetWindowLongW(hWnd, GWL_EXSTYLE) & WS_EX_LAYERED) pair.outer = hWnd;
    }
    for (HWND hWnd : windows) {
        if (pair.outer != nullptr && ::GetWindow(hWnd, GW_OWNER) == pair.outer) pair.inner = hWnd;
    }
    return pair;
}

struct UserThread {
    DWORD uiThread;
    const std::function<void(const ShownPair&)>* actions;
    ModalRun* run;
};

DWORD WINAPI ActAsUser(void* param) {
    const UserThread& user = *static_cast<UserThread*>(param);
    user.run->found = WaitFor([&] { return FindPair(user.uiThread).outer != nullptr; }, 5000);
    if (!user.run->found) return 0;
    ::Sleep(100);  // past the restacking, which nothing announces
    const ShownPair pair = FindPair(user.uiThread);
    RaiseInner(pair.inner);
    (*user.actions)(pair);
    if (!WaitFor([&pair] { return !::IsWindow(pair.outer); }, 3000)) {
        user.run->gaveUp = true;
        ::PostMessageW(pair.outer, WM_CLOSE, 0, 0);
    }
    return 0;
}

}  // namespace

bool OpenModeless(CLayeredOuterDlg& outer, UINT templateId, CWnd& owner) {
    if (!outer.Create(templateId, &owner)) return false;
    outer.ShowWindow(SW_SHOWNOACTIVATE);
    PumpFor(30);
    if (outer.Inner() != nullptr) RaiseInner(outer.Inner()->GetSafeHwnd());
    PumpFor(30);
    return true;
}

ModalRun RunModal(const std::function<INT_PTR()>& modal,
                  const std::function<void(const ShownPair&)>& actions) {
    ModalRun run;
    UserThread user = {::GetCurrentThreadId(), &actions, &run};
    win::UniqueKernelHandle thread(::CreateThread(nullptr, 0, &ActAsUser, &user, 0, nullptr));
    run.answer = modal();
    ::WaitForSingleObject(thread.Get(), INFINITE);
    return run;
}

}  // namespace test
