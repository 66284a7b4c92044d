#pragma once
// File helpers for tests: a temporary folder that removes itself, whole-file reads and
// writes, and where the test program lives.

#include <string>
#include <vector>

#include "system/FileHash.h"

namespace test {

class TempDir {
public:
    TempDir();  // a new, empty folder under the system's temporary folder
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::wstring& Path() const { return m_path; }  // without trailing backslash
    std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

void RemoveTree(const std::wstring& path);
bool Exists(const std::wstring& path);
std::string ReadBytes(const std::wstring& path);  // empty when missing
void WriteBytes(const std::wstring& path, const std::string& bytes);
std::wstring ProgramDirectory();
// The SHA-256 of the file, as a program carries the hash of its library; zeros when missing.
Sha256 FileSha256(const std::wstring& path);

// Splits on CR LF; a missing final line end leaves a last partial line.
std::vector<std::string> SplitLines(const std::string& text);

// The tool's log file `name` in C:\ProgramData\ToolLog, read as the tool writes it: one line
// each, decoded from code page 936, the time stamp's 30 characters left out.
std::vector<std::wstring> LogLines(const std::wstring& name);

}  // namespace test
