#pragma once
// The console program's switch against the tool's own way of writing the same value: USB
// storage off and on again by ombrel.exe, and by reg add through cmd. Each side is started
// with CreateProcess and timed until it has ended; the two alternate, so that a drift of
// the machine falls on both alike.

#include <vector>

namespace bench {

struct ConsoleRuns {
    std::vector<double> consoleMs;  // ombrel.exe disable, then ombrel.exe enable
    std::vector<double> regMs;      // cmd /D /C reg add Start 4, then Start 3
    std::vector<double> speedups;   // per pair: the reg side's time over the console's
    bool allSucceeded = true;       // every process ended with 0, and storage is on again
};

// `runs` timed pairs after one untimed pair that fills the caches.
ConsoleRuns TimeConsoleAgainstReg(int runs);

}  // namespace bench
