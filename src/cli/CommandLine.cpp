#include "cli/CommandLine.h"

const wchar_t kUsageText[] =
    L"Usage: ombrel <command> [options]\n"
    L"  status [--json]                    the USB storage state in one line\n"
    L"  disable [--scope usb|all] [--pending-exit 3010]\n"
    L"                                     usb: the USB storage driver (default); all: also\n"
    L"                                     the UAS driver and the removable-storage policy\n"
    L"  enable [--pending-exit 3010]       USB storage on; restores what 'all' saved\n"
    L"  check --expect on|off [--scope usb|all]\n"
    L"                                     exit 1 when the machine is not as expected\n"
    L"  /?, -h, --help                     this text\n"
    L"Exit codes: 0 done or compliant; 1 not compliant; 5 access denied; 87 bad arguments;\n"
    L"  1603 the change failed and was rolled back; 3010 done, a re-plug or restart is needed\n"
    L"  (only with --pending-exit 3010).\n";

namespace {

struct Parser {
    const std::vector<std::wstring>& words;
    size_t next = 1;
    std::wstring* error;

    bool Fail(const std::wstring& reason) {
        *error = reason;
        return false;
    }
    // The word after an option, which must be one of `a` and `b`.
    bool Choice(const std::wstring& option, const wchar_t* a, const wchar_t* b, bool* isA) {
        if (next >= words.size()) return Fail(option + L" needs a value");
        const std::wstring& value = words[next++];
        if (value != a && value != b) return Fail(L"unknown value for " + option + L": " + value);
        *isA = value == a;
        return true;
    }
};

}  // namespace

bool ParseCommandLine(const std::vector<std::wstring>& words, OmbrelRequest* request,
                      std::wstring* error) {
    using Command = OmbrelRequest::Command;
    *request = OmbrelRequest();
    if (words.empty()) return (*error = L"no command given", false);
    const std::wstring& verb = words[0];
    if (verb == L"/?" || verb == L"-h" || verb == L"--help") {
        if (words.size() > 1) return (*error = L"unexpected word: " + words[1], false);
        return true;
    }
    if (verb == L"status") {
        request->command = Command::Status;
    } else if (verb == L"disable") {
        request->command = Command::Disable;
    } else if (verb == L"enable") {
        request->command = Command::Enable;
    } else if (verb == L"check") {
        request->command = Command::Check;
    } else {
        return (*error = L"unknown command: " + verb, false);
    }
    const bool changes =
        request->command == Command::Disable || request->command == Command::Enable;
    const bool scoped = request->command == Command::Disable || request->command == Command::Check;
    bool expectGiven = false;
    Parser parser{words, 1, error};
    while (parser.next < words.size()) {
        const std::wstring& word = words[parser.next++];
        bool isA = false;
        if (word == L"--json" && request->command == Command::Status && !request->json) {
            request->json = true;
        } else if (word == L"--scope" && scoped) {
            if (!parser.Choice(word, L"usb", L"all", &isA)) return false;
            request->scope = isA ? StorageScope::Usb : StorageScope::All;
        } else if (word == L"--expect" && request->command == Command::Check && !expectGiven) {
            if (!parser.Choice(word, L"on", L"off", &isA)) return false;
            request->expectOn = isA;
            expectGiven = true;
        } else if (word == L"--pending-exit" && changes && !request->pendingExit) {
            bool unused = false;
            if (!parser.Choice(word, L"3010", L"3010", &unused)) return false;
            request->pendingExit = true;
        } else {
            return parser.Fail(L"unexpected word for " + verb + L": " + word);
        }
    }
    if (request->command == Command::Check && !expectGiven) {
        return parser.Fail(L"check needs --expect on|off");
    }
    return true;
}
