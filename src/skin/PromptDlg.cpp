#include "skin/PromptDlg.h"

namespace {

int Truncate(float value) { return static_cast<int>(value); }

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

void LoadFaces(CPngButton& button, const ButtonFaces& faces) {
    button.LoadStateImages(faces.normal, faces.hover, faces.pressed, faces.disabled);
}

// Sizes at scale 1.0, in pixels of the inner window.
const int kCloseRightInset = 26;
const int kCloseTop = 8;
const int kCloseSize = 12;
const int kButtonTop = 107;
const int kButtonWidth = 55;
const int kButtonHeight = 24;
const int kButtonGap = 12;  // from the centre line to the nearer edge of either button
const int kTextInset = 10;
const int kTextTop = 30;
const int kTextBottomInset = 40;

// The slices of the inner picture behind each button.
const RECT kCloseSlice = {321, 8, 333, 20};
const RECT kOkSlice = {106, 107, 161, 131};
const RECT kCancelSlice = {185, 107, 240, 131};

const int kTextAlignWrapped = 7;  // word-wrapped like an edit control, block centred

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

void CPromptChildDlg::SetUpButton(CPngButton& button, RECT backgroundSlice) {
    button.SetScale(m_fScale);
    button.SetBkImage(BackgroundImage());
    button.SetBkImageRect(backgroundSlice);
}

void CPromptChildDlg::LayoutControls(bool first) {
    const float s = m_fScale;
    const RECT client = GetClientRect();
    const PromptLook look = LookFor(m_promptType);
    if (first) {
        SetUpButton(m_closeButton, kCloseSlice);
        SetUpButton(m_okButton, kOkSlice);
        SetUpButton(m_cancelButton, kCancelSlice);
        LoadFaces(m_closeButton, kCloseFaces);
        LoadFaces(m_okButton, look.ok);
        LoadFaces(m_cancelButton, look.cancel);
        m_text.SetTextFont(0, 0);
        m_text.SetAlignMode(kTextAlignWrapped);
    }

    const int closeLeft = client.right - Truncate(s * kCloseRightInset);
    const int closeTop = client.top + Truncate(s * kCloseTop);
    m_closeButton.MoveWindow(RECT{closeLeft, closeTop, closeLeft + Truncate(s * kCloseSize),
                                  closeTop + Truncate(s * kCloseSize)});

    const int half = (client.right - client.left) / 2;
    const int buttonTop = client.top + Truncate(s * kButtonTop);
    const int buttonWidth = Truncate(s * kButtonWidth);
    const int buttonHeight = Truncate(s * kButtonHeight);
    const int okLeft = look.okCentred ? Truncate(half - s * kButtonWidth / 2)
                                      : Truncate(half - s * kButtonWidth - s * kButtonGap);
    const int cancelLeft = Truncate(half + s * kButtonGap);
    m_okButton.MoveWindow(RECT{okLeft, buttonTop, okLeft + buttonWidth, buttonTop + buttonHeight});
    m_cancelButton.MoveWindow(
        RECT{cancelLeft, buttonTop, cancelLeft + buttonWidth, buttonTop + buttonHeight});
    m_okButton.ShowWindow(SW_SHOW);
    m_cancelButton.ShowWindow(look.cancelShown ? SW_SHOW : SW_HIDE);

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
