#pragma once
// Where ombrel's lines go: a console gets them through WriteConsoleW (any script shows
// as it should), a pipe or file gets UTF-8, whatever the system's code pages.

#include <windows.h>

#include <string>

class TextOutput {
public:
    virtual ~TextOutput() = default;
    virtual void Write(const std::wstring& text) = 0;
};

class StandardOutput : public TextOutput {
public:
    explicit StandardOutput(DWORD which) : m_handle(::GetStdHandle(which)) {}
    void Write(const std::wstring& text) override;

private:
    HANDLE m_handle;
};
