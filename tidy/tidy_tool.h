// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line tidy tool: the window's search and execution without a window.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace corvelle {

inline constexpr const char* kTidyUsage =
    "usage: corvelle-tidy [--mode raise|empty] [--no-subfolders] [--execute] [--log FILE] "
    "FOLDER\n"
    "       corvelle-tidy --journals | --undo JOURNAL | --forget JOURNAL\n"
    "  --execute        carry the plan out; the run is journaled first and its journal\n"
    "                   named on standard error\n"
    "  --journals       list the run journals: date, folder, rows, finished, interrupted or\n"
    "                   in use, then undone or undo incomplete; journals that are not\n"
    "                   yours alone are listed as refused, with the reason\n"
    "  --undo JOURNAL   put that run back (also after a crash, and again after an undo\n"
    "                   that could not put everything back); one undo of a journal at a time\n"
    "  --forget JOURNAL drop an interrupted run's journal and leave the tree as it is\n"
    "  --no-journal     run without a journal (for measurements only: no undo, no recovery)\n";

// Exit status: 0 no row failed (every row put back, for --undo), 1 some row failed, 2 usage
// error or refusal (nothing touched).
int TidyToolMain(const std::vector<std::string>& args, FILE* out, FILE* err);

}  // namespace corvelle
