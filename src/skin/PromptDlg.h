#pragma once
// The tool's message box: a draggable skinned pair with one text, a close button and one
// or two answer buttons. DoModal answers IDOK for the OK button, IDCANCEL for the cancel
// and the close button.

#include <windows.h>

#include <memory>
#include <string>

#include "skin/DrawTextStatic.h"
#include "skin/LayeredPair.h"
#include "skin/PngButton.h"
#include "win/PrivateMessages.h"

// The prompt types the tool uses. Any other value shows the yes/no faces with a single
// button left of centre.
enum PromptType : int {
    kPromptYesNoSingle = 1,  // "是" alone, centred
    kPromptYesNo = 2,        // "是" and "否"
    kPromptNotice = 3,       // "确认" alone, centred
    kPromptQuestion = 4,     // "确认" and "取消"
};

class CPromptChildDlg : public CLayeredInnerDlg {
public:
    CPromptChildDlg(const LayeredPairParams& params, std::wstring text, int type);

protected:
    void DoDataExchange() override;
    void ConfigureControls() override;
    void LayoutControls() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnDestroy() override;

private:
    void PlaceCloseButton(const RECT& client);
    void PlaceAnswerButtons(const RECT& client);
    void PlaceText(const RECT& client);

    CPngButton m_closeButton;
    CPngButton m_okButton;
    CPngButton m_cancelButton;
    CDrawTextStatic m_text;
    const std::wstring m_promptText;
    const int m_promptType;
};

class CPromptDlg : public CLayeredOuterDlg {
public:
    explicit CPromptDlg(CWnd* parent = nullptr);

    void SetPromptText(std::wstring text) { m_promptText = std::move(text); }
    void SetPromptType(int type) { m_promptType = type; }

protected:
    // Another set of templates and pictures (tests use it to take a picture away).
    explicit CPromptDlg(const LayeredPairParams& params, CWnd* parent = nullptr);

    std::unique_ptr<CLayeredInnerDlg> CreateInner() override;
    RECT TargetRect(const RECT& /*windowRect*/) const override { return ScreenCentredTarget(); }
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    std::wstring m_promptText;
    int m_promptType = kPromptYesNoSingle;
};

// Shows `text` as a prompt of `type` at `scale` and waits for the answer.
INT_PTR ShowPrompt(const std::wstring& text, int type, float scale, CWnd* parent = nullptr);
