#pragma once
// Log texts and file names travel as code page 936 bytes on every system.

#include <string>

const unsigned kLogCodePage = 936;

std::string ToLogText(const std::wstring& text);
std::wstring FromLogText(const std::string& text);
