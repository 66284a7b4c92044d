#include "app/TovricOmbrelDlg.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "app/AboutDlg.h"
#include "app/OwnDirectory.h"
#include "feedback/ProblemSolvingFeedbackDlg.h"
#include "resource.h"
#include "storage/OmbrelDlg.h"
#include "system/CommandRunner.h"
#include "system/Wow64Redirection.h"

namespace {

const wchar_t kTitle[] = L"Ombrel";

// What a directory of the tool's own may hold besides the program itself.
const wchar_t* const kCompanionFiles[] = {L"HarvaneFeedbackInformation.dll",
                                          L"HarvaneFeedbackInformation.ini"};

}  // namespace

CTovricOmbrelDlg::CTovricOmbrelDlg(CWnd* parent)
    : CLayeredOuterDlg(kMainPair, parent),
      m_hIcon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

CTovricOmbrelDlg::~CTovricOmbrelDlg() { DestroyWindow(); }

COmbrelDlg* CTovricOmbrelDlg::Panel() const { return static_cast<COmbrelDlg*>(Inner()); }

std::unique_ptr<CLayeredInnerDlg> CTovricOmbrelDlg::CreateInner() {
    return std::make_unique<COmbrelDlg>();
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
    return CLayeredOuterDlg::OnInitDialog();
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
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int iconWidth = ::GetSystemMetrics(SM_CXICON);
    const int iconHeight = ::GetSystemMetrics(SM_CYICON);
    const RECT client = GetClientRect();
    ::DrawIcon(dc, (client.right - iconWidth + 1) / 2, (client.bottom - iconHeight + 1) / 2,
               m_hIcon);
    ::EndPaint(m_hWnd, &paint);
}

void CTovricOmbrelDlg::OnDestroy() {
    CLayeredOuterDlg::OnDestroy();
    RemoveOwnDirectory();
}

int CTovricOmbrelDlg::RemoveOwnDirectory() {
    const std::wstring directory = ProgramDirectory();
    std::vector<std::wstring> ownFiles = {ProgramFileName()};
    ownFiles.insert(ownFiles.end(), std::begin(kCompanionFiles), std::end(kCompanionFiles));
    // Removing a folder that is not the tool's own would destroy the user's files.
    if (!IsRemovableOwnDirectory(directory, ownFiles)) return 1;

    // The system's own interpreter by full path, started in the system folder: one
    // planted beside the program must never run elevated.
    RedirectionOff redirection(IsRunningOnWow64() == 1);
    if (!redirection.Ok()) return 1;
    const std::wstring systemDir = SystemDirectory();
    const std::wstring interpreter = systemDir + L"\\cmd.exe";
    ::ShellExecuteW(nullptr, L"open", interpreter.c_str(), RemovalParameters(directory).c_str(),
                    systemDir.c_str(), SW_HIDE);
    return 1;
}
