#pragma once
// CDialog: a dialog from a template, modal with its own message loop or modeless, with
// one virtual OnMessage that derived classes switch on (the message map).

#include <windows.h>

#include "win/SubclassWnd.h"
#include "win/Wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog until EndDialog; returns the code given to it, or -1 when the
    // window could not be created. The owner is disabled meanwhile.
    INT_PTR DoModal();
    // Creates the dialog modeless, owned by `owner`.
    bool Create(UINT templateId, CWnd* owner);
    // Modal: ends the loop with `result`. Modeless: destroys the window.
    void EndDialog(INT_PTR result);
    bool DestroyWindow();

    // Sees every message of the modal loop addressed to this dialog or its controls
    // before it is dispatched; true swallows it. The base does dialog keyboard navigation.
    virtual BOOL PreTranslateMessage(MSG* msg);

    // The dialog object behind a window, or null.
    static CDialog* FromHandle(HWND hWnd);

protected:
    // Base initialisation binds the controls (DoDataExchange). Returns TRUE to let the
    // system set the focus.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange() {}
    // Returns true when handled, with the message's result in `result`.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // A command other than IDOK and IDCANCEL; true when handled.
    virtual bool OnCommand(UINT /*id*/, UINT /*code*/, HWND /*control*/) { return false; }
    virtual void OnTimer(UINT_PTR /*id*/) {}
    virtual void OnDestroy() {}

    // Binds the template's control `id` to `control` (subclassing it).
    void Bind(int id, CSubclassWnd& control);
    // Centres over the owner, or over the work area when the owner is missing, hidden or
    // minimised.
    void CenterWindow();

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static bool WalkPreTranslate(MSG* msg);
    BOOL HandleInitDialog();
    HWND ModalOwner() const;

    UINT m_templateId;
    CWnd* m_pParentWnd;
    bool m_modal = false;
    bool m_endRequested = false;
    INT_PTR m_result = -1;
};

// The framework's dialog with extended features; here the same as CDialog.
using CDialogEx = CDialog;
