// SPDX-License-Identifier: GPL-3.0-or-later
#include "tidy/tidy_tool.h"

#include <cerrno>

#include "app/settings.h"
#include "build_config.h"
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
#include "tidy/tool_rows.h"
#include "tidy/undo.h"
#include "util/paths.h"

namespace corvelle {
namespace {

// The tool's own words, in the user's language.
struct Words {
    bool ja = false;
    const char* operator()(const char* japanese, const char* english) const {
        return ja ? japanese : english;
    }
};

// Examples in the shell of the system the tool runs on.
std::string Examples() {
    if (kSep == '\\')
        return "  corvelle-tidy --mode empty \"%USERPROFILE%\\Downloads\"\n"
               "  corvelle-tidy --mode empty --json \"%USERPROFILE%\\Downloads\" > plan.jsonl\n";
    return "  corvelle-tidy --mode empty ~/Downloads\n"
           "  corvelle-tidy --mode empty -0 ~/Downloads | xargs -0 -n3 printf '%s\\n'\n";
}

struct Options {
    int mode = 0;
    bool subFolders = true;
    bool execute = false;
    bool journal = true;
    bool journals = false;
    bool quiet = false;
    bool progress = false;
    RowFormat format = RowFormat::Csv;
    std::string undo;
    std::string forget;
    std::string log;
    std::string folder;
    TidyRules rules;
};

int Usage(FILE* err, const std::string& problem) {
    std::fprintf(err, "corvelle-tidy: %s\n", problem.c_str());
    return 2;
}

// Parses the arguments; returns -1 to go on, or an exit status.
int Parse(const std::vector<std::string>& args, Options& o, FILE* out, FILE* err,
          const Words& say) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            std::fputs(TidyUsage(say.ja).c_str(), out);
            return 0;
        } else if (a == "--version") {
            std::fprintf(out, "corvelle-tidy %s\n", build::kVersion);
            return 0;
        } else if (a == "--mode") {
            if (++i >= args.size())
                return Usage(err, say("--mode には raise か empty を指定してください",
                                      "--mode needs raise or empty"));
            if (args[i] == "raise") {
                o.mode = 0;
            } else if (args[i] == "empty") {
                o.mode = 1;
            } else {
                return Usage(err, std::string(say("不明なモードです: '", "unknown mode '")) +
                                      args[i] + say("' (raise か empty)", "' (raise or empty)"));
            }
        } else if (a == "--junk" || a.rfind("--junk=", 0) == 0) {
            o.rules.junk = true;
            if (a != "--junk")
                o.rules.junkNames = SplitPatterns(a.substr(7));
            if (o.rules.junkNames.empty())
                return Usage(err, say("--junk= には名前を一つ以上指定してください",
                                      "--junk= needs at least one name"));
        } else if (a == "--nested") {
            o.rules.nested = true;
        } else if (a == "--exclude" || a.rfind("--exclude=", 0) == 0) {
            std::string pattern;
            if (a == "--exclude") {
                if (++i >= args.size())
                    return Usage(err, say("--exclude にはパターンを指定してください",
                                          "--exclude needs a pattern"));
                pattern = args[i];
            } else {
                pattern = a.substr(10);
            }
            if (const ExcludeProblem why = CheckExcludePattern(pattern);
                why != ExcludeProblem::None)
                return Usage(err, say("--exclude のパターン '", "--exclude pattern '") + pattern +
                                      "': " + ExcludeProblemText(why, say.ja));
            if (!o.rules.exclude)
                o.rules.excludePatterns.clear();  // the patterns given, not the offered ones
            o.rules.exclude = true;
            o.rules.excludePatterns.push_back(pattern);
        } else if (a == "--older-than") {
            int days = -1;
            if (++i < args.size()) {
                const std::string& v = args[i];
                const bool digits = !v.empty() && v.size() <= 5 &&
                                    v.find_first_not_of("0123456789") == std::string::npos;
                days = digits ? std::stoi(v) : -1;
            }
            if (days < 0 || days > kMaxAgeDays)
                return Usage(err, say("--older-than には 0 から 36500 までの日数を指定してください",
                                      "--older-than needs a number of days from 0 to 36500"));
            o.rules.olderThanDays = days;
        } else if (a == "--no-subfolders") {
            o.subFolders = false;
        } else if (a == "--execute") {
            o.execute = true;
        } else if (a == "--no-journal") {
            o.journal = false;
        } else if (a == "--journals") {
            o.journals = true;
        } else if (a == "--quiet" || a == "-q") {
            o.quiet = true;
        } else if (a == "--progress") {
            o.progress = true;
        } else if (a == "--null" || a == "-0") {
            o.format = RowFormat::Null;
        } else if (a == "--json") {
            o.format = RowFormat::Json;
        } else if (a == "--undo" || a == "--forget") {
            if (++i >= args.size())
                return Usage(err, a + say(" にはジャーナルのファイルを指定してください",
                                          " needs a journal file"));
            (a == "--undo" ? o.undo : o.forget) = args[i];
        } else if (a == "--log") {
            if (++i >= args.size())
                return Usage(
                    err, say("--log にはファイル名を指定してください", "--log needs a file name"));
            o.log = args[i];
        } else if (a.size() > 1 && a[0] == '-') {
            return Usage(err,
                         std::string(say("不明なオプションです: '", "unknown option '")) + a + "'");
        } else if (o.folder.empty()) {
            o.folder = a;
        } else {
            return Usage(err, std::string(say("FOLDER は一つだけです。これも指定されました: '",
                                              "only one FOLDER, got '")) +
                                  a + say("'", "' too"));
        }
    }
    if (o.journals || !o.undo.empty() || !o.forget.empty()) {
        if (!o.folder.empty() || o.execute)
            return Usage(err, say("--journals、--undo、--forget には FOLDER も --execute も"
                                  "指定できません",
                                  "--journals, --undo and --forget take no FOLDER and no "
                                  "--execute"));
        return -1;
    }
    if (o.rules.nested && o.mode != 1)
        return Usage(err, say("--nested は --mode empty と一緒に指定してください",
                              "--nested goes with --mode empty"));
    if (o.folder.empty())
        return Usage(
            err, say("FOLDER を指定してください (--help を参照)", "missing FOLDER (see --help)"));
    if (!FolderExists(o.folder) || !DirCanChange(o.folder, CurrentFolder()))
        return Usage(err, std::string(say("フォルダを読めません: '", "cannot read folder '")) +
                              o.folder + "'");
    return -1;
}

