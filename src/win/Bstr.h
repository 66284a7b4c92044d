#pragma once
// Owner of a system string (BSTR), the text type of automation calls.

#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include <cstddef>
#include <string>

#include "win/UniqueHandle.h"

namespace win {

struct BstrTraits {
    using Handle = BSTR;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::SysFreeString(h); }
};
using UniqueBstr = UniqueHandle<BstrTraits>;

// A copy of `length` characters of `text`, zeros included; none when memory runs out.
inline UniqueBstr MakeBstr(const wchar_t* text, size_t length) {
    return UniqueBstr(::SysAllocStringLen(text, static_cast<UINT>(length)));
}
inline UniqueBstr MakeBstr(const std::wstring& text) { return MakeBstr(text.data(), text.size()); }

}  // namespace win
