#pragma once
// COmbrelDlg: the control panel, the tool's face. The controls layer of the main window
// pair: the Disable and Enable buttons, the agreement check box and its label, the
// version line, the feedback link and the window buttons. It runs the start-up checks,
// the switch flows and every call into the feedback library but the closing question.

#include <windows.h>

#include <memory>
#include <string>

#include "app/MouseHook.h"
#include "feedback/FeedbackLibrary.h"
#include "feedback/UpdateQuery.h"
#include "skin/CheckBoxBtn.h"
#include "skin/DrawTextStatic.h"
#include "skin/ExecutePromptDlg.h"
#include "skin/ImageButton.h"
#include "skin/LayeredPair.h"
#include "skin/PngButton.h"
#include "storage/StorageSwitch.h"
#include "win/PrivateMessages.h"

class COmbrelDlg : public CLayeredInnerDlg {
public:
    COmbrelDlg();
    ~COmbrelDlg() override;

    CFeedbackLibrary* FeedbackBinding() { return &m_feedback; }
    ToolInfo* ToolInfoRecord() { return &m_toolInfo; }

    // True while a switch is asked for, runs or shows its result: the close request is then
    // kept, and the panel closes its owner again once the result prompt has been closed.
    // False when nothing runs and the window may close now.
    bool PostponeClose();

    // What the two big buttons show, from the check box and the "Start" value. With the
    // box ticked and nothing read, they show what they offered last.
    enum AgreementState : LPARAM { kKeepButtons, kBothDisabled, kOfferDisable, kOfferEnable };
    static AgreementState ButtonsFor(bool agreed, bool readOk, DWORD start);

    // Logs the missing picture and ends the process after telling the user: a window
    // without its picture is invisible, and nothing could end the elevated process.
    static void EndForMissingPicture(float scale);

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    void ConfigureControls() override;
    void LayoutControls() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnTimer(UINT_PTR id) override;
    void OnDestroy() override;

private:
    struct SwitchFlow;
    static const SwitchFlow kDisableFlow;
    static const SwitchFlow kEnableFlow;

    void PlaceWindowButtons(const RECT& client);
    void PlaceVersionLine(const RECT& client);
    void PlaceSwitchButtons(const RECT& client);
    RECT MoreToolsRect(const RECT& client) const;
    void PlaceAgreementRow(const RECT& client);
    void StartupCheck();
    static void FailStartup(const wchar_t* logText, const wchar_t* promptText, float scale);
    void ApplyButtons(AgreementState state);
    void RunSwitch(const SwitchFlow& flow, CImageButton& button);
    void EndSwitchFlow();
    void StartAgreementThread();
    static DWORD WINAPI AgreementThreadProc(LPVOID param);
    void OnUpdateAnswer(int answer);
    void ShowUpdateNoticeWhenIdle();
    bool IsIdle() const;
    void OnLinkClick(POINT clientPoint);
    LRESULT OnCloseProgress();
    LRESULT OnSwitchResult(WPARAM code, LPARAM detail);
    void ShowNotice(const std::wstring& text);
    HWND Owner() const { return ::GetWindow(m_hWnd, GW_OWNER); }

    CImageButton m_disableButton;
    CImageButton m_enableButton;
    CDrawTextStatic m_versionText;
    CPngButton m_closeButton;
    CPngButton m_minimiseButton;
    CImageButton m_moreToolsButton;
    CCheckBoxBtn m_agreeCheck;
    CDrawTextStatic m_agreementLink;
    CDrawTextStatic m_feedbackLink;
    CMouseHook m_mouseHook;
    CStorageSwitch m_switch;
    std::unique_ptr<CExecutePromptDlg> m_pExecutePromptDlg;
    bool m_switchFlowOpen = false;  // from the click to the result prompt's end
    bool m_closePostponed = false;
    CFeedbackLibrary m_feedback;
    CUpdateQuery m_updateQuery;  // after the library: it ends before the library is freed
    ToolInfo m_toolInfo = {};
    WPARAM m_agreementClicks = 0;  // the newest click; older threads' answers are stale
    // Which big buttons the ticked box leaves live: the last "Start" read, or the
    // template's state while nothing could be read.
    bool m_offerDisable = true;
    bool m_offerEnable = true;
    bool m_updateWaiting = false;  // a newer version waits for the panel to be idle
};
