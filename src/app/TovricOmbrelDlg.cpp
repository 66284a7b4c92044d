#include "app/TovricOmbrelDlg.h"

#include <string>
#include <vector>

#include "app/AboutDlg.h"
#include "app/OmbrelDlg.h"
#include "app/OwnDirectory.h"
#include "app/OwnDirectoryUse.h"
#include "feedback/ProblemSolvingFeedbackDlg.h"
#include "resource.h"
#include "skin/BackgroundDecode.h"
#include "system/ProcessFolders.h"
#include "win/Gdi.h"

namespace {

const wchar_t kTitle[] = L"Ombrel";

// What a directory of the tool's own may hold besides the program itself.
const wchar_t* const kCompanionFiles[] = {L"HarvaneFeedbackInformation.dll",
                                          L"HarvaneFeedbackInformation.ini"};

}  // namespace

CTovricOmbrelDlg::CTovricOmbrelDlg(OwnDirectoryUse* directoryUse, BackgroundDecode* firstPictures,
                                   CWnd* parent)
    : CLayeredOuterDlg(kMainPair, parent),
      m_directoryUse(directoryUse),
      m_firstPictures(firstPictures),
      m_hIcon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

CTovricOmbrelDlg::~CTovricOmbrelDlg() { DestroyWindow(); }

COmbrelDlg* CTovricOmbrelDlg::Panel() const { return static_cast<COmbrelDlg*>(Inner()); }

std::unique_ptr<CLayeredInnerDlg> CTovricOmbrelDlg::CreateInner() {
    auto panel = std::make_unique<COmbrelDlg>();
    if (m_firstPictures != nullptr) panel->SetBackgroundImage(m_firstPictures->Take(IDB_PANEL));
    return panel;
}

RECT CTovricOmbrelDlg::TargetRect(const RECT& /*windowRect*/) const {
    return ScreenCentredTarget();
}

RECT CTovricOmbrelDlg::FirstInnerFrame(const RECT& /*pushedWindow*/, const RECT& target) const {
    // The panel is placed on the centred rectangle and the frame follows it there.
    return target;
}

BOOL CTovricOmbrelDlg::OnInitDialog() {
    HMENU systemMenu = ::GetSystemMenu(m_hWnd, FALSE);
    wchar_t aboutText[128] = {};
    if (systemMenu != nullptr &&
        ::LoadStringW(::GetModuleHandleW(nullptr), IDS_ABOUTBOX, aboutText, 128) > 0) {
        ::AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, aboutText);
    }
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    SetWindowText(kTitle);
    m_fScale = ScreenScale();
    if (m_firstPictures != nullptr) SetBackgroundImage(m_firstPictures->Take(IDB_MAIN_FRAME));
    const BOOL result = CLayeredOuterDlg::OnInitDialog();
    // Without the frame's or the panel's picture nothing would show, and an elevated
    // process that no one sees could not be ended.
    COmbrelDlg* panel = Panel();
    if (panel == nullptr || !panel->IsLaidOut()) {
        if (panel != nullptr) panel->ShowWindow(SW_HIDE);
        COmbrelDlg::EndForMissingPicture(m_fScale);
    }
    return result;
}

bool CTovricOmbrelDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) != IDM_ABOUTBOX) return false;
            CAboutDlg().DoModal();
            return true;
        case WM_PAINT:
            if (!::IsIconic(m_hWnd)) return false;
            PaintMinimised();
            return true;
        case WM_QUERYDRAGICON:
            result = reinterpret_cast<LRESULT>(m_hIcon);
            return true;
        case WM_CLOSE:
            // Closing during a switch waits for its result; the panel closes again then.
            if (Panel() != nullptr && Panel()->PostponeClose()) return true;
            AskClosingQuestion();
            break;  // then the usual close: the modal run ends as cancelled
        default:
            break;
    }
    return CLayeredOuterDlg::OnMessage(message, wParam, lParam, result);
}

void CTovricOmbrelDlg::AskClosingQuestion() {
    COmbrelDlg* panel = Panel();
    if (panel == nullptr) return;
    // Owned by the panel, whichever window was active last: it shows above the panel,
    // and the panel takes no clicks while the question is open.
    CProblemSolvingFeedbackDlg question(panel);
    question.SetFeedbackBinding(panel->FeedbackBinding());
    question.SetToolInfoRecord(panel->ToolInfoRecord());
    question.DoModal();
}

void CTovricOmbrelDlg::PaintMinimised() {
    const win::PaintDC paint(m_hWnd);
    HDC dc = paint.Get();
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int iconWidth = ::GetSystemMetrics(SM_CXICON);
    const int iconHeight = ::GetSystemMetrics(SM_CYICON);
    const RECT client = GetClientRect();
    ::DrawIcon(dc, (client.right - iconWidth + 1) / 2, (client.bottom - iconHeight + 1) / 2,
               m_hIcon);
}

void CTovricOmbrelDlg::OnDestroy() {
    CLayeredOuterDlg::OnDestroy();
    RemoveOwnDirectory();
}

int CTovricOmbrelDlg::RemoveOwnDirectory() {
    // Another instance still running from this directory removes it when it ends.
    if (m_directoryUse == nullptr || !m_directoryUse->EndAndIsLast()) return 1;
    // Not started when the directory is not the tool's own alone: that would destroy the
    // user's files.
    StartFolderRemoval(PlanFolderRemoval(
        ProgramDirectory(), ProgramFileName(),
        std::vector<std::wstring>(std::begin(kCompanionFiles), std::end(kCompanionFiles))));
    return 1;
}
