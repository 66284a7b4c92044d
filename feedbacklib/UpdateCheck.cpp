#include "UpdateCheck.h"

#include <vector>

#include "HarvaneFeedbackInformation.h"
#include "TextFile.h"

namespace {

// Nine digits fit an unsigned 32-bit part with room to spare.
const size_t kMaxPartDigits = 9;

bool ParseVersion(const std::wstring& text, std::vector<unsigned long>& parts) {
    parts.clear();
    unsigned long part = 0;
    size_t digits = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        const wchar_t c = i < text.size() ? text[i] : L'.';
        if (c == L'.') {
            if (digits == 0) return false;
            parts.push_back(part);
            part = 0;
            digits = 0;
        } else if (c >= L'0' && c <= L'9' && digits < kMaxPartDigits) {
            part = part * 10 + static_cast<unsigned long>(c - L'0');
            ++digits;
        } else {
            return false;
        }
    }
    return true;
}

std::wstring Trimmed(const std::wstring& text) {
    const wchar_t* blanks = L" \t\r";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::wstring::npos) return std::wstring();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace

bool CompareVersions(const std::wstring& a, const std::wstring& b, int& order) {
    std::vector<unsigned long> left;
    std::vector<unsigned long> right;
    if (!ParseVersion(a, left) || !ParseVersion(b, right)) return false;
    const size_t count = left.size() > right.size() ? left.size() : right.size();
    left.resize(count, 0);
    right.resize(count, 0);
    order = left < right ? -1 : (right < left ? 1 : 0);
    return true;
}

bool FindLatestVersion(const std::string& manifest, const std::wstring& toolId,
                       std::wstring& version) {
    std::wstring text = FromUtf8(manifest);
    if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring line = Trimmed(text.substr(start, end - start));
        start = end + 1;
        const size_t equals = line.find(L'=');
        if (line.empty() || line[0] == L'#' || equals == std::wstring::npos) continue;
        if (Trimmed(line.substr(0, equals)) == toolId) {
            version = Trimmed(line.substr(equals + 1));
            return true;
        }
    }
    return false;
}

int JudgeUpdate(const HttpAnswer& answer, const std::wstring& toolId, const std::wstring& version) {
    std::wstring latest;
    int order = 0;
    if (!answer.answered || answer.status != 200 ||
        !FindLatestVersion(answer.body, toolId, latest) ||
        !CompareVersions(latest, version, order)) {
        return TOOL_VERSION_UNKNOWN;
    }
    return order > 0 ? TOOL_VERSION_NEWER : TOOL_VERSION_CURRENT;
}
