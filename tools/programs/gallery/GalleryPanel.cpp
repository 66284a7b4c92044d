#include "gallery/GalleryPanel.h"

#include <string>

#include "resource.h"
#include "skin/ResourceImage.h"
#include "win/Gdi.h"

namespace {

int Truncate(float value) { return static_cast<int>(value); }

const wchar_t kVersion[] = L"1.0.21.517";
const wchar_t kAgree[] = L"同意";
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kLinkColour = RGB(92, 92, 255);
const COLORREF kLinkHoverColour = RGB(0, 0, 255);

RECT At(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
}

}  // namespace

CGalleryPanel::CGalleryPanel() : CLayeredInnerDlg(kMainPair) {
    m_bDragging = 1;  // the frame follows the panel's first placement, as in the tool
}

void CGalleryPanel::DoDataExchange() {
    Bind(IDC_CLOSE_BUTTON, m_close);
    Bind(IDC_MINIMISE_BUTTON, m_minimise);
    Bind(IDC_DISABLE_BUTTON, m_disable);
    Bind(IDC_ENABLE_BUTTON, m_enable);
    Bind(IDC_MORE_TOOLS_BUTTON, m_moreTools);
    Bind(IDC_AGREE_CHECK, m_agree);
    Bind(IDC_VERSION_TEXT, m_version);
    Bind(IDC_AGREEMENT_LINK, m_agreement);
    Bind(IDC_FEEDBACK_LINK, m_feedback);
}

void CGalleryPanel::SetUpLink(CDrawTextStatic& link) {
    link.SetTextFont(0, 0);
    link.SetAlignMode(TextAlign::LineLeft);
    link.SetBkColor(kWhite);
    link.SetTextColors(kLinkColour, kLinkHoverColour);
}

void CGalleryPanel::ConfigureControls() {
    Gdiplus::Image* background = BackgroundImage();
    m_close.SetScale(m_fScale);
    m_close.LoadStateImages(IDB_CLOSE_NORMAL, IDB_CLOSE_HOVER, IDB_CLOSE_PRESSED,
                            IDB_CLOSE_DISABLED);
    m_minimise.SetScale(m_fScale);
    m_minimise.LoadStateImages(IDB_MINIMISE_NORMAL, IDB_MINIMISE_HOVER, IDB_MINIMISE_PRESSED,
                               IDB_MINIMISE_DISABLED);

    m_version.SetWindowText(kVersion);
    m_version.SetBkImage(background);
    m_version.SetBkImageRect({188, 16, 328, 31});
    m_version.SetTextFont(0, 0);
    m_version.SetAlignMode(TextAlign::LineLeft);
    m_version.SetTextColors(kWhite, kWhite);

    m_disable.SetBkImage(background);
    m_disable.SetBkImageRect({77, 240, 361, 287});
    m_disable.LoadStateImages(IDB_DISABLE_NORMAL, IDB_DISABLE_HOVER, IDB_DISABLE_PRESSED,
                              IDB_DISABLE_DISABLED);
    m_enable.SetBkImage(background);
    m_enable.SetBkImageRect({77, 300, 361, 347});
    m_enable.LoadStateImages(IDB_ENABLE_NORMAL, IDB_ENABLE_HOVER, IDB_ENABLE_PRESSED,
                             IDB_ENABLE_DISABLED);
    m_enable.EnableButton(false);  // USB storage is enabled: only Disable is live
    m_moreTools.SetBkImage(background);
    m_moreTools.SetBkImageRect({50, 545, 108, 563});
    m_moreTools.LoadStateImages(IDB_MORE_TOOLS_NORMAL, IDB_MORE_TOOLS_HOVER, IDB_MORE_TOOLS_PRESSED,
                                IDB_MORE_TOOLS_DISABLED);

    m_agree.SetParentFont();
    m_agree.SetScale(m_fScale);
    m_agree.SetCheck(BST_CHECKED);
    SetUpLink(m_agreement);
    SetUpLink(m_feedback);
}

void CGalleryPanel::LayoutControls() {
    const float s = m_fScale;
    const RECT c = GetClientRect();

    const int closeLeft = Truncate(c.right - 31.2f * s);
    m_close.MoveWindow(At(closeLeft, c.top, Truncate(26 * s), Truncate(34 * s)));
    const int minimiseLeft = Truncate(c.right - 59.8f * s);
    m_minimise.MoveWindow(At(minimiseLeft, c.top, Truncate(26 * s), Truncate(34 * s)));
    m_version.MoveWindow(At(c.left + Truncate(188 * s), c.top + Truncate(16 * s), Truncate(140 * s),
                            Truncate(15 * s)));

    const int bigLeft = c.left + Truncate(400 * s / 2 - 246 * s / 2);
    m_disable.MoveWindow(
        At(bigLeft, c.top + Truncate(600 * s / 2 - 60 * s), Truncate(246 * s), Truncate(47 * s)));
    m_enable.MoveWindow(
        At(bigLeft, c.top + Truncate(600 * s / 2), Truncate(246 * s), Truncate(47 * s)));
    m_moreTools.MoveWindow(At(c.left + Truncate(50 * s), c.bottom - Truncate(55 * s),
                              Truncate(58 * s), Truncate(18 * s)));

    // The bottom line: check box, agreement label and, at the right, the feedback link,
    // sized by their texts in the dialog's font.
    win::WindowDC dc(m_hWnd);
    const int agreementWidth =
        MeasureTextWidth(m_hWnd, dc.Get(), kAgree + m_agreement.GetWindowText(), 0, 0);
    const int n = agreementWidth / 14;
    const int feedbackWidth = Truncate(
        MeasureTextWidth(m_hWnd, dc.Get(), m_feedback.GetWindowText(), 0, 0) + 4 * s + 2 + 6);
    const int lineTop = Truncate(c.bottom - 25 * s);
    const int lineBottom = Truncate(lineTop + 20 * s);
    const int checkLeft = Truncate(8 * s);
    const int checkRight = Truncate(checkLeft + 16 * s + 2 * n + 2);
    m_agree.MoveWindow(RECT{checkLeft, lineTop, checkRight, lineBottom});
    m_agreement.MoveWindow(RECT{checkRight + 6, lineTop, checkRight + 6 + 14 * n, lineBottom});
    const int feedbackLeft = c.right - feedbackWidth - 6;
    m_feedback.MoveWindow(RECT{feedbackLeft, lineTop, feedbackLeft + feedbackWidth, lineBottom});
}

void CGalleryPanel::OnDestroy() {
    for (CSkinButton* button : std::initializer_list<CSkinButton*>{
             &m_close, &m_minimise, &m_disable, &m_enable, &m_moreTools}) {
        button->FreeStateImages();
    }
    CLayeredInnerDlg::OnDestroy();
}
