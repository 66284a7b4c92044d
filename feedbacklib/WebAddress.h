#pragma once
// Which addresses may be handed to the shell, and the feedback page's query.

#include <string>

// True for an http or https address with a host and no blanks, quotes or control
// characters (which could otherwise end the address inside a browser's command line).
bool IsWebAddress(const std::wstring& address);

// The UTF-8 bytes of `text`, with everything but letters, digits and "-._~" as %XX.
std::wstring PercentEncode(const std::wstring& text);

// `page` with "toolId" and "version" added to its query (before any fragment).
std::wstring WithToolQuery(const std::wstring& page, const std::wstring& toolId,
                           const std::wstring& version);
