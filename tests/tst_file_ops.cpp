// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>
#include <cstdlib>
#include <cstring>
#include <set>

#include "platform/os/file_op.h"
#include "platform/os/handles.h"
#include "platform/os/message_service.h"
#include "shellops/sh_file_lib.h"
#include "tests/support/scripted_file_op_ui.h"
#include "tests/support/test_dir.h"
#include "util/paths.h"

using namespace corvelle;
using Answer = FileOpUi::Answer;

namespace {

const std::string kBadName = "bad\xff\xfe name";

// Every file content of the trees: nothing may be lost by an operation.
std::multiset<std::string> Contents(std::initializer_list<const test::TestDir*> dirs) {
    std::multiset<std::string> out;
    for (const test::TestDir* d : dirs)
        for (const auto& [rel, content] : d->Snapshot())
            if (content != "<dir>" && content != "<fifo>" && content.rfind("-> ", 0) != 0)
                out.insert(content);
    return out;
}

bool NoPartials(const test::TestDir& d) {
    for (const auto& [rel, content] : d.Snapshot())
        if (rel.find(".corvelle-") != std::string::npos)
            return false;
    return true;
}

// Every entry of a folder, listed by name, as only the raise asks for it.
FileOpRecord EveryEntry(unsigned func, const std::string& from, const std::string& to) {
    FileOpRecord rec{0, func, from, to, 0};
    rec.listedEntries = true;
    int err = 0;
    if (const UniqueFd dir = OpenFolderPath(from); dir.Valid())
        ReadNames(dir.Get(), rec.entries, err);
    return rec;
}

int FailOnVictim(const std::string& path) {
    return path.find("victim") != std::string::npos ? EIO : 0;
}

}  // namespace