// Rows go out one by one as they are settled, each flushed where something reads them as
// they come (a pipe sees them at once); into a file they go in large writes.
class RowPrinter {
  public:
    RowPrinter(FILE* out, RowFormat format, bool japanese)
        : out_(out), format_(format), japanese_(japanese), streamed_(IsStreamed(out)) {}
    void Print(const ProcessRow& row) {
        const std::string text = FormatToolRow(row, format_, japanese_);
        std::fwrite(text.data(), 1, text.size(), out_);
        if (streamed_)
            std::fflush(out_);
    }
    // The rows of a kept list up to `row`, those not printed yet.
    void PrintUpTo(const ProcessList& list, int row) {
        for (; printed_ <= row && printed_ < list.Count(); ++printed_) Print(list.Row(printed_));
    }

  private:
    FILE* out_;
    RowFormat format_;
    bool japanese_;
    bool streamed_;
    int printed_ = 0;
};

// Folders examined, rows found and the pace, at most ten times a second, on one line that
// is erased at the end.
class Progress {
  public:
    Progress(FILE* err, bool on, const Words& say) : err_(err), on_(on), say_(say) {}
    void Examined(int rows) {
        ++examined_;
        if (!on_)
            return;
        const long long now = MonotonicMs();
        if (start_ == 0)
            start_ = now;
        if (now - shown_ < 100)
            return;
        shown_ = now;
        const long long ms = now - start_;
        const long long rate = ms > 0 ? examined_ * 1000 / ms : 0;
        std::fprintf(err_,
                     say_("\r%ld フォルダを調べました, %d 行, %lld フォルダ/秒\x1b[K",
                          "\r%ld folders examined, %d rows, %lld folders/s\x1b[K"),
                     examined_, rows, rate);
        std::fflush(err_);
    }
    void End() {
        if (on_ && shown_ != 0) {
            std::fputs("\r\x1b[K", err_);
            std::fflush(err_);
        }
    }

  private:
    FILE* err_;
    bool on_;
    Words say_;
    long examined_ = 0;
    long long start_ = 0;
    long long shown_ = 0;
};

