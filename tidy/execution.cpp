#include "tidy/execution.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/os/handles.h"
#include "platform/os/test_seam.h"
#include "tidy/process_list.h"
#include "util/paths.h"

namespace corvelle {
namespace {

std::string Trimmed(const std::string& text) {
    return text.size() > 1 ? RemoveBackslash(text) : text;
}

std::string Because(const std::string& path, int err) {
    switch (err) {
        case ELOOP:
        case ENOTDIR:
            return path + ": フォルダがリンクかファイルに置き換えられています";
        case EXDEV:
            return path + ": 別のファイルシステム(マウント)を越えられません";
        default:
            return path + ": " + std::strerror(err);
    }
}

class RowRunner {
  public:
    RowRunner(const ProcessList& list, OwnerHandle owner) : list_(list), owner_(owner) {}

    // Opens the start folder as the user chose it, and checks it is the one searched.
    bool Open(std::string& reason) {
        start_ = OpenFolderPath(list_.StartPath());
        ItemInfo info;
        if (!start_.Valid() || !InfoOf(start_.Get(), info)) {
            reason = Because(list_.StartPath(), errno);
            return false;
        }
        if (info.id != list_.StartId()) {
            reason = list_.StartPath() + ": 検索の後で別のフォルダに置き換えられました";
            return false;
        }
        return true;
    }

    bool Run(const ProcessRow& row, std::string& reason) {
        if (!row.beforeId.Known()) {
            reason = row.before + ": 検索で見つけた行ではありません";
            return false;
        }
        return row.IsDeleteRow() ? DeleteRow(row, reason) : RaiseRow(row, reason);
    }

  private:
    // The path below the start folder that a row's text names; false when it lies outside.
    bool Relative(const std::string& text, std::string& rel) const {
        const std::string p = Trimmed(text);
        const std::string base = Trimmed(list_.StartPath());
        if (p == base) {
            rel.clear();
            return true;
        }
        const std::string prefix = AddBackslash(base);
        if (p.compare(0, prefix.size(), prefix) != 0)
            return false;
        rel = p.substr(prefix.size());
        return true;
    }

    // The folder a row names, reached beneath the start folder and checked against the
    // identity the search saw.
    UniqueFd Reach(const std::string& text, const FileId& id, std::string& reason) const {
        std::string rel;
        if (!Relative(text, rel)) {
            reason = text + ": 検索したフォルダの外です";
            return UniqueFd();
        }
        UniqueFd fd = OpenBeneath(start_.Get(), rel);
        ItemInfo info;
        if (!fd.Valid() || !InfoOf(fd.Get(), info)) {
            reason = Because(Trimmed(text), errno);
            return UniqueFd();
        }
        if (id.Known() && info.id != id) {
            reason = Trimmed(text) + ": 検索の後で別のフォルダに置き換えられました";
            return UniqueFd();
        }
        return fd;
    }

    // The parent of a row's folder and the folder's name in it.
    UniqueFd ReachParent(const std::string& text, std::string& leaf, std::string& reason) const {
        const std::string p = Trimmed(text);
        std::string rel;
        if (!Relative(p, rel)) {
            reason = text + ": 検索したフォルダの外です";
            return UniqueFd();
        }
        if (rel.empty()) {
            // The start folder itself: its parent is opened as the user gave the path.
            UniqueFd fd = OpenParentOf(p, leaf);
            if (!fd.Valid())
                reason = Because(p, errno);
            return fd;
        }
        leaf = PathLeaf(p);
        return Reach(PathParent(p), {}, reason);
    }

    // The entry `name` of dir: a real folder on dir's mount, the one the search saw.
    static bool IsPlannedFolder(int dir, const std::string& name, const FileId& id,
                                const std::string& path, std::string& reason) {
        ItemInfo parent, info;
        if (!InfoOf(dir, parent) || !InfoAt(dir, name, info)) {
            reason = Because(path, errno);
            return false;
        }
        if (!info.IsDir() || info.id != id) {
            reason = path + ": 検索の後で別の項目に置き換えられました";
            return false;
        }
        if (OtherMount(parent, info)) {
            reason = Because(path, EXDEV);
            return false;
        }
        return true;
    }

    bool DeleteRow(const ProcessRow& row, std::string& reason) const {
        std::string leaf;
        const UniqueFd parent = ReachParent(row.before, leaf, reason);
        const std::string path = Trimmed(row.before);
        if (!parent.Valid() || !IsPlannedFolder(parent.Get(), leaf, row.beforeId, path, reason))
            return false;
        Seam("delete:checked", path);
        // Removes only an empty folder: a file that arrived at any moment keeps it.
        if (unlinkat(parent.Get(), leaf.c_str(), AT_REMOVEDIR) != 0) {
            reason = Because(path, errno);
            return false;
        }
        return true;
    }

