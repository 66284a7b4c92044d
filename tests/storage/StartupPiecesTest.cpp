#include <gtest/gtest.h>
#include <windows.h>

#include "app/MouseHook.h"
#include "support/RealInput.h"
#include "support/ReceiverWindow.h"
#include "system/SystemVersion.h"

namespace {

TEST(SystemVersion, OnlyWindows7And10AreSupported) {
    struct Case {
        WindowsVersion version;
        bool supported;
    } cases[] = {
        {{5, 0}, false},  {{5, 1}, false},  {{5, 2}, false}, {{6, 0}, false},
        {{6, 1}, true},   {{6, 2}, false},  {{6, 3}, false}, {{10, 0}, true},
        {{10, 1}, false}, {{11, 0}, false}, {{0, 0}, false}, {{7, 1}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.supported, IsSupportedVersion(c.version))
            << c.version.major << "." << c.version.minor;
    }
}

TEST(MouseHook, EachLeftPressAnywherePostsOneMessageAndNothingElseDoes) {
    test::ReceiverWindow panel(WM_HOOK_LBUTTONDOWN, WM_HOOK_LBUTTONDOWN);
    CMouseHook hook;
    EXPECT_EQ(0, hook.SetTarget(nullptr));
    ASSERT_EQ(1, hook.SetTarget(panel.Handle()));
    ASSERT_EQ(1, hook.Install());

    test::ClickAt({300, 300});
    test::MoveMouse({305, 305});
    test::ClickAt({1200, 700});
    test::PumpFor(500);
    ASSERT_EQ(2u, panel.Received().size());
    for (const test::ReceivedMessage& message : panel.Received()) {
        EXPECT_EQ(static_cast<WPARAM>(WM_LBUTTONDOWN), message.wParam);
    }

    hook.Uninstall();
    hook.Uninstall();  // a second removal is harmless
    test::ClickAt({300, 300});
    test::PumpFor(300);
    EXPECT_EQ(2u, panel.Received().size());
}

}  // namespace
