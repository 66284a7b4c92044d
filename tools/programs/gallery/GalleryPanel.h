#pragma once
// The control panel's controls on the main window's frame, laid out as the panel lays them
// out, in the states a user meets first: Disable live, Enable disabled, the agreement
// checked. A picture of the controls, not the panel: no checks, no timers, no switching.

#include <memory>

#include "skin/CheckBoxBtn.h"
#include "skin/DrawTextStatic.h"
#include "skin/ImageButton.h"
#include "skin/LayeredPair.h"
#include "skin/PngButton.h"

class CGalleryPanel : public CLayeredInnerDlg {
public:
    CGalleryPanel();

    // The Disable button's window, for hovering over it.
    HWND DisableButton() const { return m_disable.GetSafeHwnd(); }

protected:
    void DoDataExchange() override;
    void ConfigureControls() override;
    void LayoutControls() override;
    void OnDestroy() override;

private:
    void SetUpLink(CDrawTextStatic& link);

    CPngButton m_close;
    CPngButton m_minimise;
    CImageButton m_disable;
    CImageButton m_enable;
    CImageButton m_moreTools;
    CCheckBoxBtn m_agree;
    CDrawTextStatic m_version;
    CDrawTextStatic m_agreement;
    CDrawTextStatic m_feedback;
};

// The main window's frame around a gallery panel, centred on the screen.
class CGalleryMainWindow : public CLayeredOuterDlg {
public:
    CGalleryMainWindow() : CLayeredOuterDlg(kMainPair) {}

    CGalleryPanel* Panel() const { return static_cast<CGalleryPanel*>(Inner()); }

protected:
    std::unique_ptr<CLayeredInnerDlg> CreateInner() override {
        return std::make_unique<CGalleryPanel>();
    }
    RECT TargetRect(const RECT& /*windowRect*/) const override { return ScreenCentredTarget(); }
    RECT FirstInnerFrame(const RECT& /*pushedWindow*/, const RECT& target) const override {
        return target;
    }
};
