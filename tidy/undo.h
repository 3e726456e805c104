// SPDX-License-Identifier: GPL-3.0-or-later
// Putting a tidy run back from its journal, newest row first: after an Undo request, or to
// recover a run that a crash interrupted. Nothing is ever overwritten: an entry whose place
// is taken, or that changed since, stays where it is and its row reads as not put back.
#pragma once

#include <functional>
#include <string>

#include "tidy/journal.h"
#include "util/error.h"

namespace corvelle {

inline constexpr const char* kUndoSuccess = "Undo成功";
inline constexpr const char* kUndoFailure = "◆Undo失敗!◆";

struct UndoUi {
    // One call per row the undo acted on (rows the run never changed are passed over).
    std::function<void(const JournalRow& row, bool ok, const Error& error)> row;
    std::function<void(const std::string& text)> status;  // panel "pbFileName"
};

// Returns the number of rows that could not be put back, or -1 with `error` when the
// journal cannot be used (damaged, or written for another folder): then nothing changed.
// A journal already undone does nothing and returns 0; after a partial undo the rows that
// could not be put back are tried again.
int UndoJournal(const std::string& path, const UndoUi& ui, Error& error);

}  // namespace corvelle
