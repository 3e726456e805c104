// SPDX-License-Identifier: GPL-3.0-or-later
// Trees described in a line each, and Undo as the tool runs it, for the Undo tests.
#pragma once

#include <QStringList>
#include <map>
#include <string>

namespace corvelle::test {

class TestDir;

// What a tree is, beyond names and contents: every folder's mode, owner and modification
// time.
std::map<std::string, std::string> Attributes(const TestDir& t);

// Builds "d:" folders, "f:" files, "m:" folder modes ("m:A/B=0700"), "o:" owners
// ("o:A/B=1234"), on Windows "a:" folder attributes ("a:A/B=2": hidden) and no modes, then
// gives every folder one fixed time.
void Build(TestDir& t, const QStringList& spec);
// Why this system (or user) cannot build spec, or nullptr when it can.
const char* CannotBuild(const QStringList& spec);

struct UndoResult {
    int failed = 0;
    QStringList results;  // "<before> Undo成功" or "<before> ◆Undo失敗!◆", in order
    std::string error;    // the journal's refusal, or the first failed row's message
    int errorNumber = 0;
    int sysErrno = 0;
};
UndoResult Undo(const std::string& journal);

}  // namespace corvelle::test
