#pragma once
// The state of the machine's USB storage as key=value words or as one JSON object.

#include <string>
#include <vector>

#include "storage/StorageCoverage.h"
#include "storage/StorageEvent.h"

struct StatusField {
    std::wstring name;
    std::wstring text;  // the plain form: ASCII, no spaces
    std::wstring json;  // the JSON form of the same value
};

std::vector<StatusField> DescribeCoverage(const CoverageState& state);

std::wstring PlainLine(const std::vector<StatusField>& fields);
std::wstring JsonLine(const std::vector<StatusField>& fields);

// A plain field whose JSON form is the same text as a JSON string.
StatusField TextField(const std::wstring& name, const std::wstring& text);
// "a,b" (or "none") as a plain field, an array of strings in JSON.
StatusField ListField(const std::wstring& name, const std::vector<std::wstring>& items);
// A number, the same in both forms.
StatusField NumberField(const std::wstring& name, long number);

// "a,b,c"; empty for no items.
std::wstring CommaList(const std::vector<std::wstring>& items);
