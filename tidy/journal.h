// SPDX-License-Identifier: GPL-3.0-or-later
// The run journal: what a tidy run is about to change, written and made durable before the
// first change, so the run can be undone later or rolled back after a crash. Plain data and
// its text form; where the files live is journal_store's business.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/os/file_id.h"
#include "tidy/tidy_rules.h"
#include "util/error.h"

namespace corvelle {

struct JournalEntry {
    std::string name;  // bytes as the folder holds them
    FileId id;
};

struct JournalRow {
    int index = 0;       // position in the processing list when the run began
    bool raise = false;  // false: a delete row
    std::string before;
    std::string after;
    FileId beforeId;
    FileId afterId;
    std::vector<JournalEntry> entries;  // raise: what moves up
    // raise: what moves up instead when the row below, which was to fill the folder, failed
    // and left it as the search saw it (empty when no earlier row fills it)
    std::vector<JournalEntry> otherwise;
    std::string aside;      // raise: the folder's name while its content moves
    FolderMeta meta;        // the removed folder
    FolderMeta parentMeta;  // its parent's times before the run (0: not known)
    // Junk files removed first (a delete row's own, a raise row's after folder's), their
    // contents kept beside the journal.
    std::vector<JunkFile> junk;
};

enum class RowMark { None, Done, Failed };

struct RunJournal {
    std::string startPath;
    FileId startId;
    std::string date;  // local time, "YYYY-MM-DDTHH:MM:SS"
    std::vector<JournalRow> rows;
    std::map<int, RowMark> done;   // by row index; progress of the run
    bool finished = false;         // the run reached its end
    std::map<int, RowMark> undo;   // by row index; progress of an undo
    std::set<int> otherwise;       // raise rows that moved their `otherwise` entries
    std::map<int, FileId> remade;  // by row index: the folder an undo made again
    bool undone = false;
};

// Reads a journal one line at a time, so that no journal is ever held whole in memory.
class JournalParser {
  public:
    explicit JournalParser(RunJournal& j);
    // One whole line, without its "\n".
    Error Line(const std::string& line);
    // After the last whole line (a last line cut short is not passed on: a crash leaves it).
    Error End();

  private:
    Error Plan(const std::vector<std::string>& f);
    Error Progress(const std::vector<std::string>& f);
    Error Damaged(const std::string& why) const;

    RunJournal& j_;
    size_t line_ = 0;  // lines read so far
    bool planEnded_ = false;
};

// The journal's text up to and including the plan (header and rows).
std::string FormatJournalPlan(const RunJournal& j);
// The records appended later.
std::string FormatRowMark(int index, bool ok);
std::string FormatRunEnd();
// Written, and made durable, before a raise row moves its `otherwise` entries.
std::string FormatOtherwise(int index);
std::string FormatUndoMark(int index, bool ok);
// Written, and made durable, as soon as an undo has made a folder again and before anything
// moves into it: only a folder recorded so is ever used by a later undo.
std::string FormatRemade(int index, const FileId& id);
std::string FormatUndone();
// The whole journal as it would be on disk.
std::string FormatJournal(const RunJournal& j);

// Reads a journal; false with a message for people when the text is not a whole journal of
// this program (damaged, cut short before its plan ended, or foreign). A cut-short tail of
// progress records is not damage: a crash leaves exactly that.
Error ParseJournal(const std::string& text, RunJournal& j);

// Only the first lines (program, start folder, date): for listings that need no more.
Error ParseJournalHeader(const std::string& head, RunJournal& j);

// Names and paths as journal fields: printable ASCII kept, every other byte as %XX.
std::string JournalEscape(const std::string& bytes);
bool JournalUnescape(const std::string& field, std::string& bytes);

}  // namespace corvelle
