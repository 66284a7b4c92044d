#include "support/DialogTemplate.h"

#include <cstring>

namespace test {

namespace {

// Reads little-endian fields in order and remembers whether any read ran past the end.
class Reader {
public:
    Reader(const void* data, size_t size) : m_data(static_cast<const BYTE*>(data)), m_size(size) {}

    bool Ok() const { return m_ok; }

    template <typename T>
    T Read() {
        T value{};
        if (m_pos + sizeof(T) > m_size) {
            m_ok = false;
            m_pos = m_size;
            return value;
        }
        std::memcpy(&value, m_data + m_pos, sizeof(T));
        m_pos += sizeof(T);
        return value;
    }

    std::wstring ReadString() {
        std::wstring text;
        for (WCHAR c = Read<WCHAR>(); m_ok && c != 0; c = Read<WCHAR>()) {
            text += c;
        }
        return text;
    }

    // 0x0000 is an empty field, 0xFFFF an ordinal; anything else starts a string.
    NameOrOrdinal ReadNameOrOrdinal() {
        NameOrOrdinal field;
        WORD first = Read<WORD>();
        if (first == 0xFFFF) {
            field.ordinal = Read<WORD>();
        } else if (first != 0) {
            field.text = static_cast<WCHAR>(first) + ReadString();
        }
        return field;
    }

    void Skip(size_t bytes) {
        if (m_pos + bytes > m_size) {
            m_ok = false;
            m_pos = m_size;
        } else {
            m_pos += bytes;
        }
    }

    void AlignToDword() { Skip((4 - m_pos % 4) % 4); }

private:
    const BYTE* m_data;
    size_t m_size;
    size_t m_pos = 0;
    bool m_ok = true;
};

std::wstring ClassName(const NameOrOrdinal& field) {
    switch (field.ordinal) {
        case 0:
            return field.text;
        case 0x80:
            return L"Button";
        case 0x81:
            return L"Edit";
        case 0x82:
            return L"Static";
        case 0x83:
            return L"ListBox";
        case 0x84:
            return L"ScrollBar";
        case 0x85:
            return L"ComboBox";
        default:
            return L"#" + std::to_wstring(field.ordinal);
    }
}

}  // namespace

bool ParseDialogTemplate(const void* data, size_t size, DialogTemplate* result) {
    Reader in(data, size);
    DialogTemplate dialog;
    WORD version = in.Read<WORD>();
    WORD signature = in.Read<WORD>();
    if (!in.Ok() || version != 1 || signature != 0xFFFF) {
        return false;
    }
    in.Read<DWORD>();  // help id
    dialog.exStyle = in.Read<DWORD>();
    dialog.style = in.Read<DWORD>();
    WORD count = in.Read<WORD>();
    dialog.x = in.Read<short>();
    dialog.y = in.Read<short>();
    dialog.cx = in.Read<short>();
    dialog.cy = in.Read<short>();
    dialog.menu = in.ReadNameOrOrdinal();
    dialog.className = in.ReadNameOrOrdinal();
    dialog.title = in.ReadString();
    if (dialog.style & (DS_SETFONT | DS_SHELLFONT)) {
        dialog.pointSize = in.Read<WORD>();
        dialog.weight = in.Read<WORD>();
        dialog.italic = in.Read<BYTE>();
        dialog.charset = in.Read<BYTE>();
        dialog.faceName = in.ReadString();
    }
    for (WORD i = 0; i < count && in.Ok(); ++i) {
        in.AlignToDword();
        DialogItem item;
        in.Read<DWORD>();  // help id
        item.exStyle = in.Read<DWORD>();
        item.style = in.Read<DWORD>();
        item.x = in.Read<short>();
        item.y = in.Read<short>();
        item.cx = in.Read<short>();
        item.cy = in.Read<short>();
        item.id = in.Read<DWORD>();
        item.className = ClassName(in.ReadNameOrOrdinal());
        item.text = in.ReadNameOrOrdinal();
        in.Skip(in.Read<WORD>());  // creation data
        dialog.items.push_back(item);
    }
    if (!in.Ok()) {
        return false;
    }
    *result = dialog;
    return true;
}

}  // namespace test
