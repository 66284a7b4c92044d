#include "feedback/ProblemSolvingFeedbackDlg.h"

#include <string>

#include "feedback/FeedbackTimeText.h"
#include "feedback/ToolIdentity.h"
#include "skin/Scaling.h"

namespace {

// The design at scale 1.0, in pixels of the inner window.
constexpr int kInnerWidth = 400;
constexpr int kInnerHeight = 468;
constexpr int kCloseRightInset = 18;  // from the right edge to the close button's left
constexpr int kCloseTop = 6;
constexpr int kCloseSize = 12;
constexpr int kAnswerWidth = 266;
constexpr int kAnswerHeight = 60;
constexpr int kAnswerStep = 80;  // from one answer button's top to the next one's
constexpr int kHitInset = 9;     // a release this near a button's edge is no answer

struct AnswerPlacement {
    RECT rect;
    RECT slice;  // of the inner picture, behind the button
    int hitInset;
};

// Where an answer button goes. `row` counts from the middle one (-1, 0, 1). In a window
// of the design width or narrower the button keeps its design size; a wider window is
// scaled, and then `leftTruncatedOnce` leaves the button a pixel further left at some
// scales than the others.
AnswerPlacement PlaceAnswer(const RECT& client, float s, int row, bool leftTruncatedOnce) {
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= kInnerWidth) {
        const int left = client.left + width / 2 - kAnswerWidth / 2;
        const int top = client.top + height / 2 + row * kAnswerStep;
        const RECT rect = {left, top, left + kAnswerWidth, top + kAnswerHeight};
        return {rect, rect, kHitInset};
    }
    const int left =
        client.left + (leftTruncatedOnce
                           ? Truncate(s * kInnerWidth / 2 - s * kAnswerWidth / 2)
                           : Truncate(s * kInnerWidth / 2) - Truncate(s * kAnswerWidth / 2));
    const int top = client.top + Truncate(s * kInnerHeight / 2) + row * Truncate(s * kAnswerStep);
    const int designLeft = kInnerWidth / 2 - kAnswerWidth / 2;
    const int designTop = kInnerHeight / 2 + row * kAnswerStep;
    return {{left, top, left + Truncate(s * kAnswerWidth), top + Truncate(s * kAnswerHeight)},
            {designLeft, designTop, designLeft + kAnswerWidth, designTop + kAnswerHeight},
            Truncate(s * kHitInset)};
}

}  // namespace

// An answer button with its row (-1, 0, 1 from the middle) and its faces: normal, hover,
// pressed, disabled.
struct CProblemSolvingFeedbackChildDlg::AnswerButton {
    CImageButton& button;
    int row;
    bool leftTruncatedOnce;
    UINT faces[4];
};

// ---- inner dialog ----

CProblemSolvingFeedbackChildDlg::CProblemSolvingFeedbackChildDlg(const LayeredPairParams& params,
                                                                 CFeedbackLibrary* binding,
                                                                 ToolInfo* record)
    : CLayeredInnerDlg(params), m_pBinding(binding), m_pToolInfo(record) {}

void CProblemSolvingFeedbackChildDlg::DoDataExchange() {
    Bind(IDC_FEEDBACK_CLOSE_BUTTON, m_closeButton);
    Bind(IDC_SOLVED_BUTTON, m_solvedButton);
    Bind(IDC_UNSOLVED_BUTTON, m_unsolvedButton);
    Bind(IDC_MORE_SOLUTIONS_BUTTON, m_moreSolutionsButton);
}

std::array<CProblemSolvingFeedbackChildDlg::AnswerButton, 3>
CProblemSolvingFeedbackChildDlg::AnswerButtons() {
    return {{
        {m_solvedButton,
         -1,
         true,
         {IDB_SOLVED_NORMAL, IDB_SOLVED_HOVER, IDB_SOLVED_PRESSED, IDB_SOLVED_DISABLED}},
        {m_unsolvedButton,
         0,
         false,
         {IDB_UNSOLVED_NORMAL, IDB_UNSOLVED_HOVER, IDB_UNSOLVED_PRESSED, IDB_UNSOLVED_DISABLED}},
        {m_moreSolutionsButton,
         1,
         false,
         {IDB_MORE_SOLUTIONS_NORMAL, IDB_MORE_SOLUTIONS_HOVER, IDB_MORE_SOLUTIONS_PRESSED,
          IDB_MORE_SOLUTIONS_DISABLED}},
    }};
}

