#pragma once
// The waiting window shown while a switch runs: a white text with a run of animated dots
// on a small skinned pair. No buttons, no dragging, no keys, no closing from the system:
// it ends only when its owner sends WM_CLOSE_PROGRESS, and DoModal then answers IDOK.

#include <windows.h>

#include <memory>
#include <string>

#include "skin/DrawStateInfoStatic.h"
#include "skin/LayeredPair.h"
#include "win/PrivateMessages.h"

class CExecutePromptChildDlg : public CLayeredInnerDlg {
public:
    explicit CExecutePromptChildDlg(const LayeredPairParams& params);

    // A text shorter than two characters shows the default waiting text.
    void SetPromptText(std::wstring text) { m_promptText = std::move(text); }
    void StopAnimation();

protected:
    void DoDataExchange() override;
    void ConfigureControls() override;
    void LayoutControls() override;
    void OnDestroy() override;

private:
    CDrawStateInfoStatic m_text;
    std::wstring m_promptText;
};

class CExecutePromptDlg : public CLayeredOuterDlg {
public:
    explicit CExecutePromptDlg(CWnd* parent = nullptr);

    // Set before DoModal; the text cannot change while the dialog is shown.
    void SetPromptText(std::wstring text) { m_promptText = std::move(text); }

protected:
    // Another set of templates and pictures (tests use it to take a picture away).
    explicit CExecutePromptDlg(const LayeredPairParams& params, CWnd* parent = nullptr);

    std::unique_ptr<CLayeredInnerDlg> CreateInner() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // Esc, Enter, Alt+F4 and WM_CLOSE end nothing: while the worker runs, its owner must
    // stay disabled, or a second switch could start and the tool could close under it.
    void OnOK() override {}
    void OnCancel() override {}

private:
    void OnCloseProgress();

    std::wstring m_promptText;
};
