// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/tidy_run.h"

#include <cstdio>
#include <cstdlib>

#include "app/settings.h"
#include "platform/os/message_service.h"
#include "tidy/execution.h"
#include "tidy/process_list.h"
#include "tidy/search.h"
#include "tidy/tidy_tool.h"

namespace corvelle::test {

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

int RunTool(const std::vector<std::string>& args, std::string* out, std::string* err) {
    char* outBuf = nullptr;
    char* errBuf = nullptr;
    size_t outLen = 0, errLen = 0;
    FILE* o = open_memstream(&outBuf, &outLen);
    FILE* e = open_memstream(&errBuf, &errLen);
    const int rc = TidyToolMain(args, o, e);
    std::fclose(o);
    std::fclose(e);
    if (out)
        *out = std::string(outBuf, outLen);
    if (err)
        *err = std::string(errBuf, errLen);
    std::free(outBuf);
    std::free(errBuf);
    return rc;
}

}  // namespace corvelle::test
