#include "HttpGet.h"

#include <winhttp.h>

#include "win/UniqueHandle.h"

namespace {

struct InternetHandleTraits {
    using Handle = HINTERNET;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::WinHttpCloseHandle(h); }
};
using UniqueInternet = win::UniqueHandle<InternetHandleTraits>;

// A manifest is a few lines; anything much larger is not one.
const size_t kMaxBodyBytes = 64 * 1024;

std::string ReadBody(HINTERNET request) {
    std::string body;
    char buffer[4096];
    for (;;) {
        DWORD read = 0;
        if (!::WinHttpReadData(request, buffer, sizeof(buffer), &read)) return std::string();
        if (read == 0) return body;
        body.append(buffer, read);
        if (body.size() > kMaxBodyBytes) return std::string();
    }
}

}  // namespace

HttpAnswer HttpGet(const std::wstring& address, DWORD timeoutMs) {
    HttpAnswer answer;
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!::WinHttpCrackUrl(address.c_str(), 0, 0, &parts)) return answer;
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    if (!secure && parts.nScheme != INTERNET_SCHEME_HTTP) return answer;
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    // The path and the query follow each other in the address.
    std::wstring path =
        parts.lpszUrlPath == nullptr
            ? std::wstring()
            : std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength + parts.dwExtraInfoLength);
    if (path.empty()) path = L"/";

    UniqueInternet session(::WinHttpOpen(L"HarvaneFeedbackInformation",
                                         WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                         WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return answer;
    // No limit on name resolution: with one, some WinHTTP implementations resolve on a
    // pool thread that can outlive the module (and crash once the library is freed).
    // Without one it runs on this thread, which keeps both loaded.
    const int timeout = static_cast<int>(timeoutMs);
    ::WinHttpSetTimeouts(session.Get(), 0, timeout, timeout, timeout);
    UniqueInternet connection(::WinHttpConnect(session.Get(), host.c_str(), parts.nPort, 0));
    if (!connection) return answer;
    UniqueInternet request(::WinHttpOpenRequest(connection.Get(), L"GET", path.c_str(), nullptr,
                                                WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request) return answer;
    if (!::WinHttpSendRequest(request.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                              WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !::WinHttpReceiveResponse(request.Get(), nullptr)) {
        return answer;
    }
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!::WinHttpQueryHeaders(request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                               WINHTTP_HEADER_NAME_BY_INDEX, &status, &size,
                               WINHTTP_NO_HEADER_INDEX)) {
        return answer;
    }
    answer.answered = true;
    answer.status = status;
    if (status == HTTP_STATUS_OK) answer.body = ReadBody(request.Get());
    return answer;
}
