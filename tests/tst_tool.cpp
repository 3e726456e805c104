// SPDX-License-Identifier: GPL-3.0-or-later
// corvelle-tidy as scripts use it: every output form read back by the tools scripts use,
// rows seen while the walk still runs, the one version, the user's language.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <QProcess>
#include <QtTest>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

#include "platform/os/test_seam.h"
#include "tests/support/test_dir.h"
#include "tests/support/tidy_run.h"
#include "tidy/process_list.h"
#include "tidy/tidy_tool.h"
#include "util/error.h"

using namespace corvelle;

namespace {

// RFC 4180, as a CSV reader in a script takes it: rows of fields.
std::vector<std::vector<std::string>> ReadCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        std::string& field = rows.back().back();
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().emplace_back();
        } else if (c == '\n') {
            rows.emplace_back(1);
        } else {
            field += c;
        }
    }
    rows.pop_back();  // after the last line end
    return rows;
}

// Runs a shell command with `input` on its standard input; its standard output.
QByteArray Pipe(const QString& command, const std::string& input) {
    QProcess p;
    p.start("sh", {"-c", command});
    p.write(input.data(), static_cast<qint64>(input.size()));
    p.closeWriteChannel();
    p.waitForFinished(30000);
    return p.readAllStandardOutput();
}

}  // namespace

