#include "CycleBench.h"

#include "gallery/GalleryPanel.h"
#include "resource.h"
#include "skin/PairTestKit.h"
#include "skin/PromptDlg.h"
#include "skin/ScreenCapture.h"
#include "skin/SkinTestKit.h"
#include "support/GdiObjects.h"
#include "support/ReceiverWindow.h"

namespace bench {

namespace {

const int kWarmUps = 5;     // caches, fonts and first-use allocations settle first
const DWORD kHoverMs = 25;  // the buttons ask for hover after 10 ms
const DWORD kStepMs = 5;

Growth Measure(const std::function<void()>& work) {
    Growth growth;
    const HANDLE self = ::GetCurrentProcess();
    growth.gdiBefore = test::CountGdiObjects();
    growth.handlesBefore = ReadProcessFigures(self).kernelHandles;
    work();
    growth.gdiAfter = test::CountGdiObjects();
    growth.handlesAfter = ReadProcessFigures(self).kernelHandles;
    return growth;
}

POINT Centre(HWND control) {
    RECT rect = {};
    ::GetWindowRect(control, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// Hover, press and release on each big button in turn, then away, and a repaint of each.
void ButtonCycle(HWND panel) {
    const int ids[] = {IDC_DISABLE_BUTTON, IDC_ENABLE_BUTTON};
    for (int id : ids) {
        const POINT centre = Centre(::GetDlgItem(panel, id));
        test::MoveMouse(centre);
        test::PumpFor(kHoverMs);
        test::PressMouse(centre);
        test::PumpFor(kStepMs);
        test::ReleaseMouse(centre);
        test::PumpFor(kStepMs);
    }
    test::MoveMouseAway();
    test::PumpFor(kStepMs);
    for (int id : ids) {
        ::RedrawWindow(::GetDlgItem(panel, id), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
}

// One showing of the result prompt, answered with a click on its button; false when the
// click missed and the prompt had to be closed.
bool ShowAnsweredPrompt() {
    const test::ModalRun run = test::RunModal(
        [] { return ShowPrompt(L"U盘启用成功", kPromptNotice, 1.0f); },
        [](const test::ShownPair& pair) { test::ClickControl(pair.inner, IDC_PROMPT_OK_BUTTON); });
    return run.answer == IDOK && !run.gaveUp;
}

}  // namespace

CycleRuns RunCycles(int buttonCycles, int promptShowings) {
    CycleRuns runs;
    test::SolidBackdrop backdrop(RGB(225, 225, 225));
    test::ForeignOwner owner(backdrop.Handle());
    {
        CGalleryMainWindow window;
        if (!test::OpenModeless(window, IDD_MAIN_WINDOW, owner) || window.Panel() == nullptr) {
            return runs;
        }
        const HWND panel = window.Panel()->GetSafeHwnd();
        ::EnableWindow(::GetDlgItem(panel, IDC_ENABLE_BUTTON), TRUE);  // both live
        runs.afterStart = ReadProcessFigures(::GetCurrentProcess());
        for (int i = 0; i < kWarmUps; ++i) ButtonCycle(panel);
        runs.buttons = Measure([&] {
            for (int i = 0; i < buttonCycles; ++i) ButtonCycle(panel);
        });
        window.DestroyWindow();
        test::PumpFor(100);
    }
    runs.opened = true;
    // The prompts alone: their answering user looks for the one layered window shown.
    for (int i = 0; i < kWarmUps; ++i) ShowAnsweredPrompt();
    runs.prompts = Measure([&] {
        for (int i = 0; i < promptShowings; ++i) {
            if (!ShowAnsweredPrompt()) ++runs.unanswered;
        }
    });
    runs.afterCycles = ReadProcessFigures(::GetCurrentProcess());
    return runs;
}

}  // namespace bench
