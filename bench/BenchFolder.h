#pragma once
// The folder the benchmark runs the real tool from: the program, its library, and a
// configuration that points the update check at a closed local port (answered at once).

#include "support/ToolRun.h"

namespace bench {

inline test::ToolFolder::Options BenchFolderOptions() {
    test::ToolFolder::Options options;
    options.name = L"Ombrel bench";
    options.ini = "[Addresses]\r\nUpdateManifest=http://127.0.0.1:9/v.txt\r\n";
    return options;
}

}  // namespace bench
