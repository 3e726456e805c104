// SPDX-License-Identifier: GPL-3.0-or-later
// Carrying out the processing list: raise rows and delete rows. Each row acts only on the very
// folders the search saw: they are reached from the start folder's handle without following
// a link or crossing a mount, and their identities are checked before anything changes.
#pragma once

#include <functional>
#include <string>

#include "platform/os/file_op.h"
#include "util/error.h"

namespace corvelle {

class ProcessList;
struct ProcessRow;

struct ExecutionUi {
    OwnerHandle owner = 0;
    std::function<void(const std::string& text)> status;  // panel "pbFileName"
    // Why a row failed (the row itself reads "◆失敗!◆" and keeps the error too).
    std::function<void(int row, const Error& error)> failed;
    // The run is journaled first, so that it can be undone and recovered; off only to
    // measure what the journal costs.
    bool journal = true;
    std::function<void(const std::string& path)> journalWritten;
    // Row by row in the list's order, once its result is in (ticked rows too, untouched).
    std::function<void(int row)> rowDone;
};

// Every unticked row in the list's current order, results written in; returns the number
// of rows that failed.
int ExecuteList(ProcessList& list, const ExecutionUi& ui);

}  // namespace corvelle
