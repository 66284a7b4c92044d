#pragma once
// CTovricOmbrelDlg: the main window, the layered frame of the tool's face, centred on the
// screen and scaled to its DPI, with the control panel laid over it. Closing it asks the
// closing question; destroying it removes the program's own directory.

#include <windows.h>

#include "skin/LayeredPair.h"

class BackgroundDecode;
class COmbrelDlg;
class OwnDirectoryUse;

class CTovricOmbrelDlg : public CLayeredOuterDlg {
public:
    // `directoryUse` marks this process's use of the program's directory; without it the
    // directory is never removed. `firstPictures`, when given, holds the frame's and the
    // panel's pictures decoded ahead.
    explicit CTovricOmbrelDlg(OwnDirectoryUse* directoryUse,
                              BackgroundDecode* firstPictures = nullptr, CWnd* parent = nullptr);
    ~CTovricOmbrelDlg() override;

    // Starts the hidden removal of the program's directory when this is the last instance
    // using it; only a directory of the tool's own is ever removed. Returns 1.
    int RemoveOwnDirectory();

protected:
    std::unique_ptr<CLayeredInnerDlg> CreateInner() override;
    RECT TargetRect(const RECT& windowRect) const override;
    RECT FirstInnerFrame(const RECT& pushedWindow, const RECT& target) const override;
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnDestroy() override;

private:
    COmbrelDlg* Panel() const;
    void AskClosingQuestion();
    void PaintMinimised();

    OwnDirectoryUse* m_directoryUse;
    BackgroundDecode* m_firstPictures;
    HICON m_hIcon;
};
