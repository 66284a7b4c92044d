// Shows every skinned window and control of the tool on the screen, one after the other, at
// the scale given, and saves a screenshot of each:
//   gallery SCALE [FOLDER]
// FOLDER defaults to "screenshots" beside the program's own folder. Exit code 0 when every
// picture was saved, 1 when one was not, 2 on a wrong command line.

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>

#include "gallery/GalleryPanel.h"
#include "resource.h"
#include "skin/ExecutePromptDlg.h"
#include "skin/PairTestKit.h"
#include "skin/PromptDlg.h"
#include "skin/ScreenCapture.h"
#include "skin/SkinTestKit.h"
#include "support/ReceiverWindow.h"
#include "support/TestFiles.h"

namespace {

const COLORREF kDesktopGrey = RGB(225, 225, 225);
const int kShotMargin = 8;  // of desktop around each window, so its shadow shows whole
const UINT_PTR kDotTimerId = 36;

const wchar_t kLongQuestion[] =
    L"禁用后，本机所有U盘和移动硬盘将无法读取，正在复制的文件可能会丢失。"
    L"请先保存并关闭U盘上打开的文件。确定要禁用U盘吗？";

class Gallery {
public:
    Gallery(float scale, std::wstring folder)
        : m_scale(scale), m_folder(std::move(folder)), m_owner(m_backdrop.Handle()) {}

    // Returns how many pictures could not be taken.
    int ShootEverything() {
        ::CreateDirectoryW(m_folder.c_str(), nullptr);
        test::MoveMouseAway();
        ShootPrompt(L"prompt-1", kPromptYesNoSingle, L"发现新版本，是否立即更新？");
        ShootPrompt(L"prompt-2", kPromptYesNo, L"是否继续？");
        ShootPrompt(L"prompt-3", kPromptNotice, L"U盘禁用成功");
        ShootPrompt(L"prompt-4-long", kPromptQuestion, kLongQuestion);
        ShootProgress();
        ShootControls();
        return m_failures;
    }

private:
    void ShootPrompt(const std::wstring& what, int type, const std::wstring& text) {
        CPromptDlg prompt;
        prompt.SetScale(m_scale);
        prompt.SetPromptType(type);
        prompt.SetPromptText(text);
        Shoot(what, prompt, IDD_PROMPT_OUTER);
    }

    void ShootProgress() {
        CExecutePromptDlg progress;
        progress.SetScale(m_scale);
        progress.SetPromptText(L"正在禁用，请稍等");
        Shoot(L"progress", progress, IDD_PROGRESS_OUTER, [&progress] {
            // Two seconds into the run: two dots.
            const HWND text = progress.Inner()->GetDlgItem(IDC_PROGRESS_TEXT);
            for (int i = 0; i < 2; ++i) ::SendMessageW(text, WM_TIMER, kDotTimerId, 0);
        });
    }

    void ShootControls() {
        CGalleryMainWindow window;
        window.SetScale(m_scale);
        Shoot(L"controls", window, IDD_MAIN_WINDOW);
        CGalleryMainWindow hovered;
        hovered.SetScale(m_scale);
        Shoot(L"controls-hover", hovered, IDD_MAIN_WINDOW, [&hovered] {
            RECT button = {};
            ::GetWindowRect(hovered.Panel()->DisableButton(), &button);
            test::MoveMouse({(button.left + button.right) / 2, (button.top + button.bottom) / 2});
        });
        test::MoveMouseAway();
    }

    // Opens `pair`, lets `pose` put it in the state to show, and saves what the screen shows.
    void Shoot(const std::wstring& what, CLayeredOuterDlg& pair, UINT templateId,
               const std::function<void()>& pose = nullptr) {
        const std::wstring path = m_folder + L"\\gallery-" + what + L"-" + ScaleText() + L".png";
        if (!test::OpenModeless(pair, templateId, m_owner) || pair.Inner() == nullptr) {
            Report(path, false);
            return;
        }
        if (pose) pose();
        test::PumpFor(100);  // hover notifications and repaints
        ::GdiFlush();
        RECT area = pair.GetWindowRect();
        ::InflateRect(&area, kShotMargin, kShotMargin);
        ::DeleteFileW(path.c_str());
        Report(path, test::SaveScreenPng(area, path));
        pair.DestroyWindow();
    }

    void Report(const std::wstring& path, bool saved) {
        if (!saved) ++m_failures;
        std::fwprintf(saved ? stdout : stderr, L"%ls %ls\n", saved ? L"saved" : L"FAILED",
                      path.c_str());
    }

    std::wstring ScaleText() const {
        wchar_t text[16];
        std::swprintf(text, 16, L"%.2f", static_cast<double>(m_scale));
        return text;
    }

    float m_scale;
    std::wstring m_folder;
    win::GdiplusSession m_gdiplus;
    test::SolidBackdrop m_backdrop{kDesktopGrey};
    test::ForeignOwner m_owner;
    int m_failures = 0;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const float scale = argc >= 2 ? std::wcstof(argv[1], nullptr) : 0.0f;
    if (argc < 2 || argc > 3 || !(scale >= 0.5f && scale <= 4.0f)) {
        std::fwprintf(stderr, L"usage: gallery SCALE [FOLDER]   (SCALE from 0.5 to 4)\n");
        return 2;
    }
    const std::wstring folder =
        argc == 3 ? std::wstring(argv[2]) : test::ProgramDirectory() + L"\\..\\screenshots";
    Gallery gallery(scale, folder);
    return gallery.ShootEverything() == 0 ? 0 : 1;
}
