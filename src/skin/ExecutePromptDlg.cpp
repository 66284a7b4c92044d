#include "skin/ExecutePromptDlg.h"

#include "skin/Scaling.h"

namespace {

const wchar_t kDefaultText[] = L"正在修复，请稍等";
const size_t kShortestOwnText = 2;

const COLORREF kTextColour = RGB(255, 255, 255);
// Sizes at scale 1.0: the text's distance from the left and right edges, and its height
// around the middle of the window.
constexpr int kTextInset = 10;
constexpr int kTextHeight = 40;
// The slice of the inner picture behind the text: at scale 1.0 exactly what lies there.
constexpr RECT kTextSlice = {10, 32, 194, 72};

}  // namespace

// ---- inner dialog ----

CExecutePromptChildDlg::CExecutePromptChildDlg(const LayeredPairParams& params)
    : CLayeredInnerDlg(params) {}

void CExecutePromptChildDlg::DoDataExchange() { Bind(IDC_PROGRESS_TEXT, m_text); }

void CExecutePromptChildDlg::ConfigureControls() {
    m_text.SetWindowText(m_promptText.size() >= kShortestOwnText ? m_promptText
                                                                 : std::wstring(kDefaultText));
    m_text.SetAlignMode(TextAlign::BlockCentred);
    m_text.SetFontColor(kTextColour);
    m_text.SetBkImage(BackgroundImage());
    m_text.SetBkImageRect(kTextSlice);
    m_text.SetTextFont(0, 0);
    m_text.StartDotAnimation();
}

// The text spans the window less its insets, its height centred on the middle.
void CExecutePromptChildDlg::LayoutControls() {
    const float s = m_fScale;
    const RECT client = GetClientRect();
    const int middle = client.top + (client.bottom - client.top) / 2;
    const int top = Truncate(middle - s * kTextHeight / 2);
    m_text.MoveWindow(RECT{Truncate(client.left + s * kTextInset), top,
                           Truncate(client.right - s * kTextInset),
                           Truncate(top + s * kTextHeight)});
}

void CExecutePromptChildDlg::StopAnimation() {
    // A control whose window is gone has no timer, and repainting it would repaint the
    // whole screen instead.
    if (m_text.IsWindow()) m_text.StopDotAnimation();
}

void CExecutePromptChildDlg::OnDestroy() {
    CLayeredInnerDlg::OnDestroy();
    m_text.ResetDots();
}

// ---- outer dialog ----

CExecutePromptDlg::CExecutePromptDlg(CWnd* parent) : CExecutePromptDlg(kProgressPair, parent) {}

CExecutePromptDlg::CExecutePromptDlg(const LayeredPairParams& params, CWnd* parent)
    : CLayeredOuterDlg(params, parent) {}

std::unique_ptr<CLayeredInnerDlg> CExecutePromptDlg::CreateInner() {
    auto inner = std::make_unique<CExecutePromptChildDlg>(m_params);
    inner->SetPromptText(m_promptText);
    return inner;
}

bool CExecutePromptDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != WM_CLOSE_PROGRESS) {
        return CLayeredOuterDlg::OnMessage(message, wParam, lParam, result);
    }
    OnCloseProgress();
    result = 0;
    return true;
}

void CExecutePromptDlg::OnCloseProgress() {
    // Ends also when the frame had no picture and no inner dialog was made.
    if (Inner() != nullptr) static_cast<CExecutePromptChildDlg*>(Inner())->StopAnimation();
    CLayeredOuterDlg::OnOK();
}
