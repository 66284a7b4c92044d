// The resources as the system sees them in this running program, which links the same
// resource object as the tool.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "resource.h"
#include "support/DialogTemplate.h"
#include "support/TestFiles.h"

namespace {

const WORD kChinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

// The bytes of one of this program's resources in Simplified Chinese; empty when missing.
std::string ResourceBytes(LPCWSTR type, LPCWSTR name) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceExW(module, type, name, kChinese);
    if (!found) {
        return {};
    }
    const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
    return data ? std::string(data, SizeofResource(module, found)) : std::string();
}

test::DialogTemplate LoadTemplate(WORD id) {
    std::string bytes = ResourceBytes(RT_DIALOG, MAKEINTRESOURCEW(id));
    test::DialogTemplate dialog;
    EXPECT_TRUE(test::ParseDialogTemplate(bytes.data(), bytes.size(), &dialog)) << "dialog " << id;
    return dialog;
}

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), ::towlower);
    return text;
}

// For failure messages about ASCII names and paths.
std::string Ascii(const std::wstring& text) { return std::string(text.begin(), text.end()); }

const DWORD kPopup = 0x80080040;      // WS_POPUP | WS_SYSMENU | DS_SETFONT
const DWORD kOwnerDraw = 0x5001000B;  // child, visible, tab stop, BS_OWNERDRAW
const DWORD kCheckBox = 0x50010003;   // child, visible, tab stop, BS_AUTOCHECKBOX
const DWORD kText = 0x50020000;       // child, visible, group, SS_LEFT

struct ExpectedItem {
    DWORD id;
    const wchar_t* className;
    const wchar_t* text;  // nullptr where the code sets the text
    DWORD style;
};

struct ExpectedTemplate {
    WORD id;
    DWORD style;
    DWORD exStyle;
    std::vector<ExpectedItem> items;
};

const ExpectedTemplate kPairTemplates[] = {
    {IDD_MAIN_WINDOW, 0x90080040, WS_EX_APPWINDOW, {}},
    {IDD_PROGRESS_INNER, kPopup, 0, {{IDC_PROGRESS_TEXT, L"Static", L"Static", kText}}},
    {IDD_PROGRESS_OUTER, kPopup, 0, {}},
    {IDD_FEEDBACK_INNER,
     kPopup,
     0,
     {{IDC_FEEDBACK_CLOSE_BUTTON, L"Button", L"关闭", kOwnerDraw},
      {IDC_SOLVED_BUTTON, L"Button", L"解决", kOwnerDraw},
      {IDC_UNSOLVED_BUTTON, L"Button", L"未解决", kOwnerDraw},
      {IDC_MORE_SOLUTIONS_BUTTON, L"Button", L"更多方案", kOwnerDraw}}},
    {IDD_FEEDBACK_OUTER, kPopup, 0, {}},
    {IDD_PROMPT_INNER,
     kPopup,
     0,
     {{IDC_PROMPT_CLOSE_BUTTON, L"Button", nullptr, kOwnerDraw},
      {IDC_PROMPT_OK_BUTTON, L"Button", L"确定", kOwnerDraw},
      {IDC_PROMPT_CANCEL_BUTTON, L"Button", L"取消", kOwnerDraw},
      {IDC_PROMPT_TEXT, L"Static", nullptr, kText}}},
    {IDD_PROMPT_OUTER, kPopup, 0, {}},
    {IDD_CONTROL_PANEL,
     kPopup,
     0,
     {{IDC_DISABLE_BUTTON, L"Button", L"禁用", kOwnerDraw},
      {IDC_ENABLE_BUTTON, L"Button", L"启用", kOwnerDraw},
      {IDC_VERSION_TEXT, L"Static", L"Static", kText},
      {IDC_CLOSE_BUTTON, L"Button", L"关闭", kOwnerDraw},
      {IDC_MINIMISE_BUTTON, L"Button", L"最小化", kOwnerDraw},
      {IDC_MORE_TOOLS_BUTTON, L"Button", L"更多工具", kOwnerDraw},
      {IDC_AGREE_CHECK, L"Button", L"同意", kCheckBox},
      {IDC_AGREEMENT_LINK, L"Static", L"《Harvane服务工具使用许可协议》", kText},
      {IDC_FEEDBACK_LINK, L"Static", L"反馈问题", kText}}},
};

