// The benchmark's driver under Wine: measures one group of figures and prints them as
// "name value" lines for tools/bench, which makes the table.
//   ombrel_bench startup RUNS | switch RUNS | cycles BUTTON_CYCLES PROMPTS | console RUNS

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "BenchFolder.h"
#include "ConsoleBench.h"
#include "CycleBench.h"
#include "Figures.h"
#include "MinimalDialog.h"
#include "StartupBench.h"
#include "SwitchBench.h"
#include "support/TestFiles.h"
#include "support/ToolRun.h"
#include "win/Gdiplus.h"

namespace {

void ReportSeries(const char* name, const std::vector<double>& values) {
    bench::Report(name, bench::Median(values));
    bench::Report((std::string(name) + "_runs").c_str(), static_cast<double>(values.size()));
}

// Each round starts the minimal dialog and then the tool, so that a drift of the machine
// falls on both alike; one unmeasured round first fills the caches.
int Startup(int runs) {
    test::ToolFolder folder(bench::BenchFolderOptions());
    const std::wstring minimal = test::ProgramDirectory() + L"\\" + bench::kMinimalDialogProgram;
    const bench::FirstPaint toolPaint = bench::ToolPanelPaint();
    const bench::FirstPaint minimalPaint = bench::MinimalDialogPaint();
    std::vector<double> toolMs, minimalMs;
    for (int round = 0; round <= runs; ++round) {
        const double floor = bench::TimeToFirstPaint(minimal, minimalPaint);
        const double tool = bench::TimeToFirstPaint(folder.Program(), toolPaint);
        if (round == 0) continue;
        if (floor >= 0) minimalMs.push_back(floor);
        if (tool >= 0) toolMs.push_back(tool);
    }
    ReportSeries("startup_tool_ms", toolMs);
    ReportSeries("startup_minimal_ms", minimalMs);
    return toolMs.size() == static_cast<size_t>(runs) ? 0 : 1;
}

int Switch(int runs) {
    const bench::SwitchRuns switches = bench::TimeSwitches(runs);
    ReportSeries("switch_enable_ms", switches.enableMs);
    ReportSeries("switch_runner_ms", bench::TimeCommandRunner(runs));
    bench::Report("switch_ok", switches.allSucceeded ? 1 : 0);
    bench::ReportFigures("tool_started", switches.afterStart);
    bench::ReportFigures("tool_switched", switches.afterSwitches);
    return switches.allSucceeded ? 0 : 1;
}

int Cycles(int buttonCycles, int prompts) {
    const bench::CycleRuns cycles = bench::RunCycles(buttonCycles, prompts);
    bench::Report("cycles_opened", cycles.opened ? 1 : 0);
    bench::Report("prompts_unanswered", cycles.unanswered);
    bench::Report("buttons_gdi_before", cycles.buttons.gdiBefore);
    bench::Report("buttons_gdi_after", cycles.buttons.gdiAfter);
    bench::Report("buttons_handles_before", cycles.buttons.handlesBefore);
    bench::Report("buttons_handles_after", cycles.buttons.handlesAfter);
    bench::Report("prompts_gdi_before", cycles.prompts.gdiBefore);
    bench::Report("prompts_gdi_after", cycles.prompts.gdiAfter);
    bench::Report("prompts_handles_before", cycles.prompts.handlesBefore);
    bench::Report("prompts_handles_after", cycles.prompts.handlesAfter);
    bench::ReportFigures("panel_started", cycles.afterStart);
    bench::ReportFigures("panel_cycled", cycles.afterCycles);
    return cycles.opened ? 0 : 1;
}

int Console(int runs) {
    const bench::ConsoleRuns pairs = bench::TimeConsoleAgainstReg(runs);
    ReportSeries("console_switch_ms", pairs.consoleMs);
    bench::Report("console_reg_ms", bench::Median(pairs.regMs));
    bench::Report("console_speedup_median", bench::Median(pairs.speedups));
    bench::Report("console_speedup_q1", bench::Quantile(pairs.speedups, 0.25));
    bench::Report("console_speedup_q3", bench::Quantile(pairs.speedups, 0.75));
    bench::Report("console_ok", pairs.allSucceeded ? 1 : 0);
    return pairs.allSucceeded ? 0 : 1;
}

int Usage() {
    std::fwprintf(stderr,
                  L"usage: ombrel_bench startup RUNS | switch RUNS | "
                  L"cycles BUTTON_CYCLES PROMPTS | console RUNS\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return Usage();
    const std::wstring mode = argv[1];
    const int first = std::wcstol(argv[2], nullptr, 10);
    const int second = argc > 3 ? std::wcstol(argv[3], nullptr, 10) : 0;
    if (first <= 0) return Usage();
    win::GdiplusSession gdiplus;
    if (mode == L"startup" && argc == 3) return Startup(first);
    if (mode == L"switch" && argc == 3) return Switch(first);
    if (mode == L"cycles" && argc == 4 && second > 0) return Cycles(first, second);
    if (mode == L"console" && argc == 3) return Console(first);
    return Usage();
}
