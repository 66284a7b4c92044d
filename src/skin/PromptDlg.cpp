#include "skin/PromptDlg.h"

#include "skin/Scaling.h"

namespace {

// Face pictures of a button in the order normal, hover, pressed, disabled. The answer
// buttons have no disabled face of their own and show the pressed one.
struct ButtonFaces {
    UINT normal, hover, pressed, disabled;
};

const ButtonFaces kCloseFaces = {IDB_PROMPT_CLOSE_NORMAL, IDB_PROMPT_CLOSE_HOVER,
                                 IDB_PROMPT_CLOSE_PRESSED, IDB_PROMPT_CLOSE_PRESSED};
const ButtonFaces kYesFaces = {IDB_YES_NORMAL, IDB_YES_HOVER, IDB_YES_PRESSED, IDB_YES_PRESSED};
const ButtonFaces kNoFaces = {IDB_NO_NORMAL, IDB_NO_HOVER, IDB_NO_PRESSED, IDB_NO_PRESSED};
const ButtonFaces kConfirmFaces = {IDB_CONFIRM_NORMAL, IDB_CONFIRM_HOVER, IDB_CONFIRM_PRESSED,
                                   IDB_CONFIRM_PRESSED};
const ButtonFaces kCancelFaces = {IDB_CANCEL_NORMAL, IDB_CANCEL_HOVER, IDB_CANCEL_PRESSED,
                                  IDB_CANCEL_PRESSED};

// How a prompt type looks: the captions are part of the pictures.
struct PromptLook {
    ButtonFaces ok;
    ButtonFaces cancel;
    bool cancelShown;
    bool okCentred;
};

PromptLook LookFor(int type) {
    switch (type) {
        case kPromptYesNoSingle:
            return {kYesFaces, kNoFaces, false, true};
        case kPromptYesNo:
            return {kYesFaces, kNoFaces, true, false};
        case kPromptNotice:
            return {kConfirmFaces, kCancelFaces, false, true};
        case kPromptQuestion:
            return {kConfirmFaces, kCancelFaces, true, false};
        default:
            // An unknown type keeps the two-button place for its one button.
            return {kYesFaces, kNoFaces, false, false};
    }
}

void SetUpButton(CPngButton& button, float scale, Gdiplus::Image* picture, const RECT& slice,
                 const ButtonFaces& faces) {
    button.SetScale(scale);
    button.SetBkImage(picture);
    button.SetBkImageRect(slice);
    button.LoadStateImages(faces.normal, faces.hover, faces.pressed, faces.disabled);
}

// The design at scale 1.0, in pixels of the inner window and its picture.
constexpr int kCloseRightInset = 26;  // from the right edge to the close button's left
constexpr int kCloseTop = 8;
constexpr int kCloseSize = 12;
constexpr int kButtonTop = 107;
constexpr int kButtonWidth = 55;
constexpr int kButtonHeight = 24;
constexpr int kButtonGap = 12;  // from the centre line to the nearer edge of either button
constexpr int kTextInset = 10;  // from the left and the right edge
constexpr int kTextTop = 30;
constexpr int kTextBottomInset = 40;

// The slices of the inner picture behind each button.
constexpr RECT kCloseSlice = {321, 8, 333, 20};
constexpr RECT kOkSlice = {106, 107, 161, 131};
constexpr RECT kCancelSlice = {185, 107, 240, 131};

}  // namespace

// ---- inner dialog ----

CPromptChildDlg::CPromptChildDlg(const LayeredPairParams& params, std::wstring text, int type)
    : CLayeredInnerDlg(params), m_promptText(std::move(text)), m_promptType(type) {}

void CPromptChildDlg::DoDataExchange() {
    Bind(IDC_PROMPT_CLOSE_BUTTON, m_closeButton);
    Bind(IDC_PROMPT_OK_BUTTON, m_okButton);
    Bind(IDC_PROMPT_CANCEL_BUTTON, m_cancelButton);
    Bind(IDC_PROMPT_TEXT, m_text);
}

void CPromptChildDlg::ConfigureControls() {
    const PromptLook look = LookFor(m_promptType);
    Gdiplus::Image* picture = BackgroundImage();
    SetUpButton(m_closeButton, m_fScale, picture, kCloseSlice, kCloseFaces);
    SetUpButton(m_okButton, m_fScale, picture, kOkSlice, look.ok);
    SetUpButton(m_cancelButton, m_fScale, picture, kCancelSlice, look.cancel);
    m_okButton.ShowWindow(SW_SHOW);
    m_cancelButton.ShowWindow(look.cancelShown ? SW_SHOW : SW_HIDE);
    m_text.SetTextFont(0, 0);
    m_text.SetAlignMode(TextAlign::EditBlockLeft);
}

