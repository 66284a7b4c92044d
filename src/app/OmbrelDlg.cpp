#include "app/OmbrelDlg.h"

#include <windowsx.h>

#include <cstdlib>

#include "app/PanelDesign.h"
#include "feedback/ToolIdentity.h"
#include "log/LogSave.h"
#include "log/LogText.h"
#include "resource.h"
#include "skin/PromptDlg.h"
#include "skin/ResourceImage.h"
#include "skin/Scaling.h"
#include "storage/StorageState.h"
#include "system/StepTimes.h"
#include "win/Gdi.h"

namespace {

namespace design = panel_design;

const UINT_PTR kHoverTimer = 33;
const UINT_PTR kUpdateTimer = 38;
const UINT_PTR kUpdateRetryTimer = 39;    // a newer version waits for the panel to be idle
const UINT_PTR kPrepareResultTimer = 40;  // the result prompt's frame, while a switch runs
const UINT kTimerMs = 100;
const int kUpdateAvailable = 3;

const char kStartupLog[] = "Kestrum.txt";
const wchar_t kInitFailed[] = L"工具初始化失败";
const wchar_t kPictureMissing[] = L"加载背景图片失败";
const wchar_t kAgreementText[] = L"同意《Harvane服务工具使用许可协议》";
const wchar_t kFeedbackText[] = L"反馈问题";
const wchar_t kUpdateNotice[] = L"检测到当前工具有新的版本更新，请下载最新版本使用。";

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kLinkColour = 0xFF5C5C;  // blue 255, green 92, red 92
const COLORREF kLinkHoverColour = 0xFF0000;

void MoveControl(CWnd& control, const RECT& rect) { control.MoveWindow(rect, TRUE); }

// A button drawn over its slice of the panel's picture, answering clicks on its whole face.
void SetUpOnPicture(CImageButton& button, Gdiplus::Image* picture, const RECT& slice) {
    button.SetBkImage(picture);
    button.SetBkImageRect(slice);
    button.SetHitInsets(0, 0, 0, 0);
}

// One line of text in the dialog's own font on white.
void SetUpLine(CDrawTextStatic& line, COLORREF normal, COLORREF hover) {
    line.SetTextFont(0, 0);
    line.SetAlignMode(TextAlign::LineLeft);
    line.SetBkColor(kWhite);
    line.SetTextColors(normal, hover);
}

struct AgreementRequest {
    HWND panel;
    HWND checkBox;
    WPARAM click;
};

}  // namespace

struct COmbrelDlg::SwitchFlow {
    int (CStorageSwitch::*start)();
    const wchar_t* confirmation;  // null: no question asked
    const wchar_t* startFailure;
    const wchar_t* progressText;
};

const COmbrelDlg::SwitchFlow COmbrelDlg::kDisableFlow = {
    &CStorageSwitch::StartDisable,
    L"运行后所有的U盘将无法使用，如果需要使用U盘，需要再次运行本工具开启。本工具不是故障修复软件，"
    L"不能解决U盘无法使用的问题。确认要禁用U盘吗？",
    L"U盘禁用失败！",
    L"正在禁用，请稍等",
};

const COmbrelDlg::SwitchFlow COmbrelDlg::kEnableFlow = {
    &CStorageSwitch::StartEnable,
    nullptr,
    L"U盘启用失败！",
    L"正在启用，请稍等",
};

COmbrelDlg::COmbrelDlg() : CLayeredInnerDlg(kMainPair) {
    m_bDragging = true;  // the first placement already moves the main window along
}

COmbrelDlg::~COmbrelDlg() { DestroyWindow(); }

COmbrelDlg::AgreementState COmbrelDlg::ButtonsFor(bool agreed, bool readOk, DWORD start) {
    if (!agreed) return kBothDisabled;
    if (!readOk) return kKeepButtons;
    return IsUsbStorageOn(start) ? kOfferDisable : kOfferEnable;
}

