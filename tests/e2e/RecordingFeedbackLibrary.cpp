// A feedback library for the panel's scenarios. It records each call and the thread that
// made it (the address's length for OpenUrl) in "library-calls.txt" beside itself, holds
// its update query until the test sets the event below (at most 10 s), and always finds a
// newer version. It leaves the record's more-tools field without a terminator, as a
// careless library might.

#include <string>

#include "HarvaneFeedbackInformation.h"
#include "support/RecordBesideModule.h"

namespace {

const wchar_t kReleaseQueryEvent[] = L"OmbrelTestReleaseUpdateQuery";

// One line: the call, a blank and `detail`, by default the calling thread's id.
void Record(const std::string& call, DWORD detail = ::GetCurrentThreadId()) {
    const std::string line = call + " " + std::to_string(detail) + "\r\n";
    test::AppendToRecordBesideModule(L"library-calls.txt", line.data(),
                                     static_cast<DWORD>(line.size()));
}

}  // namespace

extern "C" {

int WINAPI InitFreedbackDll(ToolInfo* info) {
    for (wchar_t& c : info->moreToolsPage) c = L'm';
    lstrcpyW(info->moreSolutionsPage, L"https://solutions.example/");
    Record("init");
    return 1;
}

int WINAPI OpenUrl(BSTR address) {
    Record("open", ::SysStringLen(address));
    return 1;
}

int WINAPI GetToolIsNewVersion(const wchar_t*, const wchar_t*) {
    Record("query");
    HANDLE release = ::OpenEventW(SYNCHRONIZE, FALSE, kReleaseQueryEvent);
    if (release != nullptr) {
        ::WaitForSingleObject(release, 10000);
        ::CloseHandle(release);
    }
    Record("answer");
    return TOOL_VERSION_NEWER;
}

int WINAPI OpenToolDownUrl(void) {
    Record("download");
    return 1;
}

int WINAPI FeedbackQuestion(const wchar_t*, const wchar_t*) { return 1; }
int WINAPI GetInterNetState(void) { return 0; }
int WINAPI CustomerFeedback(const wchar_t*, const wchar_t*, int) { return 1; }
int WINAPI CustomerFeedbackEx(const wchar_t*, const wchar_t*, int, const wchar_t*) { return 1; }
int WINAPI WriteCustomerFeedbackInfoFile(void) { return 1; }
int WINAPI GetToolIsNewVersionDown(const wchar_t*, const wchar_t*) { return 0; }
int WINAPI OpenUseAgreementUrl(void) { return 1; }
}