// True when one folder lies inside the other (or they are the same).
bool Overlap(const std::string& a, const std::string& b) {
    const std::string x = AddBackslash(a), y = AddBackslash(b);
    return x.compare(0, y.size(), y) == 0 || y.compare(0, x.size(), x) == 0;
}

int ListJournalsTo(FILE* out, const Words& say) {
    for (const JournalListing& l : ListJournals(true)) {
        if (l.error) {
            std::fprintf(out, "%s\t(%s: %s)\n", l.path.c_str(), say("使えません", "refused"),
                         ErrorMessageIn(l.error, say.ja).c_str());
            continue;
        }
        const RunJournal& j = l.journal;
        std::fprintf(out, "%s\t%s\t%zu rows\t%s\t%s\t%s\n", j.date.c_str(), j.startPath.c_str(),
                     j.rows.size(), l.inUse ? "in use" : (j.finished ? "finished" : "interrupted"),
                     j.undone ? "undone" : (l.undoBegun ? "undo incomplete" : "-"), l.path.c_str());
    }
    return 0;
}

int Undo(const std::string& path, const Options& o, FILE* out, FILE* err, const Words& say) {
    ProcessList rows;
    rows.Init();
    RowPrinter printer(out, o.format, say.ja);
    UndoUi ui;
    ui.row = [&](const JournalRow& r, bool ok, const Error& e) {
        const int at = rows.Append(r.before, r.raise ? r.after : kDeleteMarker);
        rows.SetResult(at, ok ? kUndoSuccess : kUndoFailure);
        rows.SetFailure(at, ok ? Error{} : e);
        if (!ok)
            std::fprintf(err, "corvelle-tidy: %s\n", ErrorMessageIn(e, say.ja).c_str());
        printer.PrintUpTo(rows, at);
    };
    Error error;
    const int failed = UndoJournal(path, ui, error);
    if (failed < 0) {
        std::fprintf(err, "corvelle-tidy: %s\n", ErrorMessageIn(error, say.ja).c_str());
        return 2;
    }
    return failed ? 1 : 0;
}

// A new run may not start where an interrupted one still waits to be put back.
bool RefuseOverInterrupted(const std::string& start, FILE* err, const Words& say) {
    bool refused = false;
    for (const JournalListing& l : ListJournals()) {
        if (!l.Interrupted() || !Overlap(l.journal.startPath, start))
            continue;
        std::fprintf(err,
                     say("corvelle-tidy: 中断された処理があります (%s, %s): 元に戻すには --undo "
                         "%s、記録を捨てるには --forget %s\n",
                         "corvelle-tidy: an interrupted run is waiting (%s, %s): put it back "
                         "with --undo %s, or drop its journal with --forget %s\n"),
                     l.journal.startPath.c_str(), l.journal.date.c_str(), l.path.c_str(),
                     l.path.c_str());
        refused = true;
    }
    return refused;
}

int Run(const Options& o, FILE* out, FILE* err, const Words& say, int& unreadable) {
    const std::string start =
        NormalizePath(IsAbsolutePath(o.folder) ? o.folder : CurrentFolder() + o.folder);
    if (o.execute && o.journal && RefuseOverInterrupted(start, err, say))
        return 2;
    SettingsRecord settings;
    settings.CurrentDirectory = AddBackslash(start);
    settings.ShoriMode = static_cast<int16_t>(o.mode);
    settings.SubFolderMode = o.subFolders;
    settings.Rules = o.rules;
    ProcessList list;
    list.Init();
    RowPrinter printer(out, o.format, say.ja);
    // A preview prints each row as the walk finds it, and keeps none unless for the log.
    if (!o.execute)
        list.PassRowsTo([&](const ProcessRow& row) { printer.Print(row); }, !o.log.empty());
    TidySearch search(settings, list);
    Progress progress(err, !o.quiet && (o.progress || IsTerminal(err)), say);
    search.ui.examined = [&] { progress.Examined(list.Count()); };
    const int before = unreadable;
    search.SearchRun();
    progress.End();
    const bool allRead = unreadable == before;

    int failed = 0;
    if (o.execute) {
        ExecutionUi eu;
        eu.journal = o.journal;
        eu.journalWritten = [&](const std::string& path) {
            // Scripts read this line: its words stay the same in every language.
            if (!o.quiet)
                std::fprintf(err, "corvelle-tidy: journal %s\n", path.c_str());
            std::fflush(err);
        };
        eu.failed = [&](int, const Error& e) {
            std::fprintf(err, "corvelle-tidy: %s\n", ErrorMessageIn(e, say.ja).c_str());
        };
        eu.rowDone = [&](int row) { printer.PrintUpTo(list, row); };
        failed = ExecuteList(list, eu);
        printer.PrintUpTo(list, list.Count() - 1);
    }
    if (!o.log.empty() && !SaveLog(list, o.log)) {
        std::fprintf(err,
                     say("corvelle-tidy: ログを書けません: '%s'\n",
                         "corvelle-tidy: cannot write log '%s'\n"),
                     o.log.c_str());
        failed = failed ? failed : 1;
    }
    return failed || !allRead ? 1 : 0;
}

}  // namespace

