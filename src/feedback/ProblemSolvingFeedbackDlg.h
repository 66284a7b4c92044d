#pragma once
// The closing question: a draggable skinned pair that asks whether the tool solved the
// user's problem and hands the answer, or the wish for more solutions, to the feedback
// library. The question and the captions are part of the pictures.

#include <windows.h>

#include <array>
#include <memory>

#include "feedback/FeedbackLibrary.h"
#include "skin/ImageButton.h"
#include "skin/LayeredPair.h"
#include "skin/PngButton.h"

class CProblemSolvingFeedbackChildDlg : public CLayeredInnerDlg {
public:
    // Either pointer may be null; neither is owned.
    CProblemSolvingFeedbackChildDlg(const LayeredPairParams& params, CFeedbackLibrary* binding,
                                    ToolInfo* record);

protected:
    void DoDataExchange() override;
    void ConfigureControls() override;
    void LayoutControls() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnDestroy() override;

private:
    struct AnswerButton;
    // Top to bottom: solved, not solved, more solutions.
    std::array<AnswerButton, 3> AnswerButtons();
    void PlaceCloseButton(const RECT& client);
    void PlaceAnswerButtons(const RECT& client);
    // Records the answer (once per showing) and ends the pair.
    void Answer(int answer);
    void OpenMoreSolutions();

    CPngButton m_closeButton;
    CImageButton m_solvedButton;
    CImageButton m_unsolvedButton;
    CImageButton m_moreSolutionsButton;
    CFeedbackLibrary* const m_pBinding;
    ToolInfo* const m_pToolInfo;
    bool m_bAnswered = false;
};

class CProblemSolvingFeedbackDlg : public CLayeredOuterDlg {
public:
    explicit CProblemSolvingFeedbackDlg(CWnd* parent = nullptr);

    // The control panel's binding and record; not owned, set before DoModal.
    void SetFeedbackBinding(CFeedbackLibrary* binding) { m_pBinding = binding; }
    void SetToolInfoRecord(ToolInfo* record) { m_pToolInfo = record; }

protected:
    // Other templates and pictures (tests take a picture away).
    CProblemSolvingFeedbackDlg(const LayeredPairParams& params, CWnd* parent);

    // The pair's scale, measured when the window is initialised: from the screen.
    virtual float MeasureScale() const { return ScreenScale(); }

    std::unique_ptr<CLayeredInnerDlg> CreateInner() override;
    RECT TargetRect(const RECT& /*windowRect*/) const override { return ScreenCentredTarget(); }
    BOOL OnInitDialog() override;

private:
    CFeedbackLibrary* m_pBinding = nullptr;
    ToolInfo* m_pToolInfo = nullptr;
};
