#include "tidy/tidy_tool.h"

#include <unistd.h>

#include <chrono>

#include "app/settings.h"
#include "platform/os/file_op.h"
#include "platform/os/folders.h"
#include "platform/os/message_service.h"
#include "tidy/execution.h"
#include "tidy/process_list.h"
#include "tidy/process_log.h"
#include "tidy/search.h"
#include "util/paths.h"

namespace corvelle {
namespace {

struct Options {
    int mode = 0;
    bool subFolders = true;
    bool execute = false;
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
    if (o.folder.empty())
        return Usage(err, "missing FOLDER (see --help)");
    if (!FolderExists(o.folder) || !DirCanChange(o.folder, CurrentFolder()))
        return Usage(err, "cannot read folder '" + o.folder + "'");
    return -1;
}

void PrintRows(const ProcessList& list, FILE* out) {
    const std::string text = LogText(list);
    std::fwrite(text.data(), 1, text.size(), out);
}

long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

int TidyToolMain(const std::vector<std::string>& args, FILE* out, FILE* err) {
    Options o;
    if (const int status = Parse(args, o, out, err); status >= 0)
        return status;

    // No window: questions are answered "no", problems go to standard error.
    MessageService::SetBackend([err](const MessageRequest& req) {
        if (req.icon == MsgIcon::Exclamation || req.icon == MsgIcon::Critical)
            std::fprintf(err, "corvelle-tidy: %s\n", req.text.c_str());
        return req.buttons == MsgButtons::AbortRetryIgnore ? MsgAnswer::Ignore : MsgAnswer::Ok;
    });
    NoWindowFileOpUi fileOpUi;
    SetFileOpUi(&fileOpUi);

    SettingsRecord settings;
    std::string start = o.folder[0] == kSep ? o.folder : CurrentFolder() + o.folder;
    settings.CurrentDirectory = AddBackslash(start);
    settings.ShoriMode = static_cast<int16_t>(o.mode);
    settings.SubFolderMode = o.subFolders;
    ProcessList list;
    list.Init();
    TidySearch search(settings, list);
    const bool progress = isatty(fileno(err));
    long examined = 0;
    long long lastShown = 0;
    search.ui.yield = [&] {
        ++examined;
        if (!progress)
            return;
        const long long now = NowMs();
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
        eu.failed = [&](int, const std::string& reason) {
            std::fprintf(err, "corvelle-tidy: %s\n", reason.c_str());
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
