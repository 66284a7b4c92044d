#include "cli/CommandLine.h"

#include <initializer_list>

const wchar_t kUsageText[] =
    L"Usage: ombrel <command> [options] [--json]\n"
    L"  status                             the USB storage state in one line\n"
    L"  disable [--scope usb|all] [--pending-exit 3010]\n"
    L"                                     usb: the USB storage and UAS drivers (default);\n"
    L"                                     all: also the removable-storage policy's Deny_All\n"
    L"  read-only [--pending-exit 3010]    USB storage readable, not writable\n"
    L"  enable [--pending-exit 3010]       USB storage on; puts back every value saved\n"
    L"  check --expect on|off|read-only [--scope usb|all]\n"
    L"                                     exit 1 when the machine is not as expected\n"
    L"  /?, -h, --help                     this text\n"
    L"  --json                             one JSON object instead of key=value words\n"
    L"Exit codes: 0 done or compliant; 1 not compliant; 5 access denied; 87 bad arguments;\n"
    L"  1603 the change failed (see 'result'); 1618 another change is in progress, retry;\n"
    L"  3010 done, a re-plug or restart is needed (disable and read-only, only with\n"
    L"  --pending-exit 3010).\n";

namespace {

struct Parser {
    const std::vector<std::wstring>& words;
    size_t next = 1;
    std::wstring* error;

    bool Fail(const std::wstring& reason) {
        *error = reason;
        return false;
    }
    // The word after an option, which must be one of `values`; its place in *index.
    bool Choice(const std::wstring& option, std::initializer_list<const wchar_t*> values,
                size_t* index) {
        if (next >= words.size()) return Fail(option + L" needs a value");
        const std::wstring& value = words[next++];
        *index = 0;
        for (const wchar_t* allowed : values) {
            if (value == allowed) return true;
            ++*index;
        }
        return Fail(L"unknown value for " + option + L": " + value);
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
    } else if (verb == L"read-only") {
        request->command = Command::ReadOnly;
    } else if (verb == L"enable") {
        request->command = Command::Enable;
    } else if (verb == L"check") {
        request->command = Command::Check;
    } else {
        return (*error = L"unknown command: " + verb, false);
    }
    const bool changes = request->command == Command::Disable ||
                         request->command == Command::ReadOnly ||
                         request->command == Command::Enable;
    const bool scoped = request->command == Command::Disable || request->command == Command::Check;
    bool expectGiven = false;
    Parser parser{words, 1, error};
    while (parser.next < words.size()) {
        const std::wstring& word = words[parser.next++];
        size_t index = 0;
        if (word == L"--json" && !request->json) {
            request->json = true;
        } else if (word == L"--scope" && scoped) {
            if (!parser.Choice(word, {L"usb", L"all"}, &index)) return false;
            request->scope = index == 0 ? StorageScope::Usb : StorageScope::All;
        } else if (word == L"--expect" && request->command == Command::Check && !expectGiven) {
            if (!parser.Choice(word, {L"on", L"off", L"read-only"}, &index)) return false;
            const OmbrelRequest::Expect expects[] = {OmbrelRequest::Expect::On,
                                                     OmbrelRequest::Expect::Off,
                                                     OmbrelRequest::Expect::ReadOnly};
            request->expect = expects[index];
            expectGiven = true;
        } else if (word == L"--pending-exit" && changes && !request->pendingExit) {
            if (!parser.Choice(word, {L"3010"}, &index)) return false;
            request->pendingExit = true;
        } else {
            return parser.Fail(L"unexpected word for " + verb + L": " + word);
        }
    }
    if (request->command == Command::Check && !expectGiven) {
        return parser.Fail(L"check needs --expect on|off|read-only");
    }
    return true;
}