void CProblemSolvingFeedbackChildDlg::ConfigureControls() {
    // No background slice: the close button fills its ground itself.
    m_closeButton.SetScale(m_fScale);
    m_closeButton.LoadStateImages(IDB_FEEDBACK_CLOSE_NORMAL, IDB_FEEDBACK_CLOSE_HOVER,
                                  IDB_FEEDBACK_CLOSE_PRESSED, IDB_FEEDBACK_CLOSE_DISABLED);
    // The answer buttons' slices and insets follow the size the window starts with.
    const RECT client = GetClientRect();
    for (AnswerButton& answer : AnswerButtons()) {
        const AnswerPlacement place =
            PlaceAnswer(client, m_fScale, answer.row, answer.leftTruncatedOnce);
        const int inset = place.hitInset;
        const UINT* faces = answer.faces;
        answer.button.SetBkImage(BackgroundImage());
        answer.button.SetBkImageRect(place.slice);
        answer.button.SetHitInsets(inset, inset, inset, inset);
        answer.button.LoadStateImages(faces[0], faces[1], faces[2], faces[3]);
    }
}

void CProblemSolvingFeedbackChildDlg::LayoutControls() {
    const RECT client = GetClientRect();
    PlaceCloseButton(client);
    PlaceAnswerButtons(client);
}

void CProblemSolvingFeedbackChildDlg::PlaceCloseButton(const RECT& client) {
    const float s = m_fScale;
    const int left = Truncate(client.right - kCloseRightInset * s);
    const int top = Truncate(client.top + kCloseTop * s);
    m_closeButton.MoveWindow(
        RECT{left, top, Truncate(left + kCloseSize * s), Truncate(top + kCloseSize * s)});
}

void CProblemSolvingFeedbackChildDlg::PlaceAnswerButtons(const RECT& client) {
    for (const AnswerButton& answer : AnswerButtons()) {
        answer.button.MoveWindow(
            PlaceAnswer(client, m_fScale, answer.row, answer.leftTruncatedOnce).rect);
    }
}

bool CProblemSolvingFeedbackChildDlg::OnCommand(UINT id, UINT code, HWND /*control*/) {
    if (code != BN_CLICKED) return false;
    switch (id) {
        case IDC_FEEDBACK_CLOSE_BUTTON:
            Answer(FEEDBACK_ANSWER_CLOSED);
            return true;
        // A click that ends near the edge of a big button, or one made with the keyboard
        // while the cursor is elsewhere, is no answer.
        case IDC_SOLVED_BUTTON:
            if (m_solvedButton.IsCursorInside()) Answer(FEEDBACK_ANSWER_SOLVED);
            return true;
        case IDC_UNSOLVED_BUTTON:
            if (m_unsolvedButton.IsCursorInside()) Answer(FEEDBACK_ANSWER_NOT_SOLVED);
            return true;
        case IDC_MORE_SOLUTIONS_BUTTON:
            OpenMoreSolutions();
            return true;
        default:
            return false;
    }
}

void CProblemSolvingFeedbackChildDlg::Answer(int answer) {
    // The library may run a message loop while it opens its page, and a second click
    // could arrive before the pair has ended: one showing gives one answer.
    if (m_bAnswered) return;
    m_bAnswered = true;
    if (m_pBinding != nullptr) {
        const std::wstring timeText = FeedbackTimeText();
        m_pBinding->CustomerFeedbackEx(kToolId, kToolVersion, answer, timeText.c_str());
        m_pBinding->FeedbackQuestion(kToolId, kToolVersion);
    }
    // The outer dialog ends the pair.
    ::SendMessageW(::GetWindow(m_hWnd, GW_OWNER), WM_CLOSE, 0, 0);
}

void CProblemSolvingFeedbackChildDlg::OpenMoreSolutions() {
    if (m_pBinding == nullptr || m_pToolInfo == nullptr) return;
    m_pBinding->OpenRecordAddress(m_pToolInfo->moreSolutionsPage);
}

void CProblemSolvingFeedbackChildDlg::OnDestroy() {
    m_closeButton.FreeStateImages();
    m_solvedButton.FreeStateImages();
    m_unsolvedButton.FreeStateImages();
    m_moreSolutionsButton.FreeStateImages();
    CLayeredInnerDlg::OnDestroy();
}

// ---- outer dialog ----

CProblemSolvingFeedbackDlg::CProblemSolvingFeedbackDlg(CWnd* parent)
    : CProblemSolvingFeedbackDlg(kFeedbackPair, parent) {}

CProblemSolvingFeedbackDlg::CProblemSolvingFeedbackDlg(const LayeredPairParams& params,
                                                       CWnd* parent)
    : CLayeredOuterDlg(params, parent) {}

std::unique_ptr<CLayeredInnerDlg> CProblemSolvingFeedbackDlg::CreateInner() {
    return std::make_unique<CProblemSolvingFeedbackChildDlg>(m_params, m_pBinding, m_pToolInfo);
}

BOOL CProblemSolvingFeedbackDlg::OnInitDialog() {
    SetWindowText(L"Ombrel");
    m_fScale = MeasureScale();
    CLayeredOuterDlg::OnInitDialog();
    // Without its inner window nothing could answer or close the question: it would sit
    // invisible with its owner disabled. It ends unanswered instead.
    if (Inner() == nullptr || !Inner()->IsWindow()) EndDialog(IDCANCEL);
    return TRUE;
}