class TestFileOps : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void cleanup() {
        SetReadFailureHook(nullptr);
        SetShellOperation(nullptr);
        MessageService::ResetScript();
    }

    void moveEveryEntryUp() {
        test::ScriptedFileOpUi ui;
        test::TestDir t;
        t.File("Top/Sub/plain", "plain");
        t.File("Top/Sub/.dot", "dot");
        t.File("Top/Sub/deeper/inner", "inner");
        t.Dir("Top/Sub/.hiddendir");
        if (test::CanMakeLinks()) {  // and names of any byte, FIFOs: Linux
            t.File("Top/Sub/" + kBadName, "bad");
            t.Link("Top/Sub/dangling", "no/such/target");
            t.Fifo("Top/Sub/pipe");
        } else {
            t.File("Top/Sub/名前 한 😀", "unicode");
        }
        const auto before = t.Snapshot("Top/Sub");
        QCOMPARE(FileOperation(EveryEntry(FO_MOVE, t.Path("Top/Sub"), t.Path("Top/"))).number, 0);
        QVERIFY(t.Snapshot("Top/Sub").empty());
        for (const auto& [rel, content] : before) QCOMPARE(t.Snapshot("Top")[rel], content);
        QVERIFY(ui.asked.empty() && ui.errors.empty());
        // A folder with no entry at all: nothing to do, success.
        QCOMPARE(FileOperation(EveryEntry(FO_MOVE, t.Path("Top/Sub"), t.Path("Top/"))).number, 0);
    }

    // Every entry of A/sub up into A: either the whole move takes place, or (an entry named
    // like the folder itself cannot land where the folder stands) none of it does.
    void wildcardOntoItsOwnFolderLosesNothing_data() {
        QTest::addColumn<QString>("inner");
        QTest::addColumn<bool>("complete");
        QTest::newRow("an entry named like the folder: nothing moves") << "sub" << false;
        QTest::newRow("no such entry: everything moves") << "other" << true;
    }
    void wildcardOntoItsOwnFolderLosesNothing() {
        QFETCH(QString, inner);
        QFETCH(bool, complete);
        const std::string name = inner.toStdString();
        test::TestDir t;
        t.File("A/sub/" + name + "/deep", "deep");
        t.File("A/sub/.x", "x");
        const auto before = Contents({&t});
        FileOpRecord rec = EveryEntry(FO_MOVE, t.Path("A/sub"), t.Path("A/"));
        rec.fFlags = FOF_NOCONFIRMATION;
        test::ScriptedFileOpUi ui;
        const auto tree = t.Snapshot();
        const Error e = FileOperation(rec);
        if (!complete) {
            // ".x", moved first, goes back.
            QCOMPARE(e.number, kOpSystemBase + EEXIST);
            QCOMPARE(t.Snapshot(), tree);
            QCOMPARE(Contents({&t}), before);
            QCOMPARE(t.Read("A/sub/sub/deep"), std::string("deep"));  // never replaced
            return;
        }
        QCOMPARE(e.number, 0);
        QVERIFY(t.Snapshot("A/sub").empty());
        QCOMPARE(t.Read("A/.x"), std::string("x"));
        QCOMPARE(t.Read("A/" + name + "/deep"), std::string("deep"));
        QVERIFY(ui.errors.empty());
    }

    void crossDeviceReadFailureKeepsTheSource() {
        test::ScriptedFileOpUi ui;
        test::TestDir src;
        test::TestDir dst(test::OtherVolume());
        src.File("tree/ok1", "ok1");
        src.File("tree/sub/victim", std::string(2 << 20, 'v'));
        src.File("tree/sub/ok2", "ok2");
        const auto before = Contents({&src, &dst});
        SetReadFailureHook(FailOnVictim);
        const int rc = ShFileMove(0, src.Path("tree"), dst.Root());
        QVERIFY(rc != 0);
        QCOMPARE(src.Read("tree/sub/victim"), std::string(2 << 20, 'v'));
        QVERIFY(!dst.Exists("tree/sub/victim"));
        QVERIFY(NoPartials(dst));
        QCOMPARE(Contents({&src, &dst}), before);
        QCOMPARE(ui.errors.size(), size_t(1));
    }

    void cancelFromProgress_data() {
        QTest::addColumn<bool>("move");
        QTest::newRow("copy") << false;
        QTest::newRow("move") << true;
    }
    void cancelFromProgress() {
        QFETCH(bool, move);
        test::ScriptedFileOpUi ui;
        test::TestDir src;
        test::TestDir dst(test::OtherVolume());
        for (int i = 0; i < 6; ++i)
            src.File("tree/f" + std::to_string(i), std::string(3 << 20, char('a' + i)));
        const auto before = Contents({&src});
        ui.cancelAtProgress = 9;  // in the middle of a file's chunks
        const int rc = move ? ShFileMove(0, src.Path("tree"), dst.Root())
                            : ShFileCopy(0, src.Path("tree"), dst.Root());
        QCOMPARE(rc, kOpCancelled);
        QVERIFY(NoPartials(dst));
        QVERIFY(ui.progressCalls >= 9);
        const auto after = Contents({&src, &dst});
        for (const std::string& c : before) QVERIFY(after.count(c) >= 1);
        if (!move)
            QCOMPARE(Contents({&src}), before);
    }

    void intoItselfIsRefused_data() {
        QTest::addColumn<int>("func");
        QTest::addColumn<QString>("to");
        QTest::newRow("move into itself") << int(FO_MOVE) << "F";
        QTest::newRow("move into its sub-folder") << int(FO_MOVE) << "F/sub";
        QTest::newRow("move through a link to itself") << int(FO_MOVE) << "linkToF";
        QTest::newRow("copy into itself") << int(FO_COPY) << "F";
        QTest::newRow("copy into its sub-folder") << int(FO_COPY) << "F/sub";
        QTest::newRow("copy through a link to its sub-folder") << int(FO_COPY) << "linkToSub";
        QTest::newRow("move onto itself") << int(FO_MOVE) << "";
    }
    void intoItselfIsRefused() {
        QFETCH(int, func);
        QFETCH(QString, to);
        if (to.startsWith("link") && !test::CanMakeLinks())
            QSKIP("no links can be made here");
        test::ScriptedFileOpUi ui;
        test::TestDir t;
        t.File("F/sub/x", "x");
        if (test::CanMakeLinks()) {
            t.Link("linkToF", t.Path("F"));
            t.Link("linkToSub", t.Path("F/sub"));
        }
        const auto before = t.Snapshot();
        FileOpRecord rec{0, static_cast<unsigned>(func), t.Path("F"), t.Path(to.toStdString()),
                         FOF_NOCONFIRMATION};
        const int rc = FileOperation(rec).number;
        QVERIFY(rc == kOpIntoItself || rc == kOpSameItem);
        QCOMPARE(t.Snapshot(), before);
    }

    void renameNeverClobbers() {
        test::ScriptedFileOpUi ui;
        test::TestDir t;
        t.File("a", "A");
        t.File("b", "B");
        QVERIFY(ShFileRename(0, t.Path("a"), t.Path("b")) != 0);
        QCOMPARE(t.Read("a"), std::string("A"));
        QCOMPARE(t.Read("b"), std::string("B"));
        QCOMPARE(ui.errors.size(), size_t(1));
        QVERIFY(ShFileRenameNoErrorUI(0, t.Path("a"), t.Path("b")) != 0);
        QCOMPARE(ui.errors.size(), size_t(1));  // no error dialog for this one
        QCOMPARE(ShFileRename(0, t.Path("a"), t.Path("c")), 0);
        QCOMPARE(t.Read("c"), std::string("A"));
    }

    void destinationAppearingDuringCopyIsKept() {
        test::ScriptedFileOpUi ui;
        test::TestDir src;
        test::TestDir dst(test::OtherVolume());
        src.File("big", std::string(3 << 20, 'x'));
        ui.onProgress = [&](int call) {
            if (call == 2)
                dst.File("big", "someone else's");
        };
        QVERIFY(ShFileMove(0, src.Path("big"), dst.Root()) != 0);
        QCOMPARE(dst.Read("big"), std::string("someone else's"));
        QCOMPARE(src.Read("big"), std::string(3 << 20, 'x'));
        QVERIFY(NoPartials(dst));
    }

    void replaceQuestion_data() {
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("a");  // content of dst/a and dst/b afterwards
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("questions");
        QTest::newRow("No") << QList<int>{int(Answer::No), int(Answer::No)} << kOpNotAll << "old a"
                            << "old b" << 2;
        QTest::newRow("Yes, No") << QList<int>{int(Answer::Yes), int(Answer::No)} << kOpNotAll
                                 << "new a"
                                 << "old b" << 2;
        QTest::newRow("Yes, Yes") << QList<int>{int(Answer::Yes), int(Answer::Yes)} << kOpOk
                                  << "new a"
                                  << "new b" << 2;
        QTest::newRow("Yes to all") << QList<int>{int(Answer::YesToAll)} << kOpOk << "new a"
                                    << "new b" << 1;
        QTest::newRow("Cancel") << QList<int>{int(Answer::Cancel)} << kOpCancelled << "old a"
                                << "old b" << 1;
    }
    void replaceQuestion() {
        QFETCH(QList<int>, answers);
        QFETCH(int, result);
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, questions);
        test::ScriptedFileOpUi ui;
        for (int answer : answers) ui.answers.push_back(static_cast<Answer>(answer));
        test::TestDir t;
        t.File("src/a", "new a");
        t.File("src/b", "new b");
        t.File("dst/a", "old a");
        t.File("dst/b", "old b");
        QCOMPARE(FileOperation(EveryEntry(FO_COPY, t.Path("src"), t.Path("dst"))).number, result);
        QCOMPARE(QString::fromStdString(t.Read("dst/a")), a);
        QCOMPARE(QString::fromStdString(t.Read("dst/b")), b);
        QCOMPARE(int(ui.asked.size()), questions);
        QVERIFY(NoPartials(t));
        // No confirmation answers yes without asking.
        FileOpRecord rec{0, FO_COPY, t.Path("src/a"), t.Path("dst"), FOF_NOCONFIRMATION};
        QCOMPARE(FileOperation(rec).number, 0);
        QCOMPARE(int(ui.asked.size()), questions);
    }

    // Each failure names the operation that failed, then the cause.
    void errorsNameTheOperation_data() {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("says");
        QTest::newRow("copy into itself") << "copy-into"
                                          << "コピー先のフォルダはコピー元のサブフォルダです。";
        QTest::newRow("copy onto itself") << "copy-same"
                                          << "コピー先とコピー元が同じです。";
        QTest::newRow("move into itself") << "move-into"
                                          << "移動先のフォルダは移動元のサブフォルダです。";
        QTest::newRow("delete missing") << "delete"
                                        << "削除できませんでした: ";
        QTest::newRow("rename onto existing") << "rename"
                                              << "名前を変更できませんでした: ";
    }
    void errorsNameTheOperation() {
        QFETCH(QString, says);
        test::ScriptedFileOpUi ui;
        test::TestDir t;
        t.File("A/inner/f");
        t.File("B");
        QFETCH(QString, op);
        int rc = 0;
        if (op == "copy-into")
            rc = ShFileCopy(0, t.Path("A"), t.Path("A/inner"));
        if (op == "copy-same")
            rc = ShFileCopy(0, t.Path("B"), t.Root());
        if (op == "move-into")
            rc = ShFileMove(0, t.Path("A"), t.Path("A/inner"));
        if (op == "delete")
            rc = ShFileDelete(0, t.Path("missing"), false);
        if (op == "rename")
            rc = ShFileRename(0, t.Path("B"), t.Path("A"));
        QVERIFY(rc != 0);
        QCOMPARE(ui.errors.size(), size_t(1));
        QVERIFY2(ui.errors[0].find(says.toStdString()) != std::string::npos, ui.errors[0].c_str());
    }

    // The error shown is the error returned: the shell's code, the system's errno, the item
    // and the operation, whichever wrapper computes its number from it.
    void errorCarriesWhatFailed_data() {
        QTest::addColumn<QString>("op");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("sysErrno");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("operation");
        QTest::newRow("delete missing") << "delete" << kOpSystemBase + ENOENT << ENOENT << "missing"
                                        << "削除";
        QTest::newRow("rename onto existing") << "rename" << kOpSystemBase + EEXIST << EEXIST << "B"
                                              << "名前を変更";
        QTest::newRow("copy into itself") << "copy-into" << kOpIntoItself << 0 << "A"
                                          << "コピー";
        QTest::newRow("move onto itself") << "move-same" << kOpSameItem << 0 << "B"
                                          << "移動";
    }
    void errorCarriesWhatFailed() {
        QFETCH(QString, op);
        QFETCH(int, code);
        QFETCH(int, sysErrno);
        QFETCH(QString, item);
        QFETCH(QString, operation);
        test::ScriptedFileOpUi ui;
        test::TestDir t;
        t.File("A/inner/f");
        t.File("B");
        FileOpRecord rec;
        if (op == "delete")
            rec = {0, FO_DELETE, t.Path("missing"), {}, 0};
        if (op == "rename")
            rec = {0, FO_RENAME, t.Path("B"), t.Path("A"), 0};
        if (op == "copy-into")
            rec = {0, FO_COPY, t.Path("A"), t.Path("A/inner"), 0};
        if (op == "move-same")
            rec = {0, FO_MOVE, t.Path("B"), t.Root(), 0};
        const Error e = FileOperation(rec);
        QCOMPARE(e.number, code);
        QCOMPARE(e.sysErrno, sysErrno);
        QCOMPARE(QString::fromStdString(e.path),
                 QString::fromStdString(t.Path(item.toStdString())));
        QCOMPARE(QString::fromStdString(e.operation), operation);
        QCOMPARE(ui.errorValues.size(), size_t(1));
        QCOMPARE(ui.errorValues[0].number, e.number);
        // The message for people names the item, then the operation and the cause.
        const std::string cause = sysErrno ? SystemErrorText(sysErrno) : e.description;
        QCOMPARE(ErrorMessage(e),
                 e.path + ": " + operation.toStdString() + "できませんでした: " + cause);
        // The wrapper returns that number (the disk is as it was: each failed whole).
        int rc = 0;
        if (op == "delete")
            rc = ShFileDelete(0, t.Path("missing"), false);
        if (op == "rename")
            rc = ShFileRename(0, t.Path("B"), t.Path("A"));
        if (op == "copy-into")
            rc = ShFileCopy(0, t.Path("A"), t.Path("A/inner"));
        if (op == "move-same")
            rc = ShFileMove(0, t.Path("B"), t.Root());
        QCOMPARE(rc, code);
    }

    // Kinds read their own text; a system failure the system's; the detail follows as it is.
    void errorMessageParts_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("sysErrno");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QString>("says");
        QTest::newRow("kind") << int(kErrFolderReplaced) << 0 << ""
                              << ""
                              << "/t/P: 検索の後で別のフォルダに置き換えられました";
        QTest::newRow("kind over errno") << int(kErrReplacedByLink) << ELOOP << "削除"
                                         << ""
                                         << "/t/P: 削除できませんでした: "
                                            "フォルダがリンクかファイルに置き換えられています";
        QTest::newRow("errno with detail")
            << int(kErrPermission) << EACCES << "空になったフォルダを削除"
            << "\n/t/x"
            << QString("/t/P: 空になったフォルダを削除できませんでした: %1\n/t/x")
                   .arg(QString::fromStdString(SystemErrorText(EACCES)));
    }
    void errorMessageParts() {
        QFETCH(int, number);
        QFETCH(int, sysErrno);
        QFETCH(QString, operation);
        QFETCH(QString, detail);
        QFETCH(QString, says);
        Error e = sysErrno ? SystemError(sysErrno, "/t/P") : KindError(number, "/t/P");
        e.number = number;
        e.operation = operation.toStdString();
        e.detail = detail.toStdString();
        QCOMPARE(QString::fromStdString(ErrorMessage(e)), says);
    }

    // The causes a file tool meets read in Japanese on every system and in every locale, each
    // its own; any other error keeps the system's text.
    void systemCausesInJapanese() {
        const int listed[] = {ENOENT, EACCES, EPERM,  EEXIST,  ENOTEMPTY,    ENOTDIR,
                              EISDIR, ENOSPC, EROFS,  EBUSY,   EXDEV,        ELOOP,
                              EIO,    EINVAL, EMLINK, ETXTBSY, ENAMETOOLONG,
#ifdef EDQUOT
                              EDQUOT
#endif
        };
        std::set<std::string> texts;
        for (const int err : listed) {
            const std::string text = SystemErrorText(err);
            QVERIFY2(text != std::strerror(err), std::strerror(err));
            QVERIFY2(static_cast<unsigned char>(text[0]) >= 0x80, text.c_str());
            QVERIFY2(QString::fromUtf8(text.c_str()).toUtf8().toStdString() == text, text.c_str());
            texts.insert(text);
            QVERIFY(SystemError(err, "/t/x").description.find(text) != std::string::npos);
        }
        QCOMPARE(texts.size(), std::size(listed));
        QCOMPARE(SystemErrorText(EPIPE), std::string(std::strerror(EPIPE)));
    }

    // A missing destination is made only after the user agrees.
    void missingDestinationIsAsked_data() {
        QTest::addColumn<bool>("agree");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void missingDestinationIsAsked() {
        QFETCH(bool, agree);
        test::ScriptedFileOpUi ui;
        ui.createAnswer = agree;
        test::TestDir t;
        t.File("src/f", "x");
        const int rc = ShFileCopy(0, t.Path("src"), t.Path("new"));
        QCOMPARE(ui.createAsked, std::vector<std::string>{t.Path("new")});
        QCOMPARE(rc, ui.createAnswer ? kOpOk : kOpCancelled);
        QCOMPARE(t.Exists("new/src/f"), ui.createAnswer);
        QCOMPARE(t.Exists("new"), ui.createAnswer);
    }

    // A copy reports its bytes against the whole, so the window can show a percentage.
    void copyProgressCountsBytes() {
        test::ScriptedFileOpUi ui;
        test::TestDir t;
        t.File("src/a", std::string(3 << 20, 'a'));
        t.File("src/sub/b", std::string(5000, 'b'));
        test::TestDir other(test::OtherVolume());
        QCOMPARE(ShFileCopy(0, t.Path("src"), t.Path("dst/")), kOpOk);
        QCOMPARE(ui.lastTotal, (3LL << 20) + 5000);
        QCOMPARE(ui.lastDone, ui.lastTotal);
        // A move across file systems copies, and counts, too.
        QCOMPARE(ShFileMove(0, t.Path("src"), other.Root()), kOpOk);
        QCOMPARE(ui.lastTotal, (3LL << 20) + 5000);
        QCOMPARE(ui.lastDone, ui.lastTotal);
    }

    void wrapperRecords_data() {
        QTest::addColumn<int>(
            "wrapper");  // 0 copy, 1 move, 2 delete, 3 trash, 4 rename, 5 rename no UI
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("func");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("pFrom");
        QTest::addColumn<QString>("pTo");
        QTest::newRow("copy") << 0 << "/a/b/"
                              << "/c/" << int(FO_COPY) << 0 << "/a/b"
                              << "/c/";
        QTest::newRow("move wildcard") << 1 << "/a/b/*"
                                       << "/a/" << int(FO_MOVE) << 0 << "/a/b/*"
                                       << "/a/";
        QTest::newRow("delete") << 2 << "/t/e/"
                                << "" << int(FO_DELETE) << 0x10 << "/t/e"
                                << "";
        QTest::newRow("trash") << 3 << "/t/e"
                               << "" << int(FO_DELETE) << 0x50 << "/t/e"
                               << "";
        QTest::newRow("rename") << 4 << "/x/old/"
                                << "/x/new/" << int(FO_RENAME) << 0 << "/x/old"
                                << "/x/new";
        QTest::newRow("rename without error UI") << 5 << "/x/o"
                                                 << "/x/n" << int(FO_RENAME) << 0x400 << "/x/o"
                                                 << "/x/n";
        QTest::newRow("root keeps its separator") << 2 << "/"
                                                  << "" << int(FO_DELETE) << 0x10 << "/"
                                                  << "";
    }
    void wrapperRecords() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(int, wrapper);
        QFETCH(int, func);
        QFETCH(int, flags);
        QFETCH(QString, pFrom);
        QFETCH(QString, pTo);
        std::vector<FileOpRecord> seen;
        SetShellOperation([&](const FileOpRecord& r) {
            seen.push_back(r);
            return 1234;  // returned unchanged
        });
        // The rows are written with "/": the system's separator stands there.
        const auto sys = [](QString p) { return p.replace('/', QChar(kSep)); };
        from = sys(from), to = sys(to), pFrom = sys(pFrom), pTo = sys(pTo);
        const std::string fromPath = from.toStdString();
        const std::string toPath = to.toStdString();
        int rc = 0;
        switch (wrapper) {
            case 0:
                rc = ShFileCopy(77, fromPath, toPath);
                break;
            case 1:
                rc = ShFileMove(77, fromPath, toPath);
                break;
            case 2:
                rc = ShFileDelete(77, fromPath, false);
                break;
            case 3:
                rc = ShFileDelete(77, fromPath, true);
                break;
            case 4:
                rc = ShFileRename(77, fromPath, toPath);
                break;
            case 5:
                rc = ShFileRenameNoErrorUI(77, fromPath, toPath);
                break;
        }
        QCOMPARE(rc, 1234);
        QCOMPARE(seen.size(), size_t(1));
        QCOMPARE(seen[0].hwnd, OwnerHandle(77));
        QCOMPARE(int(seen[0].wFunc), func);
        QCOMPARE(int(seen[0].fFlags), flags);
        QCOMPARE(QString::fromStdString(seen[0].pFrom), pFrom);
        QCOMPARE(QString::fromStdString(seen[0].pTo), pTo);
        QVERIFY(!seen[0].listedEntries);  // "*" is a name, never a request for every entry
    }

    void emptyPathsTouchNothing() {
        int calls = 0;
        SetShellOperation([&](const FileOpRecord&) { return ++calls; });
        QCOMPARE(ShFileCopy(0, "", "/x"), 0);
        QCOMPARE(ShFileCopy(0, "/x", ""), 0);
        QCOMPARE(ShFileMove(0, "", "/x"), 0);
        QCOMPARE(ShFileMove(0, "/x", ""), 0);
        QCOMPARE(ShFileDelete(0, "", true), 0);
        QCOMPARE(ShFileRename(0, "", "/x"), 0);
        QCOMPARE(ShFileRenameNoErrorUI(0, "/x", ""), 0);
        QCOMPARE(calls, 0);
    }

    void wrapperErrorIsAFailureWithAWarning() {
        SetShellOperation([](const FileOpRecord&) -> int { throw std::runtime_error("boom"); });
        MessageService::ResetScript();
        QVERIFY(ShFileCopy(0, "/a", "/b") != 0);
        QCOMPARE(MessageService::Shown().size(), size_t(1));
        QCOMPARE(MessageService::Shown()[0].icon, MsgIcon::Exclamation);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, ShFileRenameNoErrorUI(0, "/a", "/b"));
    }
};

QTEST_APPLESS_MAIN(TestFileOps)
#include "tst_file_ops.moc"
