// SPDX-License-Identifier: GPL-3.0-or-later
#include "tidy/tidy_tool.h"

#include <cerrno>

#include "app/settings.h"
#include "platform/os/codec.h"
#include "platform/os/file_op.h"
#include "platform/os/folders.h"
#include "platform/os/local_time.h"
#include "platform/os/message_service.h"
#include "tidy/execution.h"
#include "tidy/journal_store.h"
#include "tidy/process_list.h"
#include "tidy/process_log.h"
#include "tidy/search.h"
#include "tidy/undo.h"
#include "util/paths.h"

namespace corvelle {
namespace {

struct Options {
    int mode = 0;
    bool subFolders = true;
    bool execute = false;
    bool journal = true;
    bool journals = false;
    std::string undo;
    std::string forget;
    std::string log;
    std::string folder;
};

int Usage(FILE* err, const std::string& problem) {
    std::fprintf(err, "corvelle-tidy: %s\n", problem.c_str());
    return 2;
}

// Parses the arguments; returns -1 to go on, or an exit status.
int Parse(const std::vector<std::string>& args, Options& o, FILE* out, FILE* err) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kTidyUsage, out);
            return 0;
        } else if (a == "--mode") {
            if (++i >= args.size())
                return Usage(err, "--mode needs raise or empty");
            if (args[i] == "raise") {
                o.mode = 0;
            } else if (args[i] == "empty") {
                o.mode = 1;
            } else {
                return Usage(err, "unknown mode '" + args[i] + "' (raise or empty)");
            }
        } else if (a == "--no-subfolders") {
            o.subFolders = false;
        } else if (a == "--execute") {
            o.execute = true;
        } else if (a == "--no-journal") {
            o.journal = false;
        } else if (a == "--journals") {
            o.journals = true;
        } else if (a == "--undo" || a == "--forget") {
            if (++i >= args.size())
                return Usage(err, a + " needs a journal file");
            (a == "--undo" ? o.undo : o.forget) = args[i];
        } else if (a == "--log") {
            if (++i >= args.size())
                return Usage(err, "--log needs a file name");
            o.log = args[i];
        } else if (a.size() > 1 && a[0] == '-') {
            return Usage(err, "unknown option '" + a + "'");
        } else if (o.folder.empty()) {
            o.folder = a;
        } else {
            return Usage(err, "only one FOLDER, got '" + a + "' too");
        }
    }
    if (o.journals || !o.undo.empty() || !o.forget.empty()) {
        if (!o.folder.empty() || o.execute)
            return Usage(err, "--journals, --undo and --forget take no FOLDER and no --execute");
        return -1;
    }
    if (o.folder.empty())
        return Usage(err, "missing FOLDER (see --help)");
    if (!FolderExists(o.folder) || !DirCanChange(o.folder, CurrentFolder()))
        return Usage(err, "cannot read folder '" + o.folder + "'");
    return -1;
}

void PrintRows(const ProcessList& list, FILE* out) {
    // A person at a console reads UTF-8; a script gets the log's own text.
    const std::string text =
        IsTerminal(out) && !NamesAreBytes() ? LogTextUtf8(list) : LogText(list);
    std::fwrite(text.data(), 1, text.size(), out);
}

// True when one folder lies inside the other (or they are the same).
bool Overlap(const std::string& a, const std::string& b) {
    const std::string x = AddBackslash(a), y = AddBackslash(b);
    return x.compare(0, y.size(), y) == 0 || y.compare(0, x.size(), x) == 0;
}

int ListJournalsTo(FILE* out) {
    for (const JournalListing& l : ListJournals(true)) {
        if (l.error) {
            std::fprintf(out, "%s\t(使えません: %s)\n", l.path.c_str(),
                         ErrorMessage(l.error).c_str());
            continue;
        }
        const RunJournal& j = l.journal;
        std::fprintf(out, "%s\t%s\t%zu rows\t%s\t%s\t%s\n", j.date.c_str(), j.startPath.c_str(),
                     j.rows.size(), l.inUse ? "in use" : (j.finished ? "finished" : "interrupted"),
                     j.undone ? "undone" : (l.undoBegun ? "undo incomplete" : "-"), l.path.c_str());
    }
    return 0;
}

