// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/tidy_run.h"

#include <QByteArray>
#include <cstdio>
#include <cstdlib>

#include "app/settings.h"
#include "platform/os/codec.h"
#include "platform/os/message_service.h"
#include "tidy/execution.h"
#include "tidy/process_list.h"
#include "tidy/search.h"
#include "tidy/tidy_tool.h"

namespace corvelle::test {
namespace {

constexpr const char* kStateVariables[] = {"XDG_STATE_HOME", "LOCALAPPDATA"};

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

JournalHome::JournalHome(const std::string& folder)
    : state_{qEnvironmentVariableIsSet(kStateVariables[0]),
             qgetenv(kStateVariables[0]).toStdString()},
      local_{qEnvironmentVariableIsSet(kStateVariables[1]),
             qgetenv(kStateVariables[1]).toStdString()} {
    for (const char* name : kStateVariables) qputenv(name, QByteArray::fromStdString(folder));
}

JournalHome::~JournalHome() {
    Restore(kStateVariables[0], state_.set, state_.value);
    Restore(kStateVariables[1], local_.set, local_.value);
}

void SearchInto(const std::string& root, int mode, ProcessList& list, bool subFolders) {
    SettingsRecord s;
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
