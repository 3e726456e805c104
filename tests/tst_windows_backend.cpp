// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows side of the file layer: names of every character through the whole run,
// identities, the recycle bin, and reparse points (through the seam: Wine makes none a
// Windows program can see).
#include <aclapi.h>

#include <QtTest>
#include <cerrno>

#include "platform/os/codec.h"
#include "platform/os/file_locations.h"
#include "platform/os/file_op.h"
#include "platform/os/folder_changes.h"
#include "platform/os/handles.h"
#include "platform/os/own_files.h"
#include "platform/os/windows/win_base.h"
#include "tests/support/scripted_file_op_ui.h"
#include "tests/support/test_dir.h"
#include "tests/support/tidy_run.h"
#include "tests/support/undo_run.h"
#include "tidy/process_list.h"
#include "tidy/process_log.h"

using namespace corvelle;

namespace {

// A lone high surrogate, as Windows allows it in a name, in the program's WTF-8.
const std::string kLone = "\xED\xA0\x80";

// Whether the file system takes a name (Wine keeps names as Linux file names: a lone
// surrogate may not be one it can store).
bool CanName(const test::TestDir& t, const std::string& name) {
    const std::wstring path = win::LongPath(t.Path(name));
    if (!CreateDirectoryW(path.c_str(), nullptr))
        return false;
    std::map<std::string, std::string> snap = t.Snapshot();
    RemoveDirectoryW(path.c_str());
    return snap.count(name) == 1;
}

}  // namespace

