// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/tidy_run.h"

#include <QByteArray>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "app/settings.h"
#include "platform/os/codec.h"
#include "platform/os/message_service.h"
#include "tidy/execution.h"
#include "tidy/process_list.h"
#include "tidy/search.h"
#include "tidy/tidy_tool.h"

namespace corvelle::test {
namespace {

// Wine keeps its recycle bin in $XDG_DATA_HOME: a Windows path there switches it off, so the
// Windows tests leave it alone (junk waits beside the journals there).
#ifdef _WIN32
constexpr const char* kStateVariables[] = {"XDG_STATE_HOME", "LOCALAPPDATA"};
#else
constexpr const char* kStateVariables[] = {"XDG_STATE_HOME", "LOCALAPPDATA", "XDG_DATA_HOME"};
#endif

void Restore(const char* name, bool set, const std::string& value) {
    if (set)
        qputenv(name, QByteArray::fromStdString(value));
    else
        qunsetenv(name);
}

}  // namespace

std::string FileText(const std::string& utf8) {
    return NamesAreBytes() ? utf8 : ToFileText(utf8);
}

JournalHome::JournalHome(const std::string& folder) {
    for (size_t i = 0; i < std::size(kStateVariables); ++i) {
        saved_[i] = {qEnvironmentVariableIsSet(kStateVariables[i]),
                     qgetenv(kStateVariables[i]).toStdString()};
        qputenv(kStateVariables[i], QByteArray::fromStdString(folder));
    }
}

JournalHome::~JournalHome() {
    for (size_t i = 0; i < std::size(kStateVariables); ++i)
        Restore(kStateVariables[i], saved_[i].set, saved_[i].value);
}

TidyRules Rules(const std::string& text) {
    TidyRules r;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find(',', pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string rule = text.substr(pos, end - pos);
        const size_t eq = rule.find('=');
        const std::string key = rule.substr(0, eq);
        const std::string value = eq == std::string::npos ? std::string() : rule.substr(eq + 1);
        if (key == "junk") {
            r.junk = true;
            if (!value.empty())
                r.junkNames = {value};
        }
        r.nested |= key == "nested";
        if (key == "exclude") {
            r.exclude = true;
            r.excludePatterns.clear();
            for (size_t p = 0; p <= value.size();) {
                size_t semi = value.find(';', p);
                if (semi == std::string::npos)
                    semi = value.size();
                r.excludePatterns.push_back(value.substr(p, semi - p));
                p = semi + 1;
            }
        }
        if (key == "older")
            r.olderThanDays = std::stoi(value);
        pos = end + 1;
    }
    return r;
}

void SearchInto(const std::string& root, int mode, ProcessList& list, bool subFolders,
                const TidyRules& rules) {
    SettingsRecord s;
    s.Rules = rules;
    s.CurrentDirectory = root;
    s.ShoriMode = static_cast<int16_t>(mode);
    s.SubFolderMode = subFolders;
    list.Init();
    TidySearch search(s, list);
    search.SearchRun();
}

std::string ExecuteJournaled(ProcessList& list, int* failed) {
    std::string journal;
    ExecutionUi eu;
    eu.journalWritten = [&](const std::string& p) { journal = p; };
    const int n = ExecuteList(list, eu);
    if (failed)
        *failed = n;
    return journal;
}

namespace {

std::string Drain(FILE* f) {
    std::string text;
    std::rewind(f);
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
    std::fclose(f);
    return text;
}

}  // namespace

int RunTool(const std::vector<std::string>& args, std::string* out, std::string* err) {
    FILE* o = std::tmpfile();
    FILE* e = std::tmpfile();
    const int rc = TidyToolMain(args, o, e);
    const std::string outText = Drain(o);
    const std::string errText = Drain(e);
    if (out)
        *out = outText;
    if (err)
        *err = errText;
    return rc;
}

}  // namespace corvelle::test