void COmbrelDlg::DoDataExchange() {
    Bind(IDC_DISABLE_BUTTON, m_disableButton);
    Bind(IDC_ENABLE_BUTTON, m_enableButton);
    Bind(IDC_VERSION_TEXT, m_versionText);
    Bind(IDC_CLOSE_BUTTON, m_closeButton);
    Bind(IDC_MINIMISE_BUTTON, m_minimiseButton);
    Bind(IDC_MORE_TOOLS_BUTTON, m_moreToolsButton);
    Bind(IDC_AGREE_CHECK, m_agreeCheck);
    Bind(IDC_AGREEMENT_LINK, m_agreementLink);
    Bind(IDC_FEEDBACK_LINK, m_feedbackLink);
}

BOOL COmbrelDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (BackgroundImage() == nullptr) return TRUE;

    // The buttons as created until the registry says otherwise.
    TimedStep registryRead("registry-read");
    DWORD start = 0;
    const bool readOk = ReadUsbStorStart(&start);
    registryRead.End();
    ApplyButtons(ButtonsFor(true, readOk, start));
    StartupCheck();
    {
        TimedStep step("configure-controls");
        ConfigureControls();
    }
    {
        TimedStep step("layout-controls");
        LayoutControls();
    }
    m_bLaidOut = true;
    SetTimer(kHoverTimer, kTimerMs);
    SetTimer(kUpdateTimer, kTimerMs);
    return TRUE;
}

void COmbrelDlg::StartupCheck() {
    if (!m_switch.SetNotifyWnd(m_hWnd))
        return FailStartup(L"设置接收消息窗口指针失败", kInitFailed, m_fScale);
    if (!CStorageSwitch::IsSupportedSystem()) {
        return FailStartup(L"此工具不支持当前系统", L"此工具不支持当前系统", m_fScale);
    }
    if (!m_mouseHook.SetTarget(m_hWnd)) {
        return FailStartup(L"设置钩子接收消息窗口指针失败", kInitFailed, m_fScale);
    }
    TimedStep hookInstall("mouse-hook");
    if (!m_mouseHook.Install()) return FailStartup(L"设置挂载失败", kInitFailed, m_fScale);
    hookInstall.End();
    TimedStep libraryLoad("library-load");
    Sha256 shipped = {};
    if (!ReadShippedLibraryHash(shipped) || !m_feedback.Load(shipped)) {
        return FailStartup(L"加载反馈DLL失败", kInitFailed, m_fScale);
    }
    libraryLoad.End();
    TimedStep libraryInit("library-init");
    if (!m_feedback.InitFreedbackDll(&m_toolInfo)) {
        return FailStartup(L"初始化反馈DLL失败", kInitFailed, m_fScale);
    }
}

void COmbrelDlg::FailStartup(const wchar_t* logText, const wchar_t* promptText, float scale) {
    CLogSave::GetInstance()->WriteLog(ToLogText(logText), kStartupLog, true);
    ShowPrompt(promptText, kPromptNotice, scale);
    std::exit(0);
}

void COmbrelDlg::EndForMissingPicture(float scale) {
    FailStartup(kPictureMissing, kInitFailed, scale);
}