class TestWindowsBackend : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void cleanup() {
        win::SetReparseHook(nullptr);
        SetSystemCodePage(CodePage::Cp932);
    }

    void textAtTheBoundary_data() {
        QTest::addColumn<QByteArray>("utf8");
        QTest::addColumn<int>("units");  // UTF-16 code units
        QTest::newRow("ascii") << QByteArray("abc") << 3;
        QTest::newRow("japanese") << QByteArray("写真") << 2;
        QTest::newRow("korean") << QByteArray("한국어") << 3;
        QTest::newRow("emoji (a surrogate pair)") << QByteArray("😀") << 2;
        QTest::newRow("lone high surrogate") << QByteArray::fromStdString(kLone) << 1;
        QTest::newRow("lone low surrogate") << QByteArray("x\xED\xB0\x80y") << 3;
    }
    void textAtTheBoundary() {
        QFETCH(QByteArray, utf8);
        QFETCH(int, units);
        const std::wstring wide = win::Wide(utf8.toStdString());
        QCOMPARE(int(wide.size()), units);
        QCOMPARE(QByteArray::fromStdString(win::Narrow(wide)), utf8);
    }

    // Names the code page cannot hold, through search, raise, the log and Undo, byte-exact.
    void namesOutsideTheCodePage_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("korean") << QByteArray("한국어");
        QTest::newRow("emoji") << QByteArray("絵文字😀");
        QTest::newRow("lone surrogate") << QByteArray::fromStdString("a" + kLone);
    }
    void namesOutsideTheCodePage() {
        QFETCH(QByteArray, name);
        const std::string n = name.toStdString();
        test::TestDir t;
        if (!CanName(t, n))
            QSKIP("this file system cannot store the name");
        t.File(n + "/" + n + "/" + n + ".txt", "data of " + n);  // raise row
        t.Dir("empty/" + n);                                     // raise row of an empty folder
        t.File("keep");
        const auto before = t.Snapshot();
        ProcessList list;
        test::SearchInto(t.Root(), 0, list);
        QCOMPARE(list.Count(), 2);
        const std::string log = LogText(list);
        QVERIFY2(log.rfind("\xEF\xBB\xBF", 0) == 0, "UTF-8 with its mark");
        QVERIFY(log.find(t.Path(n + "/" + n) + "," + t.Path(n + "/")) != std::string::npos);
        int failed = -1;
        const std::string journal = test::ExecuteJournaled(list, &failed);
        QCOMPARE(failed, 0);
        QCOMPARE(t.Read(n + "/" + n + ".txt"), "data of " + n);
        QVERIFY(!t.Exists(n + "/" + n));
        const test::UndoResult undo = test::Undo(journal);
        QVERIFY2(undo.failed == 0, undo.error.c_str());
        QCOMPARE(t.Snapshot(), before);
    }

    // Empty folders with such names: deleted, and made again by Undo.
    void emptyFoldersDeletedAndPutBack() {
        test::TestDir t;
        for (const char* n : {"한국어", "絵文字😀", "空"}) t.Dir(std::string("p/") + n);
        t.File("keep");
        const auto before = t.Snapshot();
        ProcessList list;
        test::SearchInto(t.Root(), 1, list);
        QCOMPARE(list.Count(), 3);
        int failed = -1;
        const std::string journal = test::ExecuteJournaled(list, &failed);
        QCOMPARE(failed, 0);
        QVERIFY(!t.Exists("p/한국어"));
        QCOMPARE(test::Undo(journal).failed, 0);
        QCOMPARE(t.Snapshot(), before);
    }

    void identityFollowsTheItem() {
        test::TestDir t;
        t.File("a", "a");
        t.File("b", "b");
        const UniqueFd dir = OpenFolderPath(t.Root());
        ItemInfo a, b, moved;
        QVERIFY(InfoAt(dir.Get(), "a", a) && InfoAt(dir.Get(), "b", b));
        QVERIFY(a.id.Known() && a.id != b.id);
        QVERIFY(RenameNoReplace(dir.Get(), "a", dir.Get(), "名前"));
        QVERIFY(InfoAt(dir.Get(), "名前", moved));
        QVERIFY(moved.id == a.id);
        // Never onto an existing name.
        QVERIFY(!RenameNoReplace(dir.Get(), "名前", dir.Get(), "b"));
        QCOMPARE(errno, EEXIST);
        QCOMPARE(t.Read("b"), std::string("b"));
        // The same name again is another item.
        QVERIFY(MakeFolderAt(dir.Get(), "d"));
        ItemInfo d1, d2;
        QVERIFY(InfoAt(dir.Get(), "d", d1) && RemoveEmptyFolderAt(dir.Get(), "d"));
        QVERIFY(MakeFolderAt(dir.Get(), "d") && InfoAt(dir.Get(), "d", d2));
        // NTFS numbers carry a sequence number; Wine hands Linux's inode numbers on at once
        // and has no creation time that stays, so there the two cannot be told apart.
        if (d1.id.SameNumber(d2.id) && d1.id.birth == 0)
            QSKIP("the file system reuses the number and keeps no birth time (Wine)");
        QVERIFY(d1.id != d2.id);
    }

    // A move to another volume is a copy and a removal: data, attributes and times arrive,
    // and the source goes only then.
    void crossVolumeMoveKeepsAttributesAndTimes() {
        test::ScriptedFileOpUi ui;
        test::TestDir src;
        test::TestDir dst(test::OtherVolume());
        src.File("木/a.txt", "a", 1000000000);
        src.File("木/下/b.bin", std::string(3 << 20, 'b'), 1100000000);
        SetFileAttributesW(win::LongPath(src.Path("木/a.txt")).c_str(),
                           FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
        const auto before = src.Snapshot("木");
        const auto info = [](const std::string& path) {
            WIN32_FILE_ATTRIBUTE_DATA d{};
            GetFileAttributesExW(win::LongPath(path).c_str(), GetFileExInfoStandard, &d);
            return d;
        };
        const auto a = info(src.Path("木/a.txt"));
        const UniqueFd from = OpenFolderPath(src.Root());
        const UniqueFd to = OpenFolderPath(dst.Root());
        ItemInfo fromInfo, toInfo;
        QVERIFY(InfoOf(from.Get(), fromInfo) && InfoOf(to.Get(), toInfo));
        if (fromInfo.id.volume == toInfo.id.volume)
            QSKIP("the two folders are on one volume here");
        FileOpRecord rec{0, FO_MOVE, src.Path("木"), dst.Root(), 0};
        const Error e = FileOperation(rec);
        QVERIFY2(!e, ErrorMessage(e).c_str());
        QVERIFY(!src.Exists("木"));
        QCOMPARE(dst.Snapshot("木"), before);
        const auto b = info(dst.Path("木/a.txt"));
        QCOMPARE(b.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY),
                 DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
        QCOMPARE(b.ftLastWriteTime.dwLowDateTime, a.ftLastWriteTime.dwLowDateTime);
        QCOMPARE(b.ftLastWriteTime.dwHighDateTime, a.ftLastWriteTime.dwHighDateTime);
        QVERIFY(ui.errors.empty());
        SetFileAttributesW(win::LongPath(dst.Path("木/a.txt")).c_str(), FILE_ATTRIBUTE_NORMAL);
    }

    // A folder another program holds open: removed at once (POSIX semantics), or reported as
    // in use and left; never reported removed while it stays.
    void heldFolderIsNeverReportedRemoved() {
        test::TestDir t;
        t.Dir("held");
        HANDLE h = CreateFileW(win::LongPath(t.Path("held")).c_str(), FILE_LIST_DIRECTORY,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        QVERIFY(h != INVALID_HANDLE_VALUE);
        const UniqueFd root = OpenFolderPath(t.Root());
        const bool removed = RemoveEmptyFolderAt(root.Get(), "held");
        const int why = errno;
        QCOMPARE(t.Exists("held"), !removed);
        if (!removed)
            QCOMPARE(why, EBUSY);
        CloseHandle(h);
        // Let go, it goes.
        if (!removed)
            QVERIFY(RemoveEmptyFolderAt(root.Get(), "held"));
        QVERIFY(!t.Exists("held"));
    }

    void recycleBin() {
        test::TestDir t;
        t.File("ごみ.txt", "trash me");
        t.File("残す.txt", "keep me");
        FileOpRecord rec;
        rec.wFunc = FO_DELETE;
        rec.pFrom = t.Path("ごみ.txt");
        rec.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION;
        const Error e = FileOperation(rec);
        QVERIFY2(!e, ErrorMessage(e).c_str());
        QVERIFY(!t.Exists("ごみ.txt"));
        QCOMPARE(t.Read("残す.txt"), std::string("keep me"));
    }

    // Settings beside the program when its folder takes them, else in %APPDATA%\Corvelle.
    void settingsLocation() {
        test::TestDir t;
        t.Dir("prog");
        LocationInputs in;
        in.programFolder = t.Path("prog");
        in.appData = t.Path("roaming");
        FileLocations l = ChooseFileLocations(in);
        QVERIFY(l.portable);
        QCOMPARE(l.settingsFolder, t.Path("prog\\"));
        QVERIFY(t.Snapshot("prog").empty());  // the probe left nothing behind
        in.programFolder = t.Path("missing");
        l = ChooseFileLocations(in);
        QVERIFY(!l.portable);
        QCOMPARE(l.settingsFolder, t.Path("roaming\\Corvelle\\"));
        QCOMPARE(l.logFolder, l.settingsFolder);
        QCOMPARE(l.settingsSeed, std::string());
        QVERIFY(JournalFolder().size() > 16);
        QCOMPARE(JournalFolder().substr(JournalFolder().size() - 16),
                 std::string("Corvelle\\journal"));
        // A read-only RUZO.INI beside the program: written to %APPDATA%, read until then.
        t.File("ro/RUZO.INI", "[Corvelle]\r\n");
        QVERIFY(
            SetFileAttributesW(win::Wide(t.Path("ro\\RUZO.INI")).c_str(), FILE_ATTRIBUTE_READONLY));
        in.programFolder = t.Path("ro");
        l = ChooseFileLocations(in);
        SetFileAttributesW(win::Wide(t.Path("ro\\RUZO.INI")).c_str(), FILE_ATTRIBUTE_NORMAL);
        if (l.portable)
            QSKIP("this user may write a read-only file (root under Wine)");
        QCOMPARE(l.settingsSeed, t.Path("ro\\RUZO.INI"));
    }

    // A journal others may write to is not trusted: the owner SID and the ACL say so.
    void journalTrustFromTheAcl() {
        test::TestDir t;
        t.File("run.journal", "corvelle-journal 1\n");
        UniqueFd fd;
        const Error own = OpenOwnFile(t.Path("run.journal"), false, 1 << 20, fd);
        QVERIFY2(!own, ErrorMessage(own).c_str());
        fd.Reset();
        // Everyone may write: an ACE added to what the file has.
        const std::wstring path = win::LongPath(t.Path("run.journal"));
        PACL old = nullptr, widened = nullptr;
        PSECURITY_DESCRIPTOR sd = nullptr;
        QCOMPARE(GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                       nullptr, nullptr, &old, nullptr, &sd),
                 DWORD(ERROR_SUCCESS));
        EXPLICIT_ACCESSW everyone = {};
        everyone.grfAccessPermissions = FILE_GENERIC_WRITE;
        everyone.grfAccessMode = GRANT_ACCESS;
        everyone.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
        everyone.Trustee.ptstrName = const_cast<wchar_t*>(L"EVERYONE");
        QCOMPARE(SetEntriesInAclW(1, &everyone, old, &widened), DWORD(ERROR_SUCCESS));
        const DWORD set =
            SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                                  DACL_SECURITY_INFORMATION, nullptr, nullptr, widened, nullptr);
        LocalFree(widened);
        LocalFree(sd);
        QCOMPARE(set, DWORD(ERROR_SUCCESS));
        const Error refused = OpenOwnFile(t.Path("run.journal"), false, 1 << 20, fd);
        QCOMPARE(refused.number, int(kErrJournalNotOwn));
        QVERIFY(!fd.Valid());
        // Too large is refused as well, before anything is read.
        t.File("big.journal", std::string(2000, 'x'));
        QCOMPARE(OpenOwnFile(t.Path("big.journal"), false, 1000, fd).number,
                 int(kErrJournalTooLarge));
    }

    // A reparse point is a link only when its tag says it redirects a name (a name surrogate):
    // junctions, links and mount points are entries, never folders to enter or rows; every
    // other tag (OneDrive, dedup, compression, ...) is the folder it looks like.
    void reparseTags_data() {
        QTest::addColumn<unsigned>("tag");
        QTest::addColumn<bool>("link");
        QTest::newRow("symbolic link") << 0xA000000Cu << true;
        QTest::newRow("junction or mount point") << 0xA0000003u << true;
        QTest::newRow("an unknown Microsoft surrogate") << 0xA0000FFFu << true;
        QTest::newRow("a third party's surrogate") << 0x20001234u << true;
        QTest::newRow("OneDrive folder") << 0x9000701Au << false;
        QTest::newRow("deduplicated") << 0x80000013u << false;
        QTest::newRow("compressed (WOF)") << 0x80000017u << false;
        QTest::newRow("AF_UNIX socket") << 0x80000023u << false;
        QTest::newRow("an unknown Microsoft tag") << 0x80000FFFu << false;
        QTest::newRow("a third party's tag") << 0x00001234u << false;
    }
    void reparseTags() {
        QFETCH(unsigned, tag);
        QFETCH(bool, link);
        test::TestDir t;
        t.File("p/j/inside.txt", "not ours");  // j: the reparse point
        t.Dir("q/j2");                         // q holds nothing but one
        t.File("keep");
        const UniqueFd root = OpenFolderPath(t.Root());
        ItemInfo j, j2;
        {
            const UniqueFd p = OpenFolderAt(root.Get(), "p");
            const UniqueFd q = OpenFolderAt(root.Get(), "q");
            QVERIFY(InfoAt(p.Get(), "j", j) && InfoAt(q.Get(), "j2", j2));
        }
        win::SetReparseHook([&](std::uint64_t n) {
            return win::SeenAs{n == j.id.number || n == j2.id.number ? DWORD{tag} : 0};
        });
        ItemInfo seen;
        const UniqueFd q = OpenFolderAt(root.Get(), "q");
        QVERIFY(InfoAt(q.Get(), "j2", seen));
        QCOMPARE(seen.IsLink(), link);
        QCOMPARE(seen.IsDir(), !link);
        // The walk: raises of p/j and q/j2 and a delete of q/j2, or nothing at all.
        ProcessList list;
        test::SearchInto(t.Root(), 0, list);
        QCOMPARE(list.Count(), link ? 0 : 2);
        ProcessList deletes;
        test::SearchInto(t.Root(), 1, deletes);
        QCOMPARE(deletes.Count(), link ? 0 : 1);
        QCOMPARE(OpenFolderAt(q.Get(), "j2").Valid(), !link);
        QCOMPARE(OpenBeneath(root.Get(), "p/j").Valid(), !link);
        // A copy takes a folder whole, a link as the link at most.
        test::TestDir other;
        FileOpRecord copy;
        copy.wFunc = FO_COPY;
        copy.pFrom = t.Path("p");
        copy.pTo = other.Root();
        copy.fFlags = FOF_NOCONFIRMATION;
        FileOperation(copy);
        QCOMPARE(other.Exists("p/j/inside.txt"), !link);
        // Deleting p takes a link at most, never what lies behind it; a folder goes whole.
        FileOpRecord rec;
        rec.wFunc = FO_DELETE;
        rec.pFrom = t.Path("p");
        rec.fFlags = FOF_NOCONFIRMATION;
        FileOperation(rec);
        QCOMPARE(t.Exists("p/j/inside.txt"), link);
    }

    // A cloud file that is only a name until read: never junk, moved by rename without a
    // word, and copied (which downloads it) only when the user says so.
    void placeholdersAreNeverReadUnasked_data() {
        QTest::addColumn<int>("func");
        QTest::addColumn<int>("answer");  // FileOpUi::Answer
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("arrives");
        using A = FileOpUi::Answer;
        QTest::newRow("copy, yes") << int(FO_COPY) << int(A::Yes) << true << true;
        QTest::newRow("copy, no") << int(FO_COPY) << int(A::No) << true << false;
        QTest::newRow("copy, cancel") << int(FO_COPY) << int(A::Cancel) << true << false;
        QTest::newRow("move on its volume") << int(FO_MOVE) << int(A::No) << false << true;
    }
    void placeholdersAreNeverReadUnasked() {
        QFETCH(int, func);
        QFETCH(int, answer);
        QFETCH(bool, asked);
        QFETCH(bool, arrives);
        test::TestDir t;
        t.File("f/Thumbs.db", "online only");
        test::TestDir to;
        ItemInfo cloud;
        const UniqueFd f = OpenFolderPath(t.Path("f"));
        QVERIFY(InfoAt(f.Get(), "Thumbs.db", cloud));
        win::SetReparseHook([&](std::uint64_t n) {
            return win::SeenAs{n == cloud.id.number ? 0x9000601Au : 0,
                               n == cloud.id.number ? DWORD{0x00400000} : 0};
        });
        ProcessList list;
        test::SearchInto(t.Root(), 1, list, true, test::Rules("junk"));
        QCOMPARE(list.Count(), 0);  // f is not empty: its Thumbs.db is not junk
        test::ScriptedFileOpUi ui;
        ui.answers.push_back(FileOpUi::Answer(answer));
        FileOpRecord rec;
        rec.wFunc = static_cast<unsigned>(func);
        rec.pFrom = t.Path("f/Thumbs.db");
        rec.pTo = to.Root();
        FileOperation(rec);
        QCOMPARE(ui.asked.empty(), !asked);
        QCOMPARE(to.Exists("Thumbs.db"), arrives);
        QCOMPARE(t.Exists("f/Thumbs.db"), unsigned(func) == FO_COPY || !arrives);
        QVERIFY(ui.errors.empty());
    }
};

QTEST_APPLESS_MAIN(TestWindowsBackend)
#include "tst_windows_backend.moc"
