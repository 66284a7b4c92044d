#pragma once
// One HTTP GET with WinHTTP, for small text files.

#include <windows.h>

#include <string>

struct HttpAnswer {
    bool answered = false;  // the server sent a status line
    DWORD status = 0;
    std::string body;  // for status 200 only; empty when it was cut short or too large
};

// Fetches an http or https address; anything else is not requested at all. WinHTTP's own
// timeouts are set to `timeoutMs`, but they do not always hold: callers bound the wait.
HttpAnswer HttpGet(const std::wstring& address, DWORD timeoutMs);