int Undo(const std::string& path, FILE* out, FILE* err) {
    ProcessList rows;
    rows.Init();
    UndoUi ui;
    ui.row = [&](const JournalRow& r, bool ok, const Error& e) {
        const int at = rows.Append(r.before, r.raise ? r.after : kDeleteMarker);
        rows.SetResult(at, ok ? kUndoSuccess : kUndoFailure);
        if (!ok)
            std::fprintf(err, "corvelle-tidy: %s\n", ErrorMessage(e).c_str());
    };
    Error error;
    const int failed = UndoJournal(path, ui, error);
    if (failed < 0) {
        std::fprintf(err, "corvelle-tidy: %s\n", ErrorMessage(error).c_str());
        return 2;
    }
    PrintRows(rows, out);
    return failed ? 1 : 0;
}

// A new run may not start where an interrupted one still waits to be put back.
bool RefuseOverInterrupted(const std::string& start, FILE* err) {
    bool refused = false;
    for (const JournalListing& l : ListJournals()) {
        if (!l.Interrupted() || !Overlap(l.journal.startPath, start))
            continue;
        std::fprintf(err,
                     "corvelle-tidy: 中断された処理があります (%s, %s): 元に戻すには --undo %s、"
                     "記録を捨てるには --forget %s\n",
                     l.journal.startPath.c_str(), l.journal.date.c_str(), l.path.c_str(),
                     l.path.c_str());
        refused = true;
    }
    return refused;
}

}  // namespace

int TidyToolMain(const std::vector<std::string>& args, FILE* out, FILE* err) {
    Options o;
    if (const int status = Parse(args, o, out, err); status >= 0)
        return status;
    if (o.journals)
        return ListJournalsTo(out);
    if (!o.forget.empty()) {
        if (const Error error = ForgetJournal(o.forget)) {
            std::fprintf(err, "corvelle-tidy: %s\n", ErrorMessage(error).c_str());
            return 2;
        }
        return 0;
    }

    // No window: questions are answered "no", problems go to standard error.
    MessageService::SetBackend([err](const MessageRequest& req) {
        if (req.icon == MsgIcon::Exclamation || req.icon == MsgIcon::Critical)
            std::fprintf(err, "corvelle-tidy: %s\n", req.text.c_str());
        return req.buttons == MsgButtons::AbortRetryIgnore ? MsgAnswer::Ignore : MsgAnswer::Ok;
    });
    NoWindowFileOpUi fileOpUi;
    SetFileOpUi(&fileOpUi);

    if (!o.undo.empty()) {
        const int status = Undo(o.undo, out, err);
        SetFileOpUi(nullptr);
        MessageService::SetBackend(nullptr);
        return status;
    }
    SettingsRecord settings;
    std::string start = IsAbsolutePath(o.folder) ? o.folder : CurrentFolder() + o.folder;
    if (o.execute && o.journal && RefuseOverInterrupted(start, err)) {
        SetFileOpUi(nullptr);
        MessageService::SetBackend(nullptr);
        return 2;
    }
    settings.CurrentDirectory = AddBackslash(start);
    settings.ShoriMode = static_cast<int16_t>(o.mode);
    settings.SubFolderMode = o.subFolders;
    ProcessList list;
    list.Init();
    TidySearch search(settings, list);
    const bool progress = IsTerminal(err);
    long examined = 0;
    long long lastShown = 0;
    search.ui.yield = [&] {
        ++examined;
        if (!progress)
            return;
        const long long now = MonotonicMs();
        if (now - lastShown < 100)
            return;
        lastShown = now;
        std::fprintf(err, "\r%ld folders examined", examined);
        std::fflush(err);
    };
    search.SearchRun();
    if (progress)
        std::fprintf(err, "\r%ld folders examined\n", examined);

    int failed = 0;
    if (o.execute) {
        ExecutionUi eu;
        eu.journal = o.journal;
        eu.journalWritten = [&](const std::string& path) {
            std::fprintf(err, "corvelle-tidy: journal %s\n", path.c_str());
            std::fflush(err);
        };
        eu.failed = [&](int, const Error& e) {
            std::fprintf(err, "corvelle-tidy: %s\n", ErrorMessage(e).c_str());
        };
        failed = ExecuteList(list, eu);
    }
    PrintRows(list, out);
    if (!o.log.empty() && !SaveLog(list, o.log)) {
        std::fprintf(err, "corvelle-tidy: cannot write log '%s'\n", o.log.c_str());
        failed = failed ? failed : 1;
    }
    SetFileOpUi(nullptr);
    MessageService::SetBackend(nullptr);
    return failed ? 1 : 0;
}

}  // namespace corvelle
