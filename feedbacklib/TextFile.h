#pragma once
// UTF-8 conversions and line writes for the library's own text files.

#include <windows.h>

#include <string>

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& bytes);

// Writes `line` and CR LF in UTF-8 with one write to a file opened for appending, so
// lines from several processes never interleave. False when not all was written.
bool WriteUtf8Line(HANDLE file, const std::wstring& line);
