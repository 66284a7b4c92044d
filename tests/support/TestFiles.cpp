#include "support/TestFiles.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace test {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    wchar_t base[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, base);
    m_path = std::wstring(base) + L"ombrel-test-" + std::to_wstring(::GetCurrentProcessId()) +
             L"-" + std::to_wstring(counter++);
    RemoveTree(m_path);
    ::CreateDirectoryW(m_path.c_str(), nullptr);
}

TempDir::~TempDir() { RemoveTree(m_path); }

void RemoveTree(const std::wstring& path) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
}

Sha256 FileSha256(const std::wstring& path) {
    Sha256 hash = {};
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return hash;
    Sha256OfFile(file, hash);
    ::CloseHandle(file);
    return hash;
}

std::wstring ProgramDirectory() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path);
    return directory.substr(0, directory.rfind(L'\\'));
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0, end = 0; start < text.size(); start = end + 2) {
        end = std::min(text.find("\r\n", start), text.size());
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

std::vector<std::wstring> LogLines(const std::wstring& name) {
    wchar_t common[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"ProgramData", common, MAX_PATH);
    std::vector<std::wstring> lines;
    for (const std::string& line :
         SplitLines(ReadBytes(std::wstring(common) + L"\\ToolLog\\" + name))) {
        std::wstring text(line.size(), L'\0');
        text.resize(::MultiByteToWideChar(936, 0, line.data(), static_cast<int>(line.size()),
                                          &text[0], static_cast<int>(text.size())));
        lines.push_back(text.size() > 30 ? text.substr(30) : std::wstring());
    }
    return lines;
}

}  // namespace test
