#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <vector>

#include "resource.h"
#include "win/Dialog.h"

namespace {

// A handler that throws must not take the program down: the message it handled is lost,
// the dialog goes on.
TEST(ModalRun, ExceptionInAHandlerStopsAtTheMessageBoundary) {
    class ThrowingDialog : public CDialog {
    public:
        ThrowingDialog() : CDialog(IDD_ABOUTBOX) {}
        std::vector<UINT> commands;

    protected:
        BOOL OnInitDialog() override {
            CDialog::OnInitDialog();
            PostMessage(WM_COMMAND, IDRETRY);
            PostMessage(WM_COMMAND, IDOK);
            return TRUE;
        }
        void OnOK() override {
            commands.push_back(IDOK);
            CDialog::OnOK();
        }
        bool OnCommand(UINT id, UINT, HWND) override {
            commands.push_back(id);
            throw std::runtime_error("handler failed");
        }
    } dialog;
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ((std::vector<UINT>{IDRETRY, IDOK}), dialog.commands);
}

}  // namespace