    bool RaiseRow(const ProcessRow& row, std::string& reason) const {
        const std::string path = Trimmed(row.before);
        const std::string name = PathLeaf(path);
        if (name.empty() || path != AddBackslash(Trimmed(row.after)) + name) {
            reason = path + ": 変更後のフォルダが変更前の親ではありません";
            return false;
        }
        const UniqueFd after = Reach(row.after, row.afterId, reason);
        if (!after.Valid())
            return false;
        // The after folder must still hold exactly the before folder.
        std::vector<std::string> names;
        int err = 0;
        if (!ReadNames(after.Get(), names, err)) {
            reason = Because(Trimmed(row.after), err);
            return false;
        }
        if (names.size() != 1 || names[0] != name) {
            reason = Trimmed(row.after) + ": ほかの項目が増えたため処理しません";
            return false;
        }
        if (!IsPlannedFolder(after.Get(), name, row.beforeId, path, reason))
            return false;
        const UniqueFd before = OpenFolderAt(after.Get(), name);
        ItemInfo info;
        if (!before.Valid() || !InfoOf(before.Get(), info) || info.id != row.beforeId) {
            reason = before.Valid() ? path + ": 検索の後で別の項目に置き換えられました"
                                    : Because(path, errno);
            return false;
        }
        std::vector<std::string> inside;
        if (!ReadNames(before.Get(), inside, err)) {
            reason = Because(path, err);
            return false;
        }
        Seam("raise:checked", path);
        // An entry named like the folder itself would have to land where the folder still
        // stands: the folder steps aside first, under a visible name that says what it is.
        std::string source = name;
        for (const std::string& n : inside) {
            if (n != name)
                continue;
            if (!StepAside(after.Get(), name, source)) {
                reason = Because(path, errno);
                return false;
            }
            break;
        }
        FileOpRecord rec;
        rec.hwnd = owner_;
        rec.wFunc = FO_MOVE;
        rec.pFrom = Trimmed(AddBackslash(Trimmed(row.after)) + source);
        rec.pTo = row.after;
        rec.allEntries = true;
        rec.fromDir = before.Get();
        rec.toDir = after.Get();
        if (RunFileOperation(rec) != kOpOk) {
            reason = path + ": 中身を移動できませんでした(元に戻しました)";
            PutBackAside(after.Get(), source, name, path, reason);
            return false;
        }
        Seam("raise:moved", path);
        // "成功" only once the emptied folder is gone too; otherwise the content goes back.
        ItemInfo emptied;
        if (InfoAt(after.Get(), source, emptied) && emptied.id == row.beforeId &&
            unlinkat(after.Get(), source.c_str(), AT_REMOVEDIR) == 0)
            return true;
        reason = Because(path, errno) + "(空になったフォルダを削除できませんでした)";
        std::string stranded;
        for (const std::string& n : inside) {
            if (renameat2(after.Get(), n.c_str(), before.Get(), n.c_str(), RENAME_NOREPLACE) != 0)
                stranded += "\n" + AddBackslash(Trimmed(row.after)) + n;
        }
        if (!stranded.empty())
            reason += "\n元に戻せなかった項目:" + stranded;
        PutBackAside(after.Get(), source, name, path, reason);
        return false;
    }

    static bool StepAside(int dir, const std::string& name, std::string& aside) {
        static unsigned counter = 0;
        for (int tries = 0; tries < 100; ++tries) {
            aside = "corvelle-raising-" + std::to_string(getpid()) + "-" +
                    std::to_string(++counter);
            if (renameat2(dir, name.c_str(), dir, aside.c_str(), RENAME_NOREPLACE) == 0)
                return true;
            if (errno != EEXIST)
                return false;
        }
        return false;
    }

    static void PutBackAside(int dir, const std::string& aside, const std::string& name,
                             const std::string& path, std::string& reason) {
        if (aside == name)
            return;
        if (renameat2(dir, aside.c_str(), dir, name.c_str(), RENAME_NOREPLACE) != 0)
            reason += "\n" + path + " は " + PathParent(path) + aside + " にあります";
    }

    const ProcessList& list_;
    OwnerHandle owner_;
    UniqueFd start_;
};

}  // namespace

int ExecuteList(ProcessList& list, const ExecutionUi& ui) {
    int failed = 0;
    const int count = list.Count();
    RowRunner runner(list, ui.owner);
    std::optional<std::string> startProblem;  // opened at the first row that is carried out
    for (int i = 0; i < count; ++i) {
        const ProcessRow& row = list.Row(i);
        if (!row.checked) {
            Seam("execute:row", row.before);
            if (!startProblem) {
                std::string why;
                startProblem = runner.Open(why) ? std::string() : why;
            }
            std::string reason = *startProblem;
            const bool ok = reason.empty() && runner.Run(row, reason);
            list.SetResult(i, ok ? kResultSuccess : kResultFailure);
            if (!ok) {
                ++failed;
                if (ui.failed)
                    ui.failed(i, reason);
            }
        }
        if (ui.status)
            ui.status(list.Row(i).before + "処理中");
    }
    return failed;
}

}  // namespace corvelle
