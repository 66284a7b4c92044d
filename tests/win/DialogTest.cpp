#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "win/Dialog.h"
#include "win/WinApp.h"

namespace {

const UINT kHiddenTemplate = 900;
const UINT kVisibleTemplate = 901;
const int kDrawnButton = 1001;
const int kPlainButton = 1002;
const UINT kEndWithSeven = 777;  // a command the test dialog answers with EndDialog(7)
const UINT kThrowingCommand = 778;

class DrawProbe : public CButton {
public:
    std::vector<UINT> drawnIds;

protected:
    void DrawItem(const DRAWITEMSTRUCT& item) override { drawnIds.push_back(item.CtlID); }
};

class TestDialog : public CDialog {
public:
    explicit TestDialog(UINT templateId, CWnd* parent = nullptr) : CDialog(templateId, parent) {}

    std::function<void(TestDialog&)> onInit;
    bool swallowEscAndEnter = false;
    std::vector<UINT> commands;
    int destroyed = 0;
    DrawProbe drawn;
    using CDialog::CenterWindow;

protected:
    void DoDataExchange() override { Bind(kDrawnButton, drawn); }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        if (onInit) onInit(*this);
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* msg) override {
        if (swallowEscAndEnter && msg->message == WM_KEYDOWN &&
            (msg->wParam == VK_ESCAPE || msg->wParam == VK_RETURN)) {
            return TRUE;
        }
        return CDialog::PreTranslateMessage(msg);
    }
    void OnOK() override {
        commands.push_back(IDOK);
        CDialog::OnOK();
    }
    void OnCancel() override {
        commands.push_back(IDCANCEL);
        CDialog::OnCancel();
    }
    bool OnCommand(UINT id, UINT, HWND) override {
        commands.push_back(id);
        if (id == kThrowingCommand) throw std::runtime_error("handler failed");
        if (id == kEndWithSeven) EndDialog(7);
        return true;
    }
    void OnDestroy() override { ++destroyed; }
};

// A plain visible top-level window to own the dialogs.
class OwnerWindow : public CWnd {
public:
    explicit OwnerWindow(bool visible = true) {
        m_hWnd = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | (visible ? WS_VISIBLE : 0), 100,
                                 100, 600, 400, nullptr, nullptr, nullptr, nullptr);
    }
    ~OwnerWindow() override { ::DestroyWindow(m_hWnd); }
};

POINT Centre(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

TEST(Dialog, ModalRunEndsWithItsCodeAndDisablesTheOwnerMeanwhile) {
    struct Case {
        const char* name;
        std::function<void(TestDialog&)> action;
        INT_PTR result;
    } cases[] = {
        {"OK command", [](TestDialog& d) { d.PostMessage(WM_COMMAND, IDOK); }, IDOK},
        {"close", [](TestDialog& d) { d.PostMessage(WM_CLOSE); }, IDCANCEL},
        {"Esc key", [](TestDialog& d) { d.PostMessage(WM_KEYDOWN, VK_ESCAPE); }, IDCANCEL},
        {"own command", [](TestDialog& d) { d.PostMessage(WM_COMMAND, kEndWithSeven); }, 7},
        {"ended during initialisation", [](TestDialog& d) { d.EndDialog(42); }, 42},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OwnerWindow owner;
        TestDialog dialog(kHiddenTemplate, &owner);
        BOOL ownerEnabledDuringRun = TRUE;
        HWND ownerSeen = nullptr;
        dialog.onInit = [&](TestDialog& d) {
            ownerEnabledDuringRun = owner.IsWindowEnabled();
            ownerSeen = GetWindow(d.GetSafeHwnd(), GW_OWNER);
            c.action(d);
        };
        EXPECT_EQ(c.result, dialog.DoModal());
        EXPECT_FALSE(ownerEnabledDuringRun);
        EXPECT_EQ(owner.GetSafeHwnd(), ownerSeen);
        EXPECT_TRUE(owner.IsWindowEnabled());
        EXPECT_EQ(nullptr, dialog.GetSafeHwnd());
        EXPECT_EQ(1, dialog.destroyed);
    }
}

TEST(Dialog, PreTranslateSeesKeysBeforeTheDialogDoes) {
    OwnerWindow owner;
    TestDialog dialog(kHiddenTemplate, &owner);
    dialog.swallowEscAndEnter = true;
    dialog.onInit = [](TestDialog& d) {
        const HWND plain = d.GetDlgItem(kPlainButton);
        SetFocus(plain);
        for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
            PostMessageW(plain, WM_KEYDOWN, key, 0);
            PostMessageW(d.GetSafeHwnd(), WM_KEYDOWN, key, 0);
        }
        d.PostMessage(WM_COMMAND, kEndWithSeven);
    };
    EXPECT_EQ(7, dialog.DoModal());
    EXPECT_EQ(std::vector<UINT>{kEndWithSeven}, dialog.commands);
}

