#pragma once
// Native controls of a dialog template, subclassed so that a C++ object sees their
// messages; CButton and CStatic are what the skinned controls derive from.

#include <windows.h>

#include "win/PrivateMessages.h"
#include "win/Wnd.h"

class CSubclassWnd : public CWnd {
public:
    ~CSubclassWnd() override;

    // Starts routing `hWnd`'s messages to this object; false when already bound.
    bool SubclassWindow(HWND hWnd);
    void UnsubclassWindow();

protected:
    // Returns true when handled, with the message's result in `result`.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    virtual void DrawItem(const DRAWITEMSTRUCT& /*item*/) {}
    // The control's own handling of a message.
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR refData);
};

class CButton : public CSubclassWnd {
public:
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int check) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }
};

class CStatic : public CSubclassWnd {};
