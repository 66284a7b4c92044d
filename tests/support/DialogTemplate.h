#pragma once
// Reads an extended dialog template (what DIALOGEX compiles to) into plain fields, so tests
// can compare a template with what the windows are meant to be.

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace test {

// A name-or-ordinal field: an ordinal when `ordinal` is non-zero, else the text.
struct NameOrOrdinal {
    WORD ordinal = 0;
    std::wstring text;
};

struct DialogItem {
    DWORD id = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring className;  // predefined classes by name: "Button", "Static", ...
    NameOrOrdinal text;      // an ordinal names a resource, e.g. an icon
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrdinal menu;
    NameOrOrdinal className;
    std::wstring title;
    WORD pointSize = 0;  // font fields only with DS_SETFONT
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    std::wstring faceName;
    std::vector<DialogItem> items;
};

// False for a classic (non-extended) template and for one that runs past `size`.
bool ParseDialogTemplate(const void* data, size_t size, DialogTemplate* result);

}  // namespace test