TEST(DialogTemplates, SkinnedWindowsAreBorderlessPopupsAtTheOriginInTheDialogFont) {
    for (const ExpectedTemplate& expected : kPairTemplates) {
        SCOPED_TRACE(expected.id);
        test::DialogTemplate dialog = LoadTemplate(expected.id);
        EXPECT_EQ(expected.style, dialog.style);
        EXPECT_EQ(expected.exStyle, dialog.exStyle);
        EXPECT_EQ(0, dialog.x);
        EXPECT_EQ(0, dialog.y);
        EXPECT_EQ(L"宋体", dialog.faceName);
        EXPECT_EQ(10, dialog.pointSize);
        EXPECT_EQ(L"", dialog.title);
        EXPECT_TRUE(dialog.menu.ordinal == 0 && dialog.menu.text.empty());
        EXPECT_TRUE(dialog.className.ordinal == 0 && dialog.className.text.empty());
    }
    for (WORD id : {IDD_PROGRESS_INNER, IDD_PROGRESS_OUTER}) {
        test::DialogTemplate dialog = LoadTemplate(id);
        EXPECT_EQ(240, dialog.cx) << id;
        EXPECT_EQ(130, dialog.cy) << id;
    }
}

TEST(DialogTemplates, ControlsHaveTheirIdsClassesTextsAndStylesInOrder) {
    for (const ExpectedTemplate& expected : kPairTemplates) {
        SCOPED_TRACE(expected.id);
        test::DialogTemplate dialog = LoadTemplate(expected.id);
        ASSERT_EQ(expected.items.size(), dialog.items.size());
        for (size_t i = 0; i < expected.items.size(); ++i) {
            const ExpectedItem& want = expected.items[i];
            const test::DialogItem& item = dialog.items[i];
            SCOPED_TRACE(want.id);
            EXPECT_EQ(want.id, item.id);
            EXPECT_EQ(Lower(want.className), Lower(item.className));
            EXPECT_EQ(want.style, item.style);
            EXPECT_EQ(0u, item.exStyle);
            if (want.text) {
                EXPECT_EQ(want.text, item.text.text);
            }
        }
    }
    // The progress text's template place is what shows when its picture is missing.
    test::DialogTemplate progress = LoadTemplate(IDD_PROGRESS_INNER);
    ASSERT_EQ(1u, progress.items.size());
    const test::DialogItem& text = progress.items[0];
    EXPECT_EQ((std::vector<int>{105, 62, 25, 8}),
              (std::vector<int>{text.x, text.y, text.cx, text.cy}));
}

TEST(DialogTemplates, AboutBoxShowsTheIconNameAndOkButton) {
    test::DialogTemplate about = LoadTemplate(IDD_ABOUTBOX);
    EXPECT_EQ(170, about.cx);
    EXPECT_EQ(62, about.cy);
    EXPECT_EQ(L"MS Shell Dlg", about.faceName);
    EXPECT_EQ(9, about.pointSize);
    EXPECT_EQ(L"关于 TovricOmbrel", about.title);
    EXPECT_TRUE(about.style & WS_CAPTION);
    ASSERT_EQ(4u, about.items.size());
    EXPECT_EQ(L"static", Lower(about.items[0].className));
    EXPECT_EQ(DWORD(SS_ICON), about.items[0].style & SS_TYPEMASK);
    EXPECT_EQ(IDR_MAINFRAME, about.items[0].text.ordinal);
    EXPECT_EQ(L"TovricOmbrel，1.0 版", about.items[1].text.text);
    EXPECT_EQ(L"static", Lower(about.items[2].className));
    EXPECT_NE(L"", about.items[2].text.text);
    EXPECT_EQ(DWORD(IDOK), about.items[3].id);
    EXPECT_EQ(L"button", Lower(about.items[3].className));
    EXPECT_EQ(L"确定", about.items[3].text.text);
}

const WORD kAllTemplates[] = {IDD_ABOUTBOX,       IDD_MAIN_WINDOW,    IDD_PROGRESS_INNER,
                              IDD_PROGRESS_OUTER, IDD_FEEDBACK_INNER, IDD_FEEDBACK_OUTER,
                              IDD_PROMPT_INNER,   IDD_PROMPT_OUTER,   IDD_CONTROL_PANEL};