void COmbrelDlg::ConfigureControls() {
    Gdiplus::Image* picture = BackgroundImage();
    m_closeButton.SetScale(m_fScale);
    m_closeButton.LoadStateImages(IDB_CLOSE_NORMAL, IDB_CLOSE_HOVER, IDB_CLOSE_PRESSED,
                                  IDB_CLOSE_DISABLED);
    m_minimiseButton.SetScale(m_fScale);
    m_minimiseButton.LoadStateImages(IDB_MINIMISE_NORMAL, IDB_MINIMISE_HOVER, IDB_MINIMISE_PRESSED,
                                     IDB_MINIMISE_DISABLED);

    m_versionText.SetWindowText(kToolVersion);
    m_versionText.SetBkImage(picture);
    m_versionText.SetBkImageRect(design::kVersionSlice);
    SetUpLine(m_versionText, kWhite, kWhite);

    SetUpOnPicture(m_disableButton, picture, design::kDisableSlice);
    m_disableButton.LoadStateImages(IDB_DISABLE_NORMAL, IDB_DISABLE_HOVER, IDB_DISABLE_PRESSED,
                                    IDB_DISABLE_DISABLED);
    SetUpOnPicture(m_enableButton, picture, design::kEnableSlice);
    m_enableButton.LoadStateImages(IDB_ENABLE_NORMAL, IDB_ENABLE_HOVER, IDB_ENABLE_PRESSED,
                                   IDB_ENABLE_DISABLED);

    // At the design width the button lies on the slice under its unscaled place.
    const RECT client = GetClientRect();
    SetUpOnPicture(m_moreToolsButton, picture,
                   client.right - client.left > design::kWidth ? design::kMoreToolsSlice
                                                               : MoreToolsRect(client));
    m_moreToolsButton.LoadStateImages(IDB_MORE_TOOLS_NORMAL, IDB_MORE_TOOLS_HOVER,
                                      IDB_MORE_TOOLS_PRESSED, IDB_MORE_TOOLS_DISABLED);

    m_agreeCheck.SetParentFont();
    m_agreeCheck.SetScale(m_fScale);
    m_agreeCheck.SetCheck(BST_CHECKED);
    SetUpLine(m_agreementLink, kLinkColour, kLinkHoverColour);
    SetUpLine(m_feedbackLink, kLinkColour, kLinkHoverColour);
}

void COmbrelDlg::LayoutControls() {
    const RECT client = GetClientRect();
    PlaceWindowButtons(client);
    PlaceVersionLine(client);
    PlaceSwitchButtons(client);
    MoveControl(m_moreToolsButton, MoreToolsRect(client));
    PlaceAgreementRow(client);
}

void COmbrelDlg::PlaceWindowButtons(const RECT& client) {
    const float s = m_fScale;
    const int bottom = Truncate(client.top + design::kWindowButtonHeight * s);
    const int closeLeft = Truncate(client.right - design::kCloseRightInset * s);
    MoveControl(m_closeButton, RECT{closeLeft, client.top,
                                    Truncate(closeLeft + design::kWindowButtonWidth * s), bottom});
    const int minimiseLeft = Truncate(client.right - design::kMinimiseRightInset * s);
    MoveControl(m_minimiseButton,
                RECT{minimiseLeft, client.top,
                     Truncate(minimiseLeft + design::kWindowButtonWidth * s), bottom});
}

void COmbrelDlg::PlaceVersionLine(const RECT& client) {
    const RECT& slice = design::kVersionSlice;
    const float s = m_fScale;
    const int left = client.left + Scaled(s, slice.left);
    const int top = client.top + Scaled(s, slice.top);
    MoveControl(m_versionText, RECT{left, top, left + Scaled(s, slice.right - slice.left),
                                    top + Scaled(s, slice.bottom - slice.top)});
}

void COmbrelDlg::PlaceSwitchButtons(const RECT& client) {
    const float s = m_fScale;
    const int left =
        client.left + Truncate(design::kWidth * s / 2 - design::kSwitchButtonWidth * s / 2);
    const int width = Scaled(s, design::kSwitchButtonWidth);
    const int height = Scaled(s, design::kSwitchButtonHeight);
    const int disableTop =
        client.top + Truncate(design::kHeight * s / 2 - design::kDisableAboveMiddle * s);
    const int enableTop = client.top + Truncate(design::kHeight * s / 2);
    MoveControl(m_disableButton, RECT{left, disableTop, left + width, disableTop + height});
    MoveControl(m_enableButton, RECT{left, enableTop, left + width, enableTop + height});
}

// A panel of the design width or narrower keeps the button's design place unscaled.
RECT COmbrelDlg::MoreToolsRect(const RECT& client) const {
    if (client.right - client.left <= design::kWidth) {
        const int left = client.left + design::kMoreToolsLeft;
        const int top = client.bottom - design::kMoreToolsAboveBottom;
        return {left, top, left + design::kMoreToolsWidth, top + design::kMoreToolsHeight};
    }
    const float s = m_fScale;
    const int left = client.left + Scaled(s, design::kMoreToolsLeft);
    const int top = client.bottom - Scaled(s, design::kMoreToolsAboveBottom);
    return {left, top, left + Scaled(s, design::kMoreToolsWidth),
            top + Scaled(s, design::kMoreToolsHeight)};
}