std::string TidyUsage(bool japanese) {
    if (japanese)
        return "使い方: corvelle-tidy [オプション] FOLDER\n"
               "       corvelle-tidy --journals | --undo JOURNAL | --forget JOURNAL\n"
               "FOLDER の下を Corvelle の「検索開始」と同じく調べ、整理の計画を一行ずつ\n"
               "「変更前,変更後,処理結果」で書き出します。--execute がなければ何も変えません。\n"
               "\n"
               "  --mode raise       単独フォルダ配下の階層を上げる (既定)\n"
               "  --mode empty       空のフォルダを削除\n"
               "  --no-subfolders    FOLDER そのものだけを調べる\n"
               "  --junk[=NAMES]     不要ファイルだけのフォルダも空とみなす。NAMES はカンマ区切り\n"
               "                     のパターン (既定: " +
               JoinPatterns(DefaultJunkNames()) +
               "\n"
               "                     ._* は対になるファイルがないときだけ)。不要ファイルは同じ\n"
               "                     ファイルシステムのごみ箱へ移され、--undo で元の場所に戻る\n"
               "  --nested           中身が空のフォルダだけのフォルダも一度に挙げる (empty のみ)\n"
               "  --exclude PATTERN  名前 (/ を含めば FOLDER からのパス) がパターンに合う\n"
               "                     フォルダを挙げず、中も調べない。何度でも指定できる\n"
               "  --older-than DAYS  更新が DAYS 日より前のフォルダ (と消すファイル) だけ挙げる\n"
               "  --execute          計画を実行する。先に処理の記録 (ジャーナル) を書き、\n"
               "                     標準エラーに \"corvelle-tidy: journal パス\" と出す\n"
               "  --log FILE         RUZO.LOG と同じ形 (CR LF、引用符なし) で FILE にも書く\n"
               "  -0, --null         各欄を NUL で終える (xargs -0 向け、一行 3 欄)\n"
               "  --json             JSON Lines: before, after, kind (raise|delete), result,\n"
               "                     error。UTF-8 でない名前は U+FFFD で書き、元のバイト列を\n"
               "                     before_bytes / after_bytes に base64 で添える\n"
               "  --progress         調べたフォルダ数などを標準エラーに出す (端末では既定)\n"
               "  -q, --quiet        エラーのほかは何も出さない\n"
               "  --journals         ジャーナルの一覧: 日時、フォルダ、行数、完了・中断・使用中、\n"
               "                     元に戻したか\n"
               "  --undo JOURNAL     その処理を元に戻す (中断された処理も)\n"
               "  --forget JOURNAL   中断された処理の記録を捨て、ツリーはそのままにする\n"
               "  --no-journal       記録なしで実行する (計測用: 元に戻せない)\n"
               "  --version          版数を表示する\n"
               "\n"
               "行の形式: 既定は CSV (RFC 4180、カンマ・引用符・改行を含む欄は \"…\" で囲む、\n"
               "行末は LF)。行は見つかった順 (実行時は処理した順) に、一行ごとに出ます。\n"
               "\n"
               "終了状態: 0 すべて成功しすべてのフォルダを読めた / 1 失敗した行か読めない\n"
               "フォルダがあった / 2 使い方の誤りか拒否 (何も変えていない)\n"
               "\n"
               "例:\n" +
               Examples();
    return "usage: corvelle-tidy [OPTION]... FOLDER\n"
           "       corvelle-tidy --journals | --undo JOURNAL | --forget JOURNAL\n"
           "Searches below FOLDER as Corvelle's search does and prints the tidy plan, one row\n"
           "a line as before,after,result. Without --execute nothing on disk changes.\n"
           "\n"
           "  --mode raise       raise the contents of a lone sub-folder a level (default)\n"
           "  --mode empty       delete empty folders\n"
           "  --no-subfolders    examine FOLDER itself only\n"
           "  --junk[=NAMES]     a folder holding only junk files counts as empty; NAMES are\n"
           "                     comma-separated patterns (default: " +
           JoinPatterns(DefaultJunkNames()) +
           "\n"
           "                     ._* only without the file it belongs to); junk files are\n"
           "                     moved to the Trash of their file system, --undo moves them back\n"
           "  --nested           list folders holding only empty folders in one pass too\n"
           "                     (empty mode only)\n"
           "  --exclude PATTERN  never list nor enter a folder whose name (or, with a \"/\",\n"
           "                     path below FOLDER) matches; may be repeated\n"
           "  --older-than DAYS  list only folders (and files they remove) last changed more\n"
           "                     than DAYS days ago\n"
           "  --execute          carry the plan out; the run is journaled first and the\n"
           "                     journal named on standard error as\n"
           "                     \"corvelle-tidy: journal PATH\"\n"
           "  --log FILE         also write the rows to FILE as RUZO.LOG (CR LF, no quoting)\n"
           "  -0, --null         end each field with NUL (three a row), for xargs -0\n"
           "  --json             JSON Lines: before, after, kind (raise|delete), result,\n"
           "                     error; a name that is not UTF-8 is written with U+FFFD and\n"
           "                     its bytes follow in base64 as before_bytes / after_bytes\n"
           "  --progress         show folders examined, rows and pace on standard error\n"
           "                     (the default on a terminal)\n"
           "  -q, --quiet        print nothing but errors on standard error\n"
           "  --journals         list the run journals: date, folder, rows, finished,\n"
           "                     interrupted or in use, undone or undo incomplete\n"
           "  --undo JOURNAL     put that run back (also after a crash)\n"
           "  --forget JOURNAL   drop an interrupted run's journal, keep the tree as it is\n"
           "  --no-journal       run without a journal (for measurements: no undo)\n"
           "  --version          print the version\n"
           "\n"
           "Rows: CSV by default (RFC 4180: a field with a comma, a double quote, CR or LF is\n"
           "quoted), LF line ends, written as found (as carried out with --execute), each at\n"
           "once.\n"
           "\n"
           "Exit status: 0 every row done and every folder read; 1 a row failed or a folder\n"
           "could not be read; 2 usage error or refusal (nothing touched).\n"
           "\n"
           "Examples:\n" +
           Examples();
}