TEST(DialogTemplates, EveryControlLiesInsideItsDialog) {
    for (WORD id : kAllTemplates) {
        test::DialogTemplate dialog = LoadTemplate(id);
        EXPECT_GT(dialog.cx, 0) << id;
        EXPECT_GT(dialog.cy, 0) << id;
        for (const test::DialogItem& item : dialog.items) {
            SCOPED_TRACE(testing::Message() << "dialog " << id << " control " << item.id);
            EXPECT_GE(item.x, 0);
            EXPECT_GE(item.y, 0);
            EXPECT_LE(item.x + item.cx, dialog.cx);
            EXPECT_LE(item.y + item.cy, dialog.cy);
            if ((item.style & SS_TYPEMASK) != SS_ICON) {  // an icon sizes itself
                EXPECT_GT(item.cx, 0);
                EXPECT_GT(item.cy, 0);
            }
        }
    }
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

TEST(DialogTemplates, EveryTemplateMakesAWindowWithItsControls) {
    for (WORD id : kAllTemplates) {
        test::DialogTemplate dialog = LoadTemplate(id);
        HWND window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), nullptr,
                                         PlainDialogProc, 0);
        ASSERT_NE(nullptr, window) << "dialog " << id << ", error " << GetLastError();
        for (const test::DialogItem& item : dialog.items) {
            if (item.id == static_cast<DWORD>(-1)) {
                continue;  // unnamed statics cannot be looked up by id
            }
            SCOPED_TRACE(testing::Message() << "dialog " << id << " control " << item.id);
            HWND control = GetDlgItem(window, static_cast<int>(item.id));
            ASSERT_NE(nullptr, control);
            wchar_t text[128] = {};
            GetClassNameW(control, text, 128);
            EXPECT_EQ(Lower(item.className), Lower(text));
            GetWindowTextW(control, text, 128);
            EXPECT_EQ(item.text.text, text);
        }
        DestroyWindow(window);
    }
}

TEST(Strings, AboutMenuItemLoadsInChinese) {
    wchar_t text[64] = {};
    ASSERT_GT(LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX, text, 64), 0);
    EXPECT_STREQ(L"关于 TovricOmbrel(&A)...", text);
    // Strings are stored in blocks of sixteen.
    EXPECT_NE("", ResourceBytes(RT_STRING, MAKEINTRESOURCEW(IDS_ABOUTBOX / 16 + 1)));
}

TEST(Icon, HoldsSmallAndLargeImages) {
    std::string group = ResourceBytes(RT_GROUP_ICON, MAKEINTRESOURCEW(IDR_MAINFRAME));
    ASSERT_GE(group.size(), 6u);
    const WORD count = *reinterpret_cast<const WORD*>(group.data() + 4);
    ASSERT_EQ(6u + 14u * count, group.size());
    std::vector<int> widths;
    for (WORD i = 0; i < count; ++i) {
        const char* entry = group.data() + 6 + 14 * i;
        widths.push_back(static_cast<BYTE>(entry[0]));
        WORD imageId = *reinterpret_cast<const WORD*>(entry + 12);
        EXPECT_NE("", ResourceBytes(RT_ICON, MAKEINTRESOURCEW(imageId))) << "image " << imageId;
    }
    for (int size : {16, 32}) {
        EXPECT_NE(widths.end(), std::find(widths.begin(), widths.end(), size)) << size;
        HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                                   MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                                   size, size, LR_DEFAULTCOLOR));
        ASSERT_NE(nullptr, icon) << size;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap = {};
        GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
        EXPECT_EQ(size, bitmap.bmWidth);
        EXPECT_EQ(size, bitmap.bmHeight);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(VersionInfo, ReadsVersionAndChineseNames) {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(nullptr, &path[0], MAX_PATH));
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
    EXPECT_EQ(MAKELONG(0, 1), fixed->dwFileVersionMS);  // 1.0
    EXPECT_EQ(MAKELONG(517, 21), fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
    EXPECT_EQ(DWORD(VFT_APP), fixed->dwFileType);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(4u, length);
    EXPECT_EQ(2052, translation[0]);
    EXPECT_EQ(1200, translation[1]);

    struct {
        const wchar_t* name;
        const wchar_t* value;  // nullptr: any non-empty text
    } strings[] = {
        {L"FileVersion", L"1.0.21.517"}, {L"ProductVersion", L"1.0.21.517"},
        {L"ProductName", L"Ombrel"},     {L"OriginalFilename", L"TovricOmbrel.exe"},
        {L"FileDescription", nullptr},   {L"CompanyName", nullptr},
        {L"LegalCopyright", nullptr},    {L"InternalName", nullptr},
    };
    for (const auto& s : strings) {
        std::wstring query = std::wstring(L"\\StringFileInfo\\080404b0\\") + s.name;
        wchar_t* value = nullptr;
        ASSERT_TRUE(
            VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length))
            << Ascii(s.name);
        EXPECT_NE(L"", std::wstring(value)) << Ascii(s.name);
        if (s.value) {
            EXPECT_STREQ(s.value, value);
        }
    }
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names) {
    reinterpret_cast<std::vector<std::wstring>*>(names)->push_back(
        IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name)) : name);
    return TRUE;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR languages) {
    reinterpret_cast<std::vector<WORD>*>(languages)->push_back(language);
    return TRUE;
}

