// SPDX-License-Identifier: GPL-3.0-or-later
// The one error value passed up from the core: what kind of failure, the system's errno, the
// item and the operation. Window code and the command-line tool turn it into text.
#pragma once

#include <string>
#include <utility>

namespace corvelle {

// Error numbers the program reacts to by number.
enum ErrNo : int {
    kErrEndQuietly = -1,  // a step that ends its command without a message
    kErrNone = 0,
    kErrInvalidCall = 5,
    kErrOverflow = 6,
    kErrSubscript = 9,
    kErrTypeMismatch = 13,
    kErrFileNotFound = 53,
    kErrPathNotFound = 76,
    kErrFileExists = 58,
    kErrPermission = 70,
    kErrDiskFull = 61,
    kErrPathFile = 75,
    kErrIo = 57,
    kErrNoSuchElement = 340,
    kErrMissingElement = 35601,
    // A tidy row refused because the disk is no longer as the search (or the plan) saw it.
    kErrOutsideStart = 1001,
    kErrFolderReplaced,      // another folder stands where the search saw this one
    kErrItemReplaced,        // another item stands there
    kErrReplacedByLink,      // a link or a file stands where a folder was
    kErrOtherMount,          // another file system is mounted there
    kErrNotFromSearch,       // the row was not found by a search
    kErrAfterNotParent,      // the after folder is not the before folder's parent
    kErrSiblingAppeared,     // the after folder holds more than the before folder now
    kErrChangedSincePlan,    // the folder's content changed after the plan was written
    kErrNotUndoable,         // nothing recorded to put back
    kErrNothingToPutBack,    // an undo finds none of the row's items
    kErrNameTaken,           // an undo finds another item under the name
    kErrPartlyPutBack,       // an undo put back some of a row (the detail lists the rest)
    kErrOtherFolderJournal,  // the journal was written for another folder
    kErrNotAJournal,         // the file is not a run journal
    kErrJournalDamaged,      // the journal is cut short or garbled (the detail says where)
    kErrJournalNotOwn,       // the journal or its folder is not the user's alone
    kErrJournalTooLarge,     // larger than any run writes
    kErrUndoRunning,         // another Undo of the same journal is going on
    kErrUnplannedEntry,      // a raise found an entry the plan does not hold
    kErrNoTrash,             // no Trash the desktop shows can take the item
    kErrJunkChanged,         // a junk file changed after the search saw it
    kErrJunkNotKept,         // a junk file could not be set aside for Undo
    kErrRowBelowFailed,      // a row below this folder failed: it is not empty
    kErrKindsEnd
};

struct Error {
    Error() = default;
    Error(int n, std::string text) : number(n), description(std::move(text)) {}

    int number = kErrNone;  // the kind (above), or a file operation's result code
    std::string description;
    int sysErrno = 0;       // the failed system call's errno; 0 when none failed
    std::string path;       // the item it happened to
    std::string operation;  // what was being done ("移動", "削除", …)
    std::string detail;     // more for people, appended as it stands ("\n…" lines)

    explicit operator bool() const { return number != kErrNone; }
};

// The standard description of a program error number.
std::string ErrorText(int number);
Error MakeError(int number);
// A failure of a kind above, at path.
Error KindError(int number, const std::string& path);
// An error from a failed system call: the number classifies errno, the text is its cause.
Error SystemError(int err, const std::string& path = {});
// The cause of a system error for people, in Japanese whatever the locale (the window is
// Japanese; Windows' C library knows only English): the errors a file tool meets have their
// own text, any other the system's.
std::string SystemErrorText(int err);

// For scripts: a stable token of what failed, whatever the language ("" when nothing did): the
// kind ("changed-after-plan", "name-taken", …), else the system's name for its error
// ("EACCES", …; "errno-N" for one without a name here), else "error-N".
std::string ErrorToken(const Error& e);
// For people: "<operation>できませんでした: <cause>", without the item.
std::string ErrorCause(const Error& e);
// For people: "<path>: " and the cause, then the detail.
std::string ErrorMessage(const Error& e);
// The same in Japanese or in English (the C library's words for a system error; the detail
// as it stands).
std::string ErrorMessageIn(const Error& e, bool japanese);

}  // namespace corvelle
