#pragma once
// UTF-8 conversions and line appends for the library's own text files.

#include <windows.h>

#include <string>

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& bytes);

// Appends `line` and CR LF in UTF-8 with one write, creating the file when missing, so
// lines from several processes never interleave. False when nothing could be written.
bool AppendUtf8Line(const std::wstring& path, const std::wstring& line);

// Writes `line` and CR LF in UTF-8 with one write to a file opened for appending.
bool WriteUtf8Line(HANDLE file, const std::wstring& line);