TEST(Manifest, OneManifestAsksForAdministratorDpiAwarenessControlsSixAndNamesTheSystems) {
    HMODULE module = GetModuleHandleW(nullptr);
    std::vector<std::wstring> names;
    EnumResourceNamesW(module, RT_MANIFEST, CollectName, reinterpret_cast<LONG_PTR>(&names));
    EXPECT_EQ(std::vector<std::wstring>{L"#1"}, names);
    std::vector<WORD> languages;
    EnumResourceLanguagesW(module, RT_MANIFEST, MAKEINTRESOURCEW(1), CollectLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(std::vector<WORD>{kChinese}, languages);

    std::string manifest = ResourceBytes(RT_MANIFEST, MAKEINTRESOURCEW(1));
    const char* wanted[] = {
        "level=\"requireAdministrator\"",
        ">true</dpiAware>",
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // Windows 8
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // Windows 8.1
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // Windows 10
    };
    for (const char* text : wanted) {
        EXPECT_NE(std::string::npos, manifest.find(text)) << text;
    }
}

TEST(Manifest, LoadsCommonControlsSix) {
    HMODULE controls = LoadLibraryW(L"comctl32.dll");
    ASSERT_NE(nullptr, controls);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(controls, path, MAX_PATH);
    EXPECT_NE(std::wstring::npos, Lower(path).find(L"common-controls")) << Ascii(path);
    FreeLibrary(controls);
}

// Starts a program of the test folder and returns its exit code (-1 when it did not run).
int RunProbe(const std::wstring& name) {
    std::wstring commandLine = L"\"" + test::ProgramDirectory() + L"\\" + name + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return -1;
    }
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &code);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

// Wine reads a program's Windows version from here when the program starts.
std::wstring AppDefaultsKey(const wchar_t* program) {
    return std::wstring(L"Software\\Wine\\AppDefaults\\") + program;
}

// Without the supported systems in the manifest, Windows 10 reports itself as 6.2.
TEST(Manifest, WindowsTenReportsItsRealVersion) {
    if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) {
        GTEST_SKIP() << "needs Wine's per-program Windows version";
    }
    const wchar_t* probes[] = {L"version_probe.exe", L"version_probe_bare.exe"};
    for (const wchar_t* probe : probes) {
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, AppDefaultsKey(probe).c_str(),
                                                 L"Version", REG_SZ, L"win10", 12));
    }
    EXPECT_EQ(1000, RunProbe(probes[0]));
    EXPECT_EQ(602, RunProbe(probes[1]));  // proves the prefix tells the two apart
    for (const wchar_t* probe : probes) {
        RegDeleteTreeW(HKEY_CURRENT_USER, AppDefaultsKey(probe).c_str());
    }
}

TEST(Pictures, EveryPictureIsAChinesePngResource) {
    for (WORD id = IDB_MAIN_FRAME; id <= IDB_UNSOLVED_DISABLED; ++id) {
        if (id == IDB_LOGO || id == 195) {
            continue;  // the logo is a bitmap; 195 is not shipped
        }
        std::string bytes = ResourceBytes(L"PNG", MAKEINTRESOURCEW(id));
        EXPECT_EQ("\x89PNG\r\n\x1a\n", bytes.substr(0, 8)) << "picture " << id;
    }
}

TEST(Pictures, LogoIsABitmapNotAPng) {
    EXPECT_EQ(nullptr,
              FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_LOGO), L"PNG"));
    EXPECT_NE("", ResourceBytes(RT_BITMAP, MAKEINTRESOURCEW(IDB_LOGO)));
    HBITMAP logo = static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_LOGO), IMAGE_BITMAP, 0, 0, 0));
    EXPECT_NE(nullptr, logo);
    DeleteObject(logo);
}

BOOL CALLBACK CollectType(HMODULE, LPWSTR type, LONG_PTR types) {
    reinterpret_cast<std::vector<LPWSTR>*>(types)->push_back(type);
    return TRUE;
}

TEST(Resources, EveryResourceIsInSimplifiedChinese) {
    HMODULE module = GetModuleHandleW(nullptr);
    std::vector<LPWSTR> types;
    EnumResourceTypesW(module, CollectType, reinterpret_cast<LONG_PTR>(&types));
    EXPECT_GE(types.size(),
              8u);  // dialog, string, icon, icon group, version, manifest, bitmap, PNG
    for (LPWSTR type : types) {
        std::vector<std::wstring> names;
        EnumResourceNamesW(module, type, CollectName, reinterpret_cast<LONG_PTR>(&names));
        for (const std::wstring& name : names) {
            LPCWSTR lookup =
                name[0] == L'#' ? MAKEINTRESOURCEW(std::stoi(name.substr(1))) : name.c_str();
            std::vector<WORD> languages;
            EnumResourceLanguagesW(module, type, lookup, CollectLanguage,
                                   reinterpret_cast<LONG_PTR>(&languages));
            EXPECT_EQ(std::vector<WORD>{kChinese}, languages) << Ascii(name);
        }
    }
}

}  // namespace
