#pragma once
// The maker's addresses, read from the configuration file beside the library, with
// compiled-in defaults for what the file does not give.

#include <string>

#include "HarvaneFeedbackInformation.h"

struct LibraryConfig {
    std::wstring homePage;
    std::wstring feedbackPage;
    std::wstring agreementPage;
    std::wstring moreToolsPage;
    std::wstring moreSolutionsPage;
    std::wstring downloadPage;
    std::wstring updateManifest;
};

// Reads "HarvaneFeedbackInformation.ini" in the folder of the module that holds this code.
LibraryConfig LoadLibraryConfig();

// Reads the given file. A missing file, key or empty value gives the default; so does a
// value too long for the tool information record.
LibraryConfig ReadLibraryConfig(const std::wstring& iniPath);

void FillToolInfo(const LibraryConfig& config, ToolInfo& info);