// The label and the link are as wide as their texts in the main window's font.
void COmbrelDlg::PlaceAgreementRow(const RECT& client) {
    const float s = m_fScale;
    win::WindowDC dc(m_hWnd);
    const HWND fontWindow = Owner() != nullptr ? Owner() : m_hWnd;
    const int labelUnits =
        MeasureTextWidth(fontWindow, dc.Get(), kAgreementText, 0, 0) / design::kLabelUnit;
    const int linkWidth =
        Truncate(MeasureTextWidth(fontWindow, dc.Get(), kFeedbackText, 0, 0) +
                 design::kLinkScaledPadding * s + design::kLinkPadding + design::kRowGap);
    const int top = Truncate(client.bottom - design::kRowAboveBottom * s);
    const int bottom = Truncate(top + design::kRowHeight * s);

    const int checkLeft = Scaled(s, design::kCheckLeft);
    const int checkRight =
        Truncate(checkLeft + design::kCheckBoxWidth * s +
                 design::kCheckGrowthPerLabelUnit * labelUnits + design::kCheckPadding);
    MoveControl(m_agreeCheck, RECT{checkLeft, top, checkRight, bottom});
    const int labelLeft = checkRight + design::kRowGap;
    MoveControl(m_agreementLink,
                RECT{labelLeft, top, labelLeft + design::kLabelUnit * labelUnits, bottom});
    MoveControl(m_feedbackLink, RECT{client.right - linkWidth - design::kRowGap, top,
                                     client.right - design::kRowGap, bottom});
}

