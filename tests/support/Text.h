#pragma once

#include <string>

namespace test {

std::string Utf8(const std::wstring& text);

}  // namespace test
