// A feedback library whose initialisation always fails, for the tool's start-up refusal.
// Every other entry point does nothing.

#include "HarvaneFeedbackInformation.h"

extern "C" {

int WINAPI InitFreedbackDll(ToolInfo*) { return 0; }
int WINAPI FeedbackQuestion(const wchar_t*, const wchar_t*) { return 0; }
int WINAPI OpenUrl(BSTR) { return 0; }
int WINAPI GetInterNetState(void) { return 0; }
int WINAPI CustomerFeedback(const wchar_t*, const wchar_t*, int) { return 0; }
int WINAPI CustomerFeedbackEx(const wchar_t*, const wchar_t*, int, const wchar_t*) { return 0; }
int WINAPI WriteCustomerFeedbackInfoFile(void) { return 0; }
int WINAPI GetToolIsNewVersion(const wchar_t*, const wchar_t*) { return 0; }
int WINAPI GetToolIsNewVersionDown(const wchar_t*, const wchar_t*) { return 0; }
int WINAPI OpenToolDownUrl(void) { return 0; }
int WINAPI OpenUseAgreementUrl(void) { return 0; }
}