bool COmbrelDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_NCHITTEST:
            m_feedbackLink.UpdateHover(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            m_agreementLink.UpdateHover(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            break;  // the drag strip is the pair's
        case WM_LBUTTONDOWN:
            OnLinkClick({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return false;
        case WM_CLOSE_PROGRESS:
            result = OnCloseProgress();
            return true;
        case WM_SWITCH_RESULT:
            result = OnSwitchResult(wParam, lParam);
            return true;
        case WM_HOOK_LBUTTONDOWN:
            result = 1;
            return true;
        case WM_UPDATE_ANSWER:
            OnUpdateAnswer(static_cast<int>(wParam));
            return true;
        case WM_AGREEMENT_STATE:
            // Only the newest click's answer counts: older threads may finish later.
            if (wParam == m_agreementClicks) ApplyButtons(static_cast<AgreementState>(lParam));
            return true;
        default:
            break;
    }
    return CLayeredInnerDlg::OnMessage(message, wParam, lParam, result);
}

bool COmbrelDlg::OnCommand(UINT id, UINT code, HWND /*control*/) {
    if (code != BN_CLICKED) return false;
    switch (id) {
        case IDC_CLOSE_BUTTON:
            ::SendMessageW(Owner(), WM_CLOSE, 0, 0);
            return true;
        case IDC_MINIMISE_BUTTON:
            ::PostMessageW(Owner(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
            return true;
        case IDC_MORE_TOOLS_BUTTON:
            m_feedback.OpenRecordAddress(m_toolInfo.moreToolsPage);
            return true;
        case IDC_AGREE_CHECK:
            StartAgreementThread();
            return true;
        case IDC_DISABLE_BUTTON:
            RunSwitch(kDisableFlow, m_disableButton);
            return true;
        case IDC_ENABLE_BUTTON:
            RunSwitch(kEnableFlow, m_enableButton);
            return true;
        default:
            return false;
    }
}

void COmbrelDlg::RunSwitch(const SwitchFlow& flow, CImageButton& button) {
    // Only a click a user can make starts a switch: on a live button of the live panel,
    // with the cursor over it (not one made with the keyboard while the cursor is
    // elsewhere), and never while another switch is asked for, runs or shows its result.
    // A click posted past the disabled panel would otherwise start a second switch inside
    // the first, and the second's end would enable the panel while the first's progress
    // window still shows.
    if (m_switchFlowOpen || !IsWindowEnabled() || !button.IsWindowEnabled() ||
        !button.IsCursorInside()) {
        return;
    }
    m_switchFlowOpen = true;
    if (flow.confirmation != nullptr &&
        ShowPrompt(flow.confirmation, kPromptQuestion, m_fScale, this, &m_keptPictures) != IDOK) {
        return EndSwitchFlow();
    }
    if (!(m_switch.*flow.start)()) {
        ShowNotice(flow.startFailure);
        return EndSwitchFlow();
    }
    // The progress window exists before this thread next retrieves messages, so the
    // worker's close request always finds it, however fast the command ends.
    m_pExecutePromptDlg = std::make_unique<CExecutePromptDlg>(this);
    m_pExecutePromptDlg->SetPromptText(flow.progressText);
    m_pExecutePromptDlg->SetScale(m_fScale);
    m_pExecutePromptDlg->UseKeptPictures(&m_keptPictures);
    // The result prompt's frame is drawn while the command runs, once the progress window
    // has painted: a timer message comes only when no paint is pending.
    SetTimer(kPrepareResultTimer, USER_TIMER_MINIMUM);
    m_pExecutePromptDlg->DoModal();
    // The flow goes on until the worker's result report has been shown (OnSwitchResult).
}

bool COmbrelDlg::PostponeClose() {
    if (!m_switchFlowOpen) return false;
    m_closePostponed = true;
    return true;
}

void COmbrelDlg::EndSwitchFlow() {
    m_switchFlowOpen = false;
    if (!m_closePostponed) return;
    m_closePostponed = false;
    // Posted, so that the worker's report returns before the closing question is asked.
    ::PostMessageW(Owner(), WM_CLOSE, 0, 0);
}

LRESULT COmbrelDlg::OnCloseProgress() {
    if (m_pExecutePromptDlg && m_pExecutePromptDlg->IsWindow()) {
        m_pExecutePromptDlg->SendMessage(WM_CLOSE_PROGRESS);
    }
    return 1;
}

LRESULT COmbrelDlg::OnSwitchResult(WPARAM code, LPARAM detail) {
    switch (code) {
        case RESULT_DISABLE_OK:
        case RESULT_ENABLE_OK: {
            TimedStep readBack("result-read");
            DWORD start = 0;
            const bool readOk = ReadUsbStorStart(&start);
            ApplyButtons(ButtonsFor(true, readOk, start));
            readBack.End();
            std::wstring notice = code == RESULT_DISABLE_OK ? L"U盘禁用成功" : L"U盘启用成功";
            // The driver stays loaded for a drive plugged in now.
            if (code == RESULT_DISABLE_OK && detail == kUsbVolumeMounted) {
                notice += L"\r\n已插入的U盘拔出后才会被禁用。";
            }
            ShowNotice(notice);
            break;
        }
        case RESULT_DISABLE_FAILED:
            ShowNotice(L"U盘禁用失败");
            break;
        case RESULT_ENABLE_FAILED:
            ShowNotice(L"U盘启用失败");
            break;
        default:
            return 1;  // not a report of the switch
    }
    EndSwitchFlow();
    return 1;
}

void COmbrelDlg::ApplyButtons(AgreementState state) {
    if (state == kOfferDisable || state == kOfferEnable) {
        m_offerDisable = state == kOfferDisable;
        m_offerEnable = state == kOfferEnable;
    }
    // A cleared box keeps the offer: ticking it again with nothing read brings it back.
    const bool agreed = state != kBothDisabled;
    m_disableButton.EnableButton(agreed && m_offerDisable);
    m_enableButton.EnableButton(agreed && m_offerEnable);
}

// The panel's own windows are owned by the panel, whichever window was active last: they
// show above it, and it takes no clicks while they are open.
void COmbrelDlg::ShowNotice(const std::wstring& text) {
    ShowPrompt(text, kPromptNotice, m_fScale, this, &m_keptPictures);
}

void COmbrelDlg::StartAgreementThread() {
    auto request = std::make_unique<AgreementRequest>(
        AgreementRequest{m_hWnd, m_agreeCheck.GetSafeHwnd(), ++m_agreementClicks});
    // Nothing waits for the thread; the request is its own once it runs.
    const win::UniqueKernelHandle thread(
        ::CreateThread(nullptr, 0, &COmbrelDlg::AgreementThreadProc, request.get(), 0, nullptr));
    if (thread) request.release();
}

DWORD WINAPI COmbrelDlg::AgreementThreadProc(LPVOID param) {
    std::unique_ptr<AgreementRequest> request(static_cast<AgreementRequest*>(param));
    // The thread only reads; the panel applies the answer on its own thread.
    const bool agreed = ::SendMessageW(request->checkBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
    DWORD start = 0;
    const bool readOk = ReadUsbStorStart(&start);
    ::PostMessageW(request->panel, WM_AGREEMENT_STATE, request->click,
                   ButtonsFor(agreed, readOk, start));
    return 1;
}

void COmbrelDlg::OnTimer(UINT_PTR id) {
    if (id == kHoverTimer) {
        POINT cursor;
        ::GetCursorPos(&cursor);
        m_agreementLink.UpdateHover(cursor.x, cursor.y);
    } else if (id == kUpdateTimer) {
        KillTimer(kUpdateTimer);
        // Without a thread there is no update check: the query must not stall this thread.
        m_updateQuery.Start(m_feedback, m_hWnd, WM_UPDATE_ANSWER);
    } else if (id == kUpdateRetryTimer) {
        ShowUpdateNoticeWhenIdle();
    } else if (id == kPrepareResultTimer) {
        KillTimer(kPrepareResultTimer);
        const TimedStep step("prepare-result");
        PreparePromptFrame(m_keptPictures, m_fScale);
    }
}

void COmbrelDlg::OnUpdateAnswer(int answer) {
    if (answer != kUpdateAvailable) return;
    m_updateWaiting = true;
    ShowUpdateNoticeWhenIdle();
}

// A switch, a prompt, the closing question and the About box each disable the panel or
// the main window while they are open.
bool COmbrelDlg::IsIdle() const {
    return !m_switchFlowOpen && IsWindowEnabled() && ::IsWindowEnabled(Owner());
}

void COmbrelDlg::ShowUpdateNoticeWhenIdle() {
    if (!m_updateWaiting) return;
    if (!IsIdle()) {
        SetTimer(kUpdateRetryTimer, kTimerMs);
        return;
    }
    KillTimer(kUpdateRetryTimer);
    m_updateWaiting = false;
    CPromptDlg notice(this);
    notice.SetScale(m_fScale);
    notice.UseKeptPictures(&m_keptPictures);
    notice.SetPromptText(kUpdateNotice);
    notice.SetPromptType(kPromptNotice);
    notice.DoModal();
    m_feedback.OpenToolDownUrl();
    std::exit(0);
}

void COmbrelDlg::OnLinkClick(POINT clientPoint) {
    POINT screen = clientPoint;
    ::ClientToScreen(m_hWnd, &screen);
    if (m_feedbackLink.IsPointInside(screen.x, screen.y)) {
        m_feedback.FeedbackQuestion(kToolId, kToolVersion);
    }
    if (m_agreementLink.IsPointInside(screen.x, screen.y)) m_feedback.OpenUseAgreementUrl();
}

void COmbrelDlg::OnDestroy() {
    CLayeredInnerDlg::OnDestroy();
    for (CSkinButton* button :
         std::initializer_list<CSkinButton*>{&m_closeButton, &m_minimiseButton, &m_disableButton,
                                             &m_enableButton, &m_moreToolsButton}) {
        button->FreeStateImages();
    }
    KillTimer(kHoverTimer);
    KillTimer(kUpdateRetryTimer);
    KillTimer(kPrepareResultTimer);
    m_pExecutePromptDlg.reset();
    // The hook first: this thread serves it, and it is about to wait for the update query.
    m_mouseHook.Uninstall();
    if (m_updateQuery.Wait()) {
        m_feedback.Free();
    } else {
        m_feedback.LeaveLoaded();  // the query still runs inside the library
    }
}
