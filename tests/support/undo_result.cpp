// SPDX-License-Identifier: GPL-3.0-or-later
// An Undo as the window runs it, with what each row said.
#include "tests/support/undo_run.h"
#include "tidy/undo.h"

namespace corvelle::test {

UndoResult Undo(const std::string& journal) {
    UndoResult r;
    UndoUi ui;
    ui.row = [&](const JournalRow& row, bool ok, const Error& e) {
        r.results << QString::fromStdString(row.before) + " " +
                         QString::fromUtf8(ok ? kUndoSuccess : kUndoFailure);
        if (!ok && r.error.empty()) {
            r.error = ErrorMessage(e);
            r.errorNumber = e.number;
            r.sysErrno = e.sysErrno;
        }
    };
    Error error;
    r.failed = UndoJournal(journal, ui, error);
    if (r.failed < 0) {
        r.error = ErrorMessage(error);
        r.errorNumber = error.number;
        r.sysErrno = error.sysErrno;
    }
    return r;
}

}  // namespace corvelle::test
