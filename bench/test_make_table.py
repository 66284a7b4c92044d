#!/usr/bin/env python3
"""The benchmark table's verdicts: each target judged in the right direction, foreign
libraries caught, and figures that are missing never counted as met."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_table  # noqa: E402

GOOD = {
    "startup_tool_ms": "120", "startup_minimal_ms": "100", "startup_tool_ms_runs": "7",
    "switch_enable_ms": "600", "switch_runner_ms": "560", "switch_enable_ms_runs": "5",
    "switch_ok": "1", "cycles_opened": "1", "prompts_unanswered": "0",
    "console_switch_ms": "200", "console_reg_ms": "600", "console_switch_ms_runs": "15",
    "console_speedup_median": "3", "console_speedup_q1": "2.8", "console_speedup_q3": "3.2",
    "console_ok": "1",
    "buttons_gdi_before": "135", "buttons_gdi_after": "135",
    "buttons_handles_before": "43", "buttons_handles_after": "43",
    "prompts_gdi_before": "103", "prompts_gdi_after": "103",
    "prompts_handles_before": "43", "prompts_handles_after": "43",
    "exe_bytes": "1500000", "exe_stripped_bytes": "640000",
    "exe_imports": "KERNEL32.dll,gdiplus.dll,COMCTL32.DLL",
    "startup_tool_private_mb": "14.0", "startup_minimal_private_mb": "8.0",
    "dll_bytes": "800000", "dll_stripped_bytes": "330000", "dll_imports": "WINHTTP.dll",
}


def verdicts(changes):
    table = make_table.Table({**GOOD, **changes})
    table.startup()
    table.switch()
    table.console()
    table.cycles()
    table.private_bytes()
    table.files()
    return {row[0]: row[5] for row in table.rows}


def unmet(changes):
    return sorted(figure for figure, met in verdicts(changes).items() if met == "**no**")


class VerdictTest(unittest.TestCase):
    def test_each_target(self):
        cases = [
            ("all met", {}, []),
            ("start-up at 1.3 x is met", {"startup_tool_ms": "130"}, []),
            ("start-up above 1.3 x", {"startup_tool_ms": "131"}, ["start-up"]),
            ("switch at floor + 50 ms is met", {"switch_enable_ms": "610"}, []),
            ("switch above floor + 50 ms", {"switch_enable_ms": "611"}, ["switch"]),
            ("the pairs' median ratio decides, not the medians' ratio",
             {"startup_ratio_median": "1.31", "startup_ratio_q1": "1.2",
              "startup_ratio_q3": "1.4", "startup_pairs": "15", "startup_dropped": "0"},
             ["start-up"]),
            ("the pairs' median difference decides",
             {"switch_over_ms_median": "49", "switch_over_ms_q1": "30", "switch_over_ms_q3": "70",
              "switch_pairs": "15", "switch_dropped": "1", "switch_enable_ms": "700"}, []),
            ("a failed switch", {"switch_ok": "0"}, ["switch"]),
            ("console below 3 x faster", {"console_speedup_median": "2.99"}, ["ombrel.exe"]),
            ("a failed console run", {"console_ok": "0"}, ["ombrel.exe"]),
            ("one GDI object more", {"buttons_gdi_after": "136"}, ["GDI objects over 1,000"]),
            ("one handle fewer is growth too", {"prompts_handles_after": "42"},
             ["kernel handles over 100"]),
            ("a runtime library imported", {"exe_imports": "KERNEL32.dll,libstdc++-6.dll"},
             ["TovricOmbrel.exe imports"]),
            ("winpthread in the library", {"dll_imports": "libwinpthread-1.dll"},
             ["HarvaneFeedbackInformation.dll imports"]),
            ("private bytes over the minimal dialog's by more than 6 MB",
             {"startup_tool_private_mb": "14.1"}, ["private bytes"]),
            ("private bytes not measured", {"startup_minimal_private_mb": "nan"},
             ["private bytes"]),
            ("executable over 1.5 MB stripped", {"exe_stripped_bytes": str(1572865)},
             ["TovricOmbrel.exe size"]),
        ]
        for name, changes, expected in cases:
            with self.subTest(name):
                failed = unmet(changes)
                self.assertEqual(len(expected), len(failed), failed)
                for prefix, figure in zip(sorted(expected), failed):
                    self.assertTrue(figure.startswith(prefix), (prefix, figure))

    def test_figures_not_measured_are_never_met(self):
        for changes in ({"cycles_opened": "0"}, {"buttons_gdi_after": None}):
            with self.subTest(changes):
                figures = {k: v for k, v in {**GOOD, **changes}.items() if v is not None}
                table = make_table.Table(figures)
                table.cycles()
                self.assertEqual("**no**", table.rows[0][5])
                self.assertEqual("not measured", table.rows[0][1])


if __name__ == "__main__":
    unittest.main()
