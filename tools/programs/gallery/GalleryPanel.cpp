#include "gallery/GalleryPanel.h"

#include <string>

#include "app/PanelDesign.h"
#include "resource.h"
#include "skin/ResourceImage.h"
#include "skin/Scaling.h"
#include "win/Gdi.h"

namespace {

namespace design = panel_design;

// The panel's fractional insets as the gallery has always scaled them, in float.
const float kCloseRightInset = static_cast<float>(design::kCloseRightInset);
const float kMinimiseRightInset = static_cast<float>(design::kMinimiseRightInset);

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
    m_bDragging = true;  // the frame follows the panel's first placement, as in the tool
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
    m_version.SetBkImageRect(design::kVersionSlice);
    m_version.SetTextFont(0, 0);
    m_version.SetAlignMode(TextAlign::LineLeft);
    m_version.SetTextColors(kWhite, kWhite);

    m_disable.SetBkImage(background);
    m_disable.SetBkImageRect(design::kDisableSlice);
    m_disable.LoadStateImages(IDB_DISABLE_NORMAL, IDB_DISABLE_HOVER, IDB_DISABLE_PRESSED,
                              IDB_DISABLE_DISABLED);
    m_enable.SetBkImage(background);
    m_enable.SetBkImageRect(design::kEnableSlice);
    m_enable.LoadStateImages(IDB_ENABLE_NORMAL, IDB_ENABLE_HOVER, IDB_ENABLE_PRESSED,
                             IDB_ENABLE_DISABLED);
    m_enable.EnableButton(false);  // USB storage is enabled: only Disable is live
    m_moreTools.SetBkImage(background);
    m_moreTools.SetBkImageRect(design::kMoreToolsSlice);
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

    const int buttonWidth = Truncate(design::kWindowButtonWidth * s);
    const int buttonHeight = Truncate(design::kWindowButtonHeight * s);
    m_close.MoveWindow(
        At(Truncate(c.right - kCloseRightInset * s), c.top, buttonWidth, buttonHeight));
    m_minimise.MoveWindow(
        At(Truncate(c.right - kMinimiseRightInset * s), c.top, buttonWidth, buttonHeight));
    const RECT& v = design::kVersionSlice;
    m_version.MoveWindow(At(c.left + Truncate(v.left * s), c.top + Truncate(v.top * s),
                            Truncate((v.right - v.left) * s), Truncate((v.bottom - v.top) * s)));

    const int bigLeft =
        c.left + Truncate(design::kWidth * s / 2 - design::kSwitchButtonWidth * s / 2);
    const int bigWidth = Truncate(design::kSwitchButtonWidth * s);
    const int bigHeight = Truncate(design::kSwitchButtonHeight * s);
    const int middle = c.top + Truncate(design::kHeight * s / 2 - design::kDisableAboveMiddle * s);
    m_disable.MoveWindow(At(bigLeft, middle, bigWidth, bigHeight));
    m_enable.MoveWindow(
        At(bigLeft, c.top + Truncate(design::kHeight * s / 2), bigWidth, bigHeight));
    m_moreTools.MoveWindow(At(c.left + Truncate(design::kMoreToolsLeft * s),
                              c.bottom - Truncate(design::kMoreToolsAboveBottom * s),
                              Truncate(design::kMoreToolsWidth * s),
                              Truncate(design::kMoreToolsHeight * s)));

    // The bottom line: check box, agreement label and, at the right, the feedback link,
    // sized by their texts in the dialog's font.
    win::WindowDC dc(m_hWnd);
    const int agreementWidth =
        MeasureTextWidth(m_hWnd, dc.Get(), kAgree + m_agreement.GetWindowText(), 0, 0);
    const int n = agreementWidth / design::kLabelUnit;
    const int feedbackWidth =
        Truncate(MeasureTextWidth(m_hWnd, dc.Get(), m_feedback.GetWindowText(), 0, 0) +
                 design::kLinkScaledPadding * s + design::kLinkPadding + design::kRowGap);
    const int lineTop = Truncate(c.bottom - design::kRowAboveBottom * s);
    const int lineBottom = Truncate(lineTop + design::kRowHeight * s);
    const int checkLeft = Truncate(design::kCheckLeft * s);
    const int checkRight = Truncate(checkLeft + design::kCheckBoxWidth * s +
                                    design::kCheckGrowthPerLabelUnit * n + design::kCheckPadding);
    m_agree.MoveWindow(RECT{checkLeft, lineTop, checkRight, lineBottom});
    const int agreementLeft = checkRight + design::kRowGap;
    m_agreement.MoveWindow(
        RECT{agreementLeft, lineTop, agreementLeft + design::kLabelUnit * n, lineBottom});
    const int feedbackLeft = c.right - feedbackWidth - design::kRowGap;
    m_feedback.MoveWindow(RECT{feedbackLeft, lineTop, feedbackLeft + feedbackWidth, lineBottom});
}

void CGalleryPanel::OnDestroy() {
    for (CSkinButton* button : std::initializer_list<CSkinButton*>{
             &m_close, &m_minimise, &m_disable, &m_enable, &m_moreTools}) {
        button->FreeStateImages();
    }
    CLayeredInnerDlg::OnDestroy();
}
