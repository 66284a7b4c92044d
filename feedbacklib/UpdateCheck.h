#pragma once
// Reads the update manifest and compares versions.
//
// The manifest is UTF-8 text with one "<tool id>=<latest version>" line per tool; blank
// lines and lines starting with '#' are skipped. Versions are dotted numbers compared
// part by part as numbers, missing parts counting as 0 (1.0.21.517 < 1.0.21.1000).

#include <string>

#include "HttpGet.h"

// -1, 0 or 1 as `a` is older than, equal to or newer than `b`; false when either is not a
// dotted number.
bool CompareVersions(const std::wstring& a, const std::wstring& b, int& order);

// The version the manifest gives for `toolId`; false when it names none.
bool FindLatestVersion(const std::string& manifest, const std::wstring& toolId,
                       std::wstring& version);

// TOOL_VERSION_NEWER, _CURRENT or _UNKNOWN for the manifest answer and the running version.
int JudgeUpdate(const HttpAnswer& answer, const std::wstring& toolId, const std::wstring& version);