TEST(Dialog, QuitArrivingDuringTheModalRunEndsItAndIsPostedAgain) {
    TestDialog dialog(kHiddenTemplate);
    dialog.onInit = [](TestDialog&) { PostQuitMessage(5); };
    dialog.DoModal();
    EXPECT_EQ(nullptr, dialog.GetSafeHwnd());
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(5u, msg.wParam);
}

TEST(Dialog, ExceptionInAHandlerStopsAtTheMessageBoundary) {
    TestDialog dialog(kHiddenTemplate);
    dialog.onInit = [](TestDialog& d) {
        d.PostMessage(WM_COMMAND, kThrowingCommand);
        d.PostMessage(WM_COMMAND, IDOK);
    };
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ((std::vector<UINT>{kThrowingCommand, IDOK}), dialog.commands);
}

TEST(Dialog, WithoutParentTheApplicationsMainWindowOwnsTheModalRun) {
    CWinApp app;
    OwnerWindow mainWindow;
    app.m_pMainWnd = &mainWindow;
    TestDialog dialog(kHiddenTemplate);
    HWND ownerSeen = nullptr;
    dialog.onInit = [&](TestDialog& d) {
        ownerSeen = GetWindow(d.GetSafeHwnd(), GW_OWNER);
        d.EndDialog(IDOK);
    };
    dialog.DoModal();
    EXPECT_EQ(mainWindow.GetSafeHwnd(), ownerSeen);
}

TEST(Dialog, HiddenDialogIsCentredAfterInitialisationUnlessItMovedOrWasVisible) {
    OwnerWindow visibleOwner;
    OwnerWindow hiddenOwner(false);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(nullptr, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const POINT workCentre = Centre(monitor.rcWork);

    struct Case {
        const char* name;
        UINT templateId;
        CWnd* owner;
        bool moveDuringInit;
        bool centred;
        POINT centre;  // where, when centred
    } cases[] = {
        {"over a visible owner", kHiddenTemplate, &visibleOwner, false, true,
         Centre(visibleOwner.GetWindowRect())},
        {"hidden owner: work area", kHiddenTemplate, &hiddenOwner, false, true, workCentre},
        {"no owner: work area", kHiddenTemplate, nullptr, false, true, workCentre},
        {"moved by initialisation", kHiddenTemplate, &visibleOwner, true, false, {}},
        {"visible from the template", kVisibleTemplate, &visibleOwner, false, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestDialog dialog(c.templateId);
        RECT atInit = {};
        dialog.onInit = [&](TestDialog& d) {
            if (c.moveDuringInit) SetWindowPos(d.GetSafeHwnd(), nullptr, 3, 4, 0, 0, SWP_NOSIZE);
            atInit = d.GetWindowRect();
        };
        ASSERT_TRUE(dialog.Create(c.templateId, c.owner));
        const RECT placed = dialog.GetWindowRect();
        if (c.centred) {
            EXPECT_NEAR(c.centre.x, Centre(placed).x, 1);
            EXPECT_NEAR(c.centre.y, Centre(placed).y, 1);
        } else {
            EXPECT_EQ(atInit.left, placed.left);
            EXPECT_EQ(atInit.top, placed.top);
        }
        dialog.DestroyWindow();
        EXPECT_EQ(1, dialog.destroyed);
    }
}

TEST(Dialog, OwnerDrawnControlDrawsItselfThroughTheReflectedMessage) {
    TestDialog dialog(kHiddenTemplate);
    ASSERT_TRUE(dialog.Create(kHiddenTemplate, nullptr));
    dialog.ShowWindow(SW_SHOW);
    RedrawWindow(dialog.GetSafeHwnd(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ASSERT_FALSE(dialog.drawn.drawnIds.empty());
    EXPECT_EQ(static_cast<UINT>(kDrawnButton), dialog.drawn.drawnIds.back());
    dialog.DestroyWindow();
    EXPECT_EQ(nullptr, dialog.drawn.GetSafeHwnd()) << "the control lets go when destroyed";
}

}  // namespace
