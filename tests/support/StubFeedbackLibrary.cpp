// A stand-in feedback library. Its initialisation answers STUB_INIT_RESULT (0: the tool's
// start-up refusal); OpenUrl appends each address to "opened.txt" in its own folder as a
// UTF-16 line, for a caller whose addresses no shell under test can carry (Wine's shell
// cannot open an address that fills a whole record field). Everything else does nothing.

#include <windows.h>

#include <string>

#include "HarvaneFeedbackInformation.h"

namespace {

std::wstring RecordFile() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&RecordFile), &module);
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(module, path, MAX_PATH);
    const std::wstring library = path;
    return library.substr(0, library.rfind(L'\\')) + L"\\opened.txt";
}

}  // namespace

extern "C" {

int WINAPI InitFreedbackDll(ToolInfo*) { return STUB_INIT_RESULT; }
int WINAPI FeedbackQuestion(const wchar_t*, const wchar_t*) { return 0; }
int WINAPI OpenUrl(BSTR address) {
    const std::wstring line = std::wstring(address, ::SysStringLen(address)) + L"\n";
    HANDLE file = ::CreateFileW(RecordFile().c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ::WriteFile(file, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written,
                nullptr);
    ::CloseHandle(file);
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
