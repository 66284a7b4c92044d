#pragma once
// A skinned window is a pair of dialogs seen as one: a layered outer frame drawn from one
// PNG, and an inner dialog laid over it that carries the controls and paints its own
// background. The outer creates, places, moves and deletes the inner; dragging the inner's
// caption strip moves the outer along.

#include <windows.h>

#include <memory>

#include "skin/LayeredPairParams.h"
#include "skin/Scaling.h"
#include "win/Dialog.h"
#include "win/Gdiplus.h"

class CLayeredOuterDlg;

class CLayeredInnerDlg : public CDialog {
public:
    explicit CLayeredInnerDlg(const LayeredPairParams& params);

    void SetScale(float scale) { m_fScale = scale; }
    // A background picture decoded ahead; set before the window is created.
    void SetBackgroundImage(win::ImagePtr image) { m_pBkImage = std::move(image); }
    bool IsLaidOut() const { return m_bLaidOut; }
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    // Sets the controls up: once, at initialisation, before the first layout.
    virtual void ConfigureControls() {}
    // Places the controls: at initialisation, and again on every resize after that.
    virtual void LayoutControls() {}

    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnDestroy() override;
    // The pair ends through its outer dialog only: an inner that ended itself would leave
    // an empty frame on the screen, its owner still disabled.
    void OnOK() override {}
    void OnCancel() override {}

    // The background picture, loaded on first need; null while it cannot be loaded.
    // Controls may borrow it; the dialog keeps it until its window is destroyed.
    Gdiplus::Image* BackgroundImage();

    const LayeredPairParams m_params;
    float m_fScale = 1.0f;
    bool m_bLaidOut = false;
    bool m_bDragging = false;  // the most recent hit test found the caption strip

private:
    friend class CLayeredOuterDlg;  // links itself as the outer

    bool OnNcHitTest(POINT screenPoint, LRESULT& result);
    void OnMove();
    void PaintBackground(HDC hDC);

    win::ImagePtr m_pBkImage;
    CLayeredOuterDlg* m_pOuter = nullptr;
};

class CLayeredOuterDlg : public CDialog {
public:
    explicit CLayeredOuterDlg(const LayeredPairParams& params, CWnd* parent = nullptr);
    ~CLayeredOuterDlg() override;

    // Multiplies every pixel size and margin of the pair; set before the window is created.
    void SetScale(float scale) { m_fScale = scale; }
    // The frame's picture decoded ahead; set before the window is created.
    void SetBackgroundImage(win::ImagePtr image) { m_pBkImage = std::move(image); }
    float GetScale() const { return m_fScale; }
    // The inner dialog, or null before initialisation, without the outer picture and
    // after the windows are gone.
    CLayeredInnerDlg* Inner() const { return m_pInner.get(); }

    // Moves the outer window around the inner window's rectangle (screen coordinates):
    // the inner has been dragged and leads from now on. Returns 0.
    int FollowInnerRect(int left, int top, int right, int bottom);

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    // Makes the inner dialog object and hands it the instance's data. The base makes a
    // plain inner dialog with the pair's template and picture.
    virtual std::unique_ptr<CLayeredInnerDlg> CreateInner();
    // The rectangle whose size the layered picture takes: the design size at the window's
    // own position. Pairs that centre themselves override it (ScreenCentredTarget).
    virtual RECT TargetRect(const RECT& windowRect) const;
    // The rectangle the inner window is first inset into: the outer window once its picture
    // is pushed. The main window puts its panel on its centred target instead.
    virtual RECT FirstInnerFrame(const RECT& pushedWindow, const RECT& /*target*/) const {
        return pushedWindow;
    }
    // The design size centred on the primary screen.
    RECT ScreenCentredTarget() const;

    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnDestroy() override;

    const LayeredPairParams m_params;
    float m_fScale = 1.0f;
    bool m_bMoveInner;  // while set, moving the outer window moves the inner one

private:
    void PushPicture(const RECT& target, POINT position);
    void CreateInnerWindow(const RECT& frame);
    void OnMove();
    void RaiseInner();
    // The margins at this scale, each truncated on its own.
    PairMargins ScaledMargins() const;

    win::ImagePtr m_pBkImage;
    std::unique_ptr<CLayeredInnerDlg> m_pInner;
};