class TestTool : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    // Each odd name through each form and back, equal to the name on disk.
    void oddNamesThroughEveryForm_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("comma") << QByteArray("a,b");
        QTest::newRow("double quote") << QByteArray("say \"hi\"");
        QTest::newRow("CR") << QByteArray("c\rr");
        QTest::newRow("LF") << QByteArray("l\nf");
        QTest::newRow("CR LF at the end") << QByteArray("end\r\n");
        QTest::newRow("tab") << QByteArray("t\tb");
        QTest::newRow("percent") << QByteArray("100%25");
        QTest::newRow("backslash") << QByteArray("back\\slash");
        QTest::newRow("not UTF-8") << QByteArray("caf\xe9\xff");
        QTest::newRow("255 bytes") << QByteArray(255, 'n');
        QTest::newRow("japanese") << QByteArray("写真");
    }
    void oddNamesThroughEveryForm() {
        QFETCH(QByteArray, name);
        test::TestDir t;
        const std::string n = name.toStdString();
        t.Dir(n);
        t.File("keep");
        const std::string expected = t.Path(n + "/");
        std::string out;

        QCOMPARE(test::RunTool({"--mode", "empty", t.Root()}, &out), 0);
        const auto rows = ReadCsv(out);
        QCOMPARE(rows.size(), size_t(1));
        QCOMPARE(rows[0].size(), size_t(3));
        QCOMPARE(QByteArray::fromStdString(rows[0][0]), QByteArray::fromStdString(expected));

        // xargs -0 hands the first field to a command as one argument: it names the folder.
        QCOMPARE(test::RunTool({"--mode", "empty", "-0", t.Root()}, &out), 0);
        const QByteArray named =
            Pipe("xargs -0 -n 3 sh -c 'test -d \"$0\" && printf \"%s\\0\" \"$0\"'", out);
        QCOMPARE(named, QByteArray::fromStdString(expected) + '\0');

        // jq reads every line; the name comes back from before_bytes, or from before.
        QCOMPARE(test::RunTool({"--mode", "empty", "--json", t.Root()}, &out), 0);
        const QByteArray b64 = Pipe("jq -r '.before_bytes // (.before | @base64)'", out).trimmed();
        QCOMPARE(QByteArray::fromBase64(b64), QByteArray::fromStdString(expected));
        QCOMPARE(
            Pipe("jq -r '.kind + \" \" + (.error | tostring) + \" \" + (.code | tostring)'", out),
            QByteArray("delete null null\n"));
    }

    // Rows of several kinds, and failures, in JSON: kind, result and error as they are.
    void jsonCarriesResultsAndErrors() {
        test::TestDir t;
        t.File("A/B/x");
        t.File("keep");
        SetSeamHook([&](const char* point, const std::string&) {
            if (std::string(point) == "execute:row")
                t.File("A/late");  // the raise row must now fail
        });
        std::string out, err;
        QCOMPARE(test::RunTool({"--json", "--execute", t.Root()}, &out, &err), 1);
        SetSeamHook(nullptr);
        QCOMPARE(Pipe("jq -r '[.kind, .result, (.error != null), .code] | @tsv'", out),
                 QByteArray("raise\t") + kResultFailure + "\ttrue\tsibling-appeared\n");
        QVERIFY(Pipe("jq -r .error", out).contains(QByteArray::fromStdString(t.Path("A"))));
        // Scripts branch on the code: one of its own for every kind, the system's name for
        // a system error, whatever the language of the texts.
        std::set<std::string> tokens;
        for (int kind = kErrOutsideStart; kind < kErrKindsEnd; ++kind) {
            const std::string token = ErrorToken(KindError(kind, "/x"));
            QVERIFY2(!token.empty() && token.find_first_not_of("abcdefghijklmnopqrstuvwxyz-") ==
                                           std::string::npos,
                     token.c_str());
            tokens.insert(token);
        }
        QCOMPARE(tokens.size(), size_t(kErrKindsEnd - kErrOutsideStart));
        QCOMPARE(ErrorToken(SystemError(EACCES, "/x")), std::string("EACCES"));
        QCOMPARE(ErrorToken(Error{}), std::string());
    }

    // The first row reaches a pipe while the walk is held after it: nothing waits for the end.
    void rowsStreamWhileTheWalkRuns() {
        test::TestDir t;
        for (int i = 0; i < 6; ++i) t.Dir("p" + std::to_string(i) + "/empty");
        int fds[2];
        QCOMPARE(pipe(fds), 0);
        FILE* out = fdopen(fds[1], "w");
        FILE* err = std::tmpfile();
        std::mutex m;
        std::condition_variable cv;
        bool firstRead = false;
        std::atomic<bool> held{false}, done{false};
        // The walk stops at its next folder once a row is waiting in the pipe, until the row
        // has been read.
        SetSeamHook([&](const char* point, const std::string&) {
            if (std::string(point) != "search:enter")
                return;
            pollfd p{fds[0], POLLIN, 0};
            if (poll(&p, 1, 0) != 1)
                return;
            held = true;
            std::unique_lock lock(m);
            cv.wait_for(lock, std::chrono::seconds(10), [&] { return firstRead; });
        });
        std::thread tool([&] {
            TidyToolMain({"--mode", "empty", t.Root()}, out, err);
            std::fclose(out);
            done = true;
        });
        FILE* in = fdopen(fds[0], "r");
        char line[4096];
        QVERIFY(std::fgets(line, sizeof line, in));
        // The walk goes on to its next folder and is held there, unless it has ended.
        for (int i = 0; i < 1000 && !held && !done; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const bool walking = held && !done;
        {
            std::lock_guard lock(m);
            firstRead = true;
        }
        cv.notify_all();
        int rows = 1;
        while (std::fgets(line, sizeof line, in)) ++rows;
        tool.join();
        SetSeamHook(nullptr);
        std::fclose(in);
        std::fclose(err);
        QVERIFY2(walking, "the first row came only after the walk");
        QCOMPARE(rows, 6);
    }

    // A preview keeps no rows, the window's list keeps them all.
    void previewKeepsNoRows() {
        ProcessList list;
        list.Init();
        std::vector<std::string> seen;
        list.PassRowsTo([&](const ProcessRow& r) { seen.push_back(r.before); }, false);
        list.Append("/a/", kDeleteMarker);
        list.Append("/b/", kDeleteMarker);
        QCOMPARE(list.Count(), 2);
        QVERIFY(list.Rows().empty());
        QCOMPARE(seen, (std::vector<std::string>{"/a/", "/b/"}));
        list.PassRowsTo([&](const ProcessRow& r) { seen.push_back(r.before); }, true);
        list.Init();
        list.Append("/c/", kDeleteMarker);
        QCOMPARE(list.Rows().size(), size_t(1));
        QCOMPARE(seen.back(), std::string("/c/"));
    }

    // One version everywhere: the program's, the tool's and the manual pages' are the
    // project's.
    void oneVersion() {
        const QString version = QStringLiteral(CORVELLE_PROJECT_VERSION);
        QProcess p;
        p.start(QStringLiteral(CORVELLE_TIDY_BIN), {"--version"});
        QVERIFY(p.waitForFinished());
        QCOMPARE(p.readAllStandardOutput(), ("corvelle-tidy " + version + "\n").toUtf8());
        QFile page(QStringLiteral(CORVELLE_MAN_DIR "/corvelle-tidy.1"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        QVERIFY(page.readLine().contains(("\"Corvelle " + version + "\"").toUtf8()));
    }

    // Every option --help names is in the manual page and in the three completions.
    void optionsDocumentedEverywhere() {
        QProcess p;
        p.start(QStringLiteral(CORVELLE_TIDY_BIN), {"--help"});
        QVERIFY(p.waitForFinished());
        const QString help = QString::fromUtf8(p.readAllStandardOutput());
        QSet<QString> options;
        for (const QRegularExpressionMatch& m :
             QRegularExpression("(?<![\\w-])--[a-z][a-z-]+").globalMatch(help))
            options << m.captured();
        QVERIFY(options.contains("--junk") && options.contains("--older-than"));
        auto read = [](const QString& path) {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
        };
        QString man = read(QStringLiteral(CORVELLE_MAN_DIR "/corvelle-tidy.1"));
        man.replace("\\-", "-").remove("\\fI").remove("\\fR").remove("\\fB");
        const QString dir = QStringLiteral(CORVELLE_COMPLETION_DIR);
        const QString fish = read(dir + "/corvelle-tidy.fish");
        for (const QString& o : options) {
            QVERIFY2(man.contains(o), qPrintable("manual page: " + o));
            QVERIFY2(read(dir + "/corvelle-tidy.bash").contains(o), qPrintable("bash: " + o));
            QVERIFY2(read(dir + "/_corvelle-tidy").contains(o), qPrintable("zsh: " + o));
            QVERIFY2(
                fish.contains("-l " + o.mid(2) + " ") || fish.contains("-l " + o.mid(2) + "\n"),
                qPrintable("fish: " + o));
        }
    }

    // Its own words follow the locale; the journal line scripts read does not.
    void messagesInTheUsersLanguage_data() {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("says");
        const QStringList bogus{"--bogus"}, missing{"--undo", "/nonexistent.journal"};
        QTest::newRow("Japanese") << "ja_JP.UTF-8" << bogus
                                  << QStringLiteral("不明なオプションです");
        QTest::newRow("English") << "C.UTF-8" << bogus << QStringLiteral("unknown option");
        QTest::newRow("Japanese cause")
            << "ja_JP.UTF-8" << missing << QStringLiteral("ファイルまたはフォルダが見つかりません");
        QTest::newRow("English cause")
            << "C.UTF-8" << missing << QStringLiteral("No such file or directory");
    }
    void messagesInTheUsersLanguage() {
        QFETCH(QString, lang);
        QFETCH(QStringList, args);
        QFETCH(QString, says);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("LANGUAGE");
        env.insert("LC_ALL", lang);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(CORVELLE_TIDY_BIN), args);
        QVERIFY(p.waitForFinished());
        QCOMPARE(p.exitCode(), 2);
        QVERIFY2(QString::fromUtf8(p.readAllStandardError()).contains(says), qPrintable(lang));
    }

    // A relative folder is printed as a plain absolute path.
    void pathsAsGivenMadePlain() {
        test::TestDir t;
        t.Dir("x/E");
        t.Dir("y/F");
        t.File("x/keep");
        t.File("y/keep");
        const QString saved = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(t.Root()));
        std::string out1, out2, out3;
        test::RunTool({"--mode", "empty", "./x"}, &out1);
        test::RunTool({"--mode", "empty", "x/"}, &out2);
        test::RunTool({"--mode", "empty", "x/../y"}, &out3);
        QDir::setCurrent(saved);
        QCOMPARE(out1, t.Path("x/E/") + "," + kDeleteMarker + ",\n");
        QCOMPARE(out2, out1);
        QCOMPARE(out3, t.Path("y/F/") + "," + kDeleteMarker + ",\n");
    }
};

QTEST_MAIN(TestTool)
#include "tst_tool.moc"
