// A stand-in feedback library. Its initialisation answers STUB_INIT_RESULT (0: the tool's
// start-up refusal); OpenUrl appends each address to "opened.txt" in its own folder as a
// UTF-16 line, for a caller whose addresses no shell under test can carry (Wine's shell
// cannot open an address that fills a whole record field). Everything else does nothing.

#include <windows.h>

#include <string>

#include "HarvaneFeedbackInformation.h"
#include "support/RecordBesideModule.h"

extern "C" {

int WINAPI InitFreedbackDll(ToolInfo*) { return STUB_INIT_RESULT; }
int WINAPI FeedbackQuestion(const wchar_t*, const wchar_t*) { return 0; }
int WINAPI OpenUrl(BSTR address) {
    const std::wstring line = std::wstring(address, ::SysStringLen(address)) + L"\n";
    test::AppendToRecordBesideModule(L"opened.txt", line.data(),
                                     static_cast<DWORD>(line.size() * sizeof(wchar_t)));
    return 1;
}
int WINAPI GetInterNetState(void) { return 0; }
int WINAPI CustomerFeedback(const wchar_t*, const wchar_t*, int) { return 0; }
int WINAPI CustomerFeedbackEx(const wchar_t*, const wchar_t*, int, const wchar_t*) { return 0; }
int WINAPI WriteCustomerFeedbackInfoFile(void) { return 0; }
int WINAPI GetToolIsNewVersion(const wchar_t*, const wchar_t*) { return 0; }
int WINAPI GetToolIsNewVersionDown(const wchar_t*, const wchar_t*) { return 0; }
int WINAPI OpenToolDownUrl(void) { return 0; }
int WINAPI OpenUseAgreementUrl(void) { return 0; }
}