void CPromptChildDlg::LayoutControls() {
    const RECT client = GetClientRect();
    PlaceCloseButton(client);
    PlaceAnswerButtons(client);
    PlaceText(client);
}

void CPromptChildDlg::PlaceCloseButton(const RECT& client) {
    const float s = m_fScale;
    const int left = client.right - Truncate(s * kCloseRightInset);
    const int top = client.top + Truncate(s * kCloseTop);
    m_closeButton.MoveWindow(
        RECT{left, top, left + Truncate(s * kCloseSize), top + Truncate(s * kCloseSize)});
}

void CPromptChildDlg::PlaceAnswerButtons(const RECT& client) {
    const float s = m_fScale;
    const int half = (client.right - client.left) / 2;
    const int top = client.top + Truncate(s * kButtonTop);
    const int width = Truncate(s * kButtonWidth);
    const int height = Truncate(s * kButtonHeight);
    const int okLeft = LookFor(m_promptType).okCentred
                           ? Truncate(half - s * kButtonWidth / 2)
                           : Truncate(half - s * kButtonWidth - s * kButtonGap);
    const int cancelLeft = Truncate(half + s * kButtonGap);
    m_okButton.MoveWindow(RECT{okLeft, top, okLeft + width, top + height});
    m_cancelButton.MoveWindow(RECT{cancelLeft, top, cancelLeft + width, top + height});
}

// The text is set again before every move: a visible static repaints at once then, at its
// old size, and the prompt has always shown the text placed by that paint.
void CPromptChildDlg::PlaceText(const RECT& client) {
    const float s = m_fScale;
    m_text.SetWindowText(m_promptText);
    m_text.MoveWindow(RECT{
        client.left + Truncate(s * kTextInset), client.top + Truncate(s * kTextTop),
        client.right - Truncate(s * kTextInset), client.bottom - Truncate(s * kTextBottomInset)});
}

bool CPromptChildDlg::OnCommand(UINT id, UINT code, HWND /*control*/) {
    if (code != BN_CLICKED) return false;
    // The outer dialog ends the pair; the inner only tells it how.
    const HWND outer = ::GetWindow(m_hWnd, GW_OWNER);
    switch (id) {
        case IDC_PROMPT_CLOSE_BUTTON:
            ::SendMessageW(outer, WM_CLOSE, 0, 0);
            return true;
        case IDC_PROMPT_OK_BUTTON:
            ::SendMessageW(outer, WM_PROMPT_RESULT, IDOK, 0);
            return true;
        case IDC_PROMPT_CANCEL_BUTTON:
            ::SendMessageW(outer, WM_PROMPT_RESULT, IDCANCEL, 0);
            return true;
        default:
            return false;
    }
}

void CPromptChildDlg::OnDestroy() {
    m_closeButton.FreeStateImages();
    m_okButton.FreeStateImages();
    m_cancelButton.FreeStateImages();
    CLayeredInnerDlg::OnDestroy();
}

// ---- outer dialog ----

CPromptDlg::CPromptDlg(CWnd* parent) : CPromptDlg(kPromptPair, parent) {}

CPromptDlg::CPromptDlg(const LayeredPairParams& params, CWnd* parent)
    : CLayeredOuterDlg(params, parent) {}

std::unique_ptr<CLayeredInnerDlg> CPromptDlg::CreateInner() {
    return std::make_unique<CPromptChildDlg>(m_params, m_promptText, m_promptType);
}

BOOL CPromptDlg::OnInitDialog() {
    CLayeredOuterDlg::OnInitDialog();
    // Without its inner window the prompt has nothing to show and no button to answer
    // with: it would sit invisible with its owner disabled. It ends unanswered instead.
    if (Inner() == nullptr || !Inner()->IsWindow()) EndDialog(IDCANCEL);
    return TRUE;
}

bool CPromptDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != WM_PROMPT_RESULT) {
        return CLayeredOuterDlg::OnMessage(message, wParam, lParam, result);
    }
    if (wParam == IDOK) {
        OnOK();
    } else {
        OnCancel();
    }
    result = 0;
    return true;
}

INT_PTR ShowPrompt(const std::wstring& text, int type, float scale, CWnd* parent) {
    CPromptDlg prompt(parent);
    prompt.SetScale(scale);
    prompt.SetPromptText(text);
    prompt.SetPromptType(type);
    return prompt.DoModal();
}
