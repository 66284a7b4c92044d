#pragma once
// Who this tool is to the maker's feedback library; the version is also shown on the panel.

constexpr wchar_t kToolId[] = L"10119";
constexpr wchar_t kToolVersion[] = L"1.0.21.517";
