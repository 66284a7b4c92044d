#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "system/RegReader.h"

namespace {

// A scratch key under HKLM\Software, which (unlike HKLM\System) has separate 32-bit and
// 64-bit views, so the view the reader opens can be told apart.
const wchar_t kScratchKey[] = L"Software\\OmbrelReaderTest";

class ScratchKey {
public:
    explicit ScratchKey(REGSAM view) : m_view(view) {
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, kScratchKey, 0, nullptr, 0, KEY_ALL_ACCESS | view,
                        nullptr, &m_key, nullptr);
    }
    ~ScratchKey() {
        RegCloseKey(m_key);
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kScratchKey, m_view, 0);
    }
    void Set(const wchar_t* name, DWORD type, const std::vector<BYTE>& data) {
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(m_key, name, 0, type, data.data(),
                                                static_cast<DWORD>(data.size())));
    }

private:
    REGSAM m_view;
    HKEY m_key = nullptr;
};

TEST(RegReader, ReadsAnyValueOfAtMostFourBytesAsALittleEndianNumber) {
    ScratchKey key(KEY_WOW64_64KEY);
    struct Case {
        const wchar_t* name;
        DWORD type;
        std::vector<BYTE> data;
        int result;
        DWORD value;  // what the caller's preset 0 holds afterwards (when read)
    } cases[] = {
        {L"Dword3", REG_DWORD, {3, 0, 0, 0}, 1, 3},
        {L"Dword4", REG_DWORD, {4, 0, 0, 0}, 1, 4},
        {L"Big", REG_DWORD, {0x78, 0x56, 0x34, 0x12}, 1, 0x12345678},
        {L"Binary2", REG_BINARY, {3, 0}, 1, 3},
        {L"Binary1", REG_BINARY, {0xFF}, 1, 0xFF},
        {L"Qword", REG_QWORD, {3, 0, 0, 0, 0, 0, 0, 0}, 0, 0},
    };
    for (const Case& c : cases) {
        key.Set(c.name, c.type, c.data);
        DWORD value = 0;
        EXPECT_EQ(c.result, CRegReader().ReadDword(HKEY_LOCAL_MACHINE, kScratchKey, c.name, &value))
            << "value " << std::string(c.name, c.name + wcslen(c.name));
        if (c.result == 1) {
            EXPECT_EQ(c.value, value);
        }
    }
}

TEST(RegReader, MissingKeyOrValueFailsAndLeavesThePreset) {
    ScratchKey key(KEY_WOW64_64KEY);
    DWORD value = 0;
    EXPECT_EQ(0, CRegReader().ReadDword(HKEY_LOCAL_MACHINE, L"Software\\OmbrelNoSuchKey", L"Start",
                                        &value));
    EXPECT_EQ(0u, value);
    EXPECT_EQ(0, CRegReader().ReadDword(HKEY_LOCAL_MACHINE, kScratchKey, L"NoSuchValue", &value));
    EXPECT_EQ(0u, value);
}

TEST(RegReader, ReadsTheSixtyFourBitViewOnSixtyFourBitWindows) {
    ScratchKey native(KEY_WOW64_64KEY);
    ScratchKey wow(KEY_WOW64_32KEY);
    native.Set(L"View", REG_DWORD, {64, 0, 0, 0});
    wow.Set(L"View", REG_DWORD, {32, 0, 0, 0});
    DWORD value = 0;
    ASSERT_EQ(1, CRegReader().ReadDword(HKEY_LOCAL_MACHINE, kScratchKey, L"View", &value));
    EXPECT_EQ(64u, value);
#ifdef _WIN64
    EXPECT_EQ(static_cast<REGSAM>(0x20019), CRegReader().AccessMask());
#else
    EXPECT_EQ(static_cast<REGSAM>(0x20119), CRegReader().AccessMask());
#endif
}

}  // namespace