int TidyToolMain(const std::vector<std::string>& args, FILE* out, FILE* err, bool japanese) {
    const Words say{japanese};
    Options o;
    if (const int status = Parse(args, o, out, err, say); status >= 0)
        return status;
    if (o.journals)
        return ListJournalsTo(out, say);
    if (!o.forget.empty()) {
        if (const Error error = ForgetJournal(o.forget)) {
            std::fprintf(err, "corvelle-tidy: %s\n", ErrorMessageIn(error, say.ja).c_str());
            return 2;
        }
        return 0;
    }

    // No window: questions are answered "no", problems go to standard error; a folder the
    // search cannot read is counted (Ignore goes on with the next).
    int unreadable = 0;
    MessageService::SetBackend([err, &unreadable](const MessageRequest& req) {
        if (req.icon == MsgIcon::Exclamation || req.icon == MsgIcon::Critical)
            std::fprintf(err, "corvelle-tidy: %s\n", req.text.c_str());
        if (req.buttons == MsgButtons::AbortRetryIgnore) {
            ++unreadable;
            return MsgAnswer::Ignore;
        }
        return MsgAnswer::Ok;
    });
    // A move that fails within a row is the row's failure, printed once with the row.
    class RowsSayItFileOpUi : public NoWindowFileOpUi {
        void ShowError(const Error&) override {}
    } fileOpUi;
    SetFileOpUi(&fileOpUi);
    const int status =
        o.undo.empty() ? Run(o, out, err, say, unreadable) : Undo(o.undo, o, out, err, say);
    SetFileOpUi(nullptr);
    MessageService::SetBackend(nullptr);
    return status;
}

}  // namespace corvelle
