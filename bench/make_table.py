#!/usr/bin/env python3
"""Makes the benchmark's Markdown table from the "name value" lines the driver and
tools/bench wrote: make_table.py FIGURES_FILE > bench.md"""

import sys

# Libraries every Windows installation has; anything else would have to ship beside the tool.
SYSTEM_DLLS = {
    "advapi32", "bcrypt", "comctl32", "comdlg32", "crypt32", "gdi32", "gdiplus", "imm32",
    "kernel32", "msimg32", "msvcrt", "ntdll", "ole32", "oleaut32", "psapi", "shell32",
    "shlwapi", "user32", "userenv", "uxtheme", "version", "winhttp", "wininet", "winmm",
    "ws2_32",
}
MB = 1024 * 1024


def read_figures(path):
    figures = {}
    with open(path, encoding="utf-8") as lines:
        for line in lines:
            name, _, value = line.strip().partition(" ")
            if name:
                figures[name] = value
    return figures


def foreign_dlls(imports):
    names = [name for name in imports.split(",") if name]
    return [name for name in names if name.lower().removesuffix(".dll") not in SYSTEM_DLLS]


def verdict(met):
    return "yes" if met else "**no**"


class Table:
    def __init__(self, figures):
        self.f = figures
        self.rows = []

    def number(self, name):
        return float(self.f.get(name, "nan"))

    def add(self, figure, measured, floor, relation, target, met):
        self.rows.append((figure, measured, floor, relation, target,
                          verdict(met) if met is not None else "—"))

    def paired(self, prefix, spread, fallback):
        """The per-pair median of `spread` ("ratio" or "over_ms") with its quartiles, and the
        pairs' count with the dropped ones; without pairs, `fallback` from the medians."""
        median = self.number(f"{prefix}_{spread}_median")
        if median != median:
            return fallback, "", ""
        q1, q3 = self.number(f"{prefix}_{spread}_q1"), self.number(f"{prefix}_{spread}_q3")
        dropped = self.number(f"{prefix}_dropped")
        pairs = f"{self.number(f'{prefix}_pairs'):.0f} interleaved pairs"
        if dropped > 0:
            pairs += f", {dropped:.0f} dropped"
        return median, (q1, q3), pairs

    def startup(self):
        tool, floor = self.number("startup_tool_ms"), self.number("startup_minimal_ms")
        runs = int(self.number("startup_tool_ms_runs"))
        ratio, quartiles, pairs = self.paired(
            "startup", "ratio", tool / floor if floor > 0 else float("nan"))
        spread = f" (quartiles {quartiles[0]:.2f}–{quartiles[1]:.2f})" if quartiles else ""
        self.add(f"start-up to the painted panel (median of {pairs or runs})", f"{tool:.0f} ms",
                 f"{floor:.0f} ms (minimal dialog)", f"{ratio:.2f} ×{spread}", "≤ 1.30 ×",
                 ratio <= 1.3)

    def switch(self):
        tool, floor = self.number("switch_enable_ms"), self.number("switch_runner_ms")
        runs = int(self.number("switch_enable_ms_runs"))
        ok = self.number("switch_ok") == 1
        note = "" if ok else " (a switch failed)"
        over, quartiles, pairs = self.paired("switch", "over_ms", tool - floor)
        spread = f" (quartiles {quartiles[0]:+.0f} to {quartiles[1]:+.0f})" if quartiles else ""
        self.add(f"switch: click on Enable to the result prompt (median of {pairs or runs}){note}",
                 f"{tool:.0f} ms",
                 f"{floor:.0f} ms (reg add through the command runner, 500 ms pacing included)",
                 f"{over:+.0f} ms{spread}", "≤ floor + 50 ms", ok and over <= 50)

    def console(self):
        tool, floor = self.number("console_switch_ms"), self.number("console_reg_ms")
        runs = int(self.number("console_switch_ms_runs"))
        speedup = self.number("console_speedup_median")
        q1, q3 = self.number("console_speedup_q1"), self.number("console_speedup_q3")
        ok = self.number("console_ok") == 1
        note = "" if ok else " (a run failed)"
        self.add(f"ombrel.exe disable, then enable: start to exit (median of {runs} pairs, "
                 f"interleaved){note}", f"{tool:.0f} ms",
                 f"{floor:.0f} ms (cmd /D /C reg add of Start 4, then 3)",
                 f"{speedup:.1f} × faster (quartiles {q1:.1f}–{q3:.1f})", "≥ 3 × faster",
                 ok and speedup >= 3)

    def growth(self, figure, before_name, after_name, target="0", measured=True):
        """A count before and after; a target of "—" only informs."""
        before, after = self.number(before_name), self.number(after_name)
        judged = target != "—"
        if not measured or before != before or after != after or min(before, after) < 0:
            self.add(figure, "not measured", "0 growth", "—", target, False if judged else None)
            return
        self.add(figure, f"{before:.0f} → {after:.0f}", "0 growth", f"{after - before:+.0f}",
                 target, after == before if judged else None)

    def cycles(self):
        opened = self.number("cycles_opened") == 1
        missed = self.number("prompts_unanswered")
        note = f" ({missed:.0f} closed unanswered: the click missed)" if missed > 0 else ""
        for what, prefix in (("1,000 hover/press/repaint cycles of the big buttons", "buttons"),
                             (f"100 showings of a prompt{note}", "prompts")):
            for kind, name in (("gdi", "GDI objects"), ("handles", "kernel handles")):
                self.growth(f"{name} over {what}", f"{prefix}_{kind}_before",
                            f"{prefix}_{kind}_after", measured=opened)
        self.growth("kernel handles of the real tool over its 15 switches (read from outside)",
                    "tool_started_kernel_handles", "tool_switched_kernel_handles", "—")

    def memory(self, figure, start, end):
        def text(prefix):
            return (f"{self.number(prefix + '_private_mb'):.1f} MB private, "
                    f"{self.number(prefix + '_working_set_mb'):.1f} MB working set")
        self.add(figure, f"{text(start)} → {text(end)}", "—", "—", "—", None)

    def private_bytes(self):
        tool = self.number("startup_tool_private_mb")
        floor = self.number("startup_minimal_private_mb")
        over = tool - floor
        self.add("private bytes a second after the first paint", f"{tool:.1f} MB",
                 f"{floor:.1f} MB (minimal dialog)", f"{over:+.1f} MB", "≤ floor + 6 MB",
                 over <= 6 if over == over else False)

    def files(self):
        for key, name in (("exe", "TovricOmbrel.exe"), ("dll", "HarvaneFeedbackInformation.dll")):
            size, stripped = self.number(f"{key}_bytes"), self.number(f"{key}_stripped_bytes")
            is_exe = key == "exe"
            self.add(f"{name} size (static runtime)",
                     f"{stripped / MB:.2f} MB stripped ({size / MB:.2f} MB with symbols)", "—",
                     "—", "≤ 1.5 MB" if is_exe else "—", stripped <= 1.5 * MB if is_exe else None)
            imports = self.f.get(f"{key}_imports", "")
            foreign = foreign_dlls(imports)
            self.add(f"{name} imports", imports.replace(",", ", "), "only system DLLs",
                     "foreign: " + ", ".join(foreign) if foreign else "none foreign",
                     "only system DLLs", not foreign)

    def markdown(self):
        timed = self.f.get("timed_build", "an unnamed build")
        lines = [f"Timed: {timed}. Sizes and imports: the shipped i686 files.", "",
                 "| figure | measured | floor | against the floor | target | met |",
                 "|---|---|---|---|---|---|"]
        lines += ["| " + " | ".join(row) + " |" for row in self.rows]
        return "\n".join(lines) + "\n"


def main():
    table = Table(read_figures(sys.argv[1]))
    table.startup()
    table.switch()
    table.console()
    table.cycles()
    table.private_bytes()
    table.memory("memory of the real tool: after start → after 15 switches", "tool_started",
                 "tool_switched")
    table.memory("memory of the panel process: after start → after the cycles",
                 "panel_started", "panel_cycled")
    table.files()
    sys.stdout.write(table.markdown())


if __name__ == "__main__":
    main()
