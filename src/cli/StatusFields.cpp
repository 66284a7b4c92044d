#include "cli/StatusFields.h"

namespace {

const wchar_t* StateText(DriverState state) {
    switch (state) {
        case DriverState::On:
            return L"on";
        case DriverState::Off:
            return L"off";
        case DriverState::NotInstalled:
            return L"not-installed";
        case DriverState::Unknown:
            break;
    }
    return L"unknown";
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

StatusField StartField(const std::wstring& name, const RegistryValue& start) {
    DWORD number = 0;
    if (start.AsDword(&number)) return {name, std::to_wstring(number), std::to_wstring(number)};
    if (!start.exists) return {name, L"missing", L"null"};
    return TextField(name, ValueText(start));
}

}  // namespace

StatusField ListField(const std::wstring& name, const std::vector<std::wstring>& items) {
    std::vector<std::wstring> quoted;
    for (const std::wstring& item : items) quoted.push_back(Quoted(item));
    return {name, items.empty() ? L"none" : CommaList(items), L"[" + CommaList(quoted) + L"]"};
}

StatusField NumberField(const std::wstring& name, long number) {
    return {name, std::to_wstring(number), std::to_wstring(number)};
}

std::wstring CommaList(const std::vector<std::wstring>& items) {
    std::wstring list;
    for (const std::wstring& item : items) list += (list.empty() ? L"" : L",") + item;
    return list;
}

StatusField TextField(const std::wstring& name, const std::wstring& text) {
    return {name, text, Quoted(text)};
}

std::vector<StatusField> DescribeCoverage(const CoverageState& state) {
    std::vector<std::wstring> mounted;
    for (wchar_t letter : state.mountedUsb) mounted.push_back(std::wstring(1, letter) + L":");
    return {
        TextField(L"usb", state.ReadOnly() ? L"read-only" : StateText(state.Usb())),
        StartField(L"usbstor", state.usbStorStart),
        TextField(L"uas", StateText(state.Uas())),
        StartField(L"uaspstor", state.uasStart),
        ListField(L"policy", state.policy),
        TextField(L"portable", state.portableBlocked ? L"blocked" : L"open"),
        ListField(L"mounted", mounted),
        TextField(L"pending", state.replugPending ? L"replug" : L"none"),
    };
}

std::wstring PlainLine(const std::vector<StatusField>& fields) {
    std::wstring line;
    for (const StatusField& field : fields) {
        line += (line.empty() ? L"" : L" ") + field.name + L"=" + field.text;
    }
    return line + L"\n";
}

std::wstring JsonLine(const std::vector<StatusField>& fields) {
    std::wstring line = L"{";
    for (size_t i = 0; i < fields.size(); ++i) {
        line += (i ? L"," : L"") + Quoted(fields[i].name) + L":" + fields[i].json;
    }
    return line + L"}\n";
}
