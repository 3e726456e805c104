// SPDX-License-Identifier: GPL-3.0-or-later
// File-operation window services that tests script: queued answers, recorded errors, a
// progress call that cancels.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/os/file_op.h"

namespace corvelle::test {

class ScriptedFileOpUi : public FileOpUi {
  public:
    ScriptedFileOpUi() { SetFileOpUi(this); }
    ~ScriptedFileOpUi() override { SetFileOpUi(nullptr); }

    std::deque<Answer> answers;      // used in order; "No" when empty
    std::vector<std::string> asked;  // targets of the questions
    std::vector<std::string> errors;
    int cancelAtProgress = -1;  // the n-th progress call (from 1) presses Cancel
    int progressCalls = 0;
    std::function<void(int call)> onProgress;

    Answer AskReplace(const std::string& target, bool) override { return Next(target); }
    Answer AskDownload(const std::string& item) override { return Next("download " + item); }
    Answer Next(const std::string& asking) {
        asked.push_back(asking);
        if (answers.empty())
            return Answer::No;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    void ShowError(const Error& error) override {
        errors.push_back(ErrorMessage(error));
        errorValues.push_back(error);
    }
    std::vector<Error> errorValues;
    bool createAnswer = true;  // the answer to "make the missing destination?"
    std::vector<std::string> createAsked;
    long long lastDone = 0, lastTotal = -1;
    bool AskCreateFolder(const std::string& folder) override {
        createAsked.push_back(folder);
        return createAnswer;
    }
    bool permanentAnswer = false;  // the answer to "no Trash: delete for good?"
    std::vector<Error> permanentAsked;
    bool AskDeletePermanently(const Error& why) override {
        permanentAsked.push_back(why);
        return permanentAnswer;
    }
    bool Progress(const std::string&, long long done, long long total) override {
        lastDone = done;
        lastTotal = total;
        ++progressCalls;
        if (onProgress)
            onProgress(progressCalls);
        return progressCalls != cancelAtProgress;
    }
};

}  // namespace corvelle::test
