// SPDX-License-Identifier: GPL-3.0-or-later
// The journal is line-based text a person can read. Fields are separated by one space;
// paths and names are escaped so that any byte survives: bytes 0x21-0x7E stay as they are
// except "%", every other byte (space, controls, non-ASCII) is written as %XX. Identities
// are "dev:ino:mount" in decimal. Times are nanoseconds since the epoch.
//
//   corvelle-journal 1
//   start <path> <id>
//   date <YYYY-MM-DDTHH:MM:SS>
//   row <index> raise <before> <after> <beforeId> <afterId> <mode> <uid> <gid> <atime> <mtime>
//       <parent atime> <parent mtime>        (one line; the parent's times 0 when not known)
//   entry <name> <id>            (one per entry of the raise row above)
//   aside <name>                 (the raise row's folder steps aside under this name)
//   row <index> delete <before> <beforeId> <mode> <uid> <gid> <atime> <mtime> <p.at> <p.mt>
//   plan <rows>                  (end of the plan; durable before the first change)
//   done <index> ok|failed       (progress, appended as rows finish)
//   end                          (the run finished)
//   undo <index> ok|failed [<id>]  (progress of an undo; the folder it made again)
//   undone                       (the run was put back)
//
// Every line ends in "\n". The plan is refused unless whole; after it, a last line without
// its line end (a crash while appending) is dropped.
#include "tidy/journal.h"

#include <algorithm>
#include <charconv>

#include "util/paths.h"

namespace corvelle {
namespace {

constexpr const char* kMagic = "corvelle-journal 1";

std::string Id(const FileId& id) {
    return std::to_string(id.dev) + ":" + std::to_string(id.ino) + ":" + std::to_string(id.mount);
}

template <typename T>
bool Number(const std::string& s, T& out) {
    if (s.empty())
        return false;
    const char* end = s.data() + s.size();
    const auto r = std::from_chars(s.data(), end, out);
    return r.ec == std::errc() && r.ptr == end;
}

bool ParseId(const std::string& s, FileId& id) {
    const size_t a = s.find(':');
    const size_t b = a == std::string::npos ? a : s.find(':', a + 1);
    if (b == std::string::npos)
        return false;
    std::uint64_t dev = 0, ino = 0;
    if (!Number(s.substr(0, a), dev) || !Number(s.substr(a + 1, b - a - 1), ino) ||
        !Number(s.substr(b + 1), id.mount))
        return false;
    id.dev = static_cast<dev_t>(dev);
    id.ino = static_cast<ino_t>(ino);
    return true;
}

std::string Meta(const JournalRow& r) {
    const FolderMeta& m = r.meta;
    return std::to_string(m.mode) + " " + std::to_string(m.uid) + " " + std::to_string(m.gid) +
           " " + std::to_string(m.atimeNs) + " " + std::to_string(m.mtimeNs) + " " +
           std::to_string(r.parentMeta.atimeNs) + " " + std::to_string(r.parentMeta.mtimeNs);
}

bool ParseMeta(const std::vector<std::string>& f, size_t at, JournalRow& r) {
    FolderMeta& m = r.meta;
    return f.size() == at + 7 && Number(f[at], m.mode) && Number(f[at + 1], m.uid) &&
           Number(f[at + 2], m.gid) && Number(f[at + 3], m.atimeNs) &&
           Number(f[at + 4], m.mtimeNs) && Number(f[at + 5], r.parentMeta.atimeNs) &&
           Number(f[at + 6], r.parentMeta.mtimeNs);
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> out;
    size_t pos = 0;
    for (;;) {
        const size_t sp = line.find(' ', pos);
        out.push_back(line.substr(pos, sp - pos));
        if (sp == std::string::npos)
            return out;
        pos = sp + 1;
    }
}

bool Mark(const std::vector<std::string>& f, std::map<int, RowMark>& marks) {
    int index = 0;
    if (f.size() != 3 || !Number(f[1], index) || (f[2] != "ok" && f[2] != "failed"))
        return false;
    marks[index] = f[2] == "ok" ? RowMark::Done : RowMark::Failed;
    return true;
}

}  // namespace

std::string JournalEscape(const std::string& bytes) {
    return PercentEncode(bytes, [](unsigned char c) { return c > 0x20 && c < 0x7F; });
}

bool JournalUnescape(const std::string& field, std::string& bytes) {
    bytes.clear();
    auto nibble = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    };
    for (size_t i = 0; i < field.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(field[i]);
        if (c == '%') {
            if (i + 2 >= field.size())
                return false;
            const int hi = nibble(field[i + 1]), lo = nibble(field[i + 2]);
            if (hi < 0 || lo < 0)
                return false;
            bytes += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else if (c > 0x20 && c < 0x7F) {
            bytes += static_cast<char>(c);
        } else {
            return false;
        }
    }
    return true;
}

std::string FormatJournalPlan(const RunJournal& j) {
    std::string out = std::string(kMagic) + "\n";
    out += "start " + JournalEscape(j.startPath) + " " + Id(j.startId) + "\n";
    out += "date " + JournalEscape(j.date) + "\n";
    for (const JournalRow& r : j.rows) {
        out += "row " + std::to_string(r.index);
        if (r.raise) {
            out += " raise " + JournalEscape(r.before) + " " + JournalEscape(r.after) + " " +
                   Id(r.beforeId) + " " + Id(r.afterId) + " " + Meta(r) + "\n";
            for (const JournalEntry& e : r.entries)
                out += "entry " + JournalEscape(e.name) + " " + Id(e.id) + "\n";
            if (!r.aside.empty())
                out += "aside " + JournalEscape(r.aside) + "\n";
        } else {
            out +=
                " delete " + JournalEscape(r.before) + " " + Id(r.beforeId) + " " + Meta(r) + "\n";
        }
    }
    out += "plan " + std::to_string(j.rows.size()) + "\n";
    return out;
}

std::string FormatRowMark(int index, bool ok) {
    return "done " + std::to_string(index) + (ok ? " ok\n" : " failed\n");
}

std::string FormatRunEnd() {
    return "end\n";
}

std::string FormatUndoMark(int index, bool ok, const FileId& remade) {
    return "undo " + std::to_string(index) + (ok ? " ok" : " failed") +
           (remade.Known() ? " " + Id(remade) : std::string()) + "\n";
}

std::string FormatUndone() {
    return "undone\n";
}

std::string FormatJournal(const RunJournal& j) {
    std::string out = FormatJournalPlan(j);
    for (const auto& [index, mark] : j.done) out += FormatRowMark(index, mark == RowMark::Done);
    if (j.finished)
        out += FormatRunEnd();
    for (const auto& [index, mark] : j.undo) {
        const auto it = j.remade.find(index);
        out += FormatUndoMark(index, mark == RowMark::Done,
                              it == j.remade.end() ? FileId{} : it->second);
    }
    if (j.undone)
        out += FormatUndone();
    return out;
}

namespace {

Error Damaged(const std::string& where) {
    Error e = MakeError(kErrJournalDamaged);
    e.detail = " (" + where + ")";
    return e;
}

}  // namespace

Error ParseJournalHeader(const std::string& head, RunJournal& j) {
    std::vector<std::string> f[3];
    size_t pos = 0;
    for (auto& line : f) {
        const size_t nl = head.find('\n', pos);
        if (nl == std::string::npos) {
            return Damaged("計画が途中で切れています");
        }
        line = Fields(head.substr(pos, nl - pos));
        pos = nl + 1;
    }
    if (head.compare(0, std::string(kMagic).size() + 1, std::string(kMagic) + "\n") != 0)
        return MakeError(kErrNotAJournal);
    if (f[1].size() != 3 || f[1][0] != "start" || !JournalUnescape(f[1][1], j.startPath) ||
        j.startPath.empty() || !ParseId(f[1][2], j.startId))
        return Damaged("2 行目: 開始フォルダ");
    if (f[2].size() != 2 || f[2][0] != "date" || !JournalUnescape(f[2][1], j.date))
        return Damaged("3 行目: 日時");
    return {};
}

Error ParseJournal(const std::string& text, RunJournal& j) {
    j = RunJournal{};
    Error error;
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t nl = text.find('\n', pos);
        if (nl == std::string::npos)
            break;  // a last line cut short: dropped (only allowed after the plan, see below)
        lines.push_back(text.substr(pos, nl - pos));
        pos = nl + 1;
    }
    if (lines.empty() || lines[0] != kMagic)
        return MakeError(kErrNotAJournal);
    size_t i = 1;
    auto fail = [&](const std::string& why) {
        return Damaged(std::to_string(i + 1) + " 行目: " + why);
    };
    auto fields = [&](size_t at) { return Fields(lines[at]); };
    if (lines.size() < 3)
        return fail("計画が途中で切れています");
    if ((error = ParseJournalHeader(text, j)))
        return error;
    bool planEnded = false;
    for (i = 3; i < lines.size() && !planEnded; ++i) {
        const auto f = fields(i);
        if (f[0] == "row") {
            JournalRow r;
            if (f.size() < 3 || !Number(f[1], r.index) || r.index < 0)
                return fail("行");
            if (f[2] == "raise") {
                r.raise = true;
                if (f.size() != 14 || !JournalUnescape(f[3], r.before) ||
                    !JournalUnescape(f[4], r.after) || !ParseId(f[5], r.beforeId) ||
                    !ParseId(f[6], r.afterId) || !ParseMeta(f, 7, r))
                    return fail("処理行");
            } else if (f[2] == "delete") {
                if (f.size() != 12 || !JournalUnescape(f[3], r.before) ||
                    !ParseId(f[4], r.beforeId) || !ParseMeta(f, 5, r))
                    return fail("削除行");
            } else {
                return fail("行の種類");
            }
            if (r.before.empty() || (!j.rows.empty() && r.index <= j.rows.back().index))
                return fail("行の順序");
            j.rows.push_back(std::move(r));
        } else if (f[0] == "entry" || f[0] == "aside") {
            if (j.rows.empty() || !j.rows.back().raise)
                return fail("項目の位置");
            JournalRow& r = j.rows.back();
            if (f[0] == "entry") {
                JournalEntry e;
                if (f.size() != 3 || !JournalUnescape(f[1], e.name) || e.name.empty() ||
                    e.name.find('/') != std::string::npos || !ParseId(f[2], e.id))
                    return fail("項目");
                r.entries.push_back(std::move(e));
            } else {
                if (f.size() != 2 || !r.aside.empty() || !JournalUnescape(f[1], r.aside) ||
                    r.aside.empty() || r.aside.find('/') != std::string::npos)
                    return fail("退避名");
            }
        } else if (f[0] == "plan") {
            size_t count = 0;
            if (f.size() != 2 || !Number(f[1], count) || count != j.rows.size())
                return fail("計画の行数");
            planEnded = true;
        } else {
            return fail("不明な記録");
        }
    }
    if (!planEnded)
        return fail("計画が途中で切れています");
    for (; i < lines.size(); ++i) {
        const auto f = fields(i);
        bool ok = true;
        if (f[0] == "done" && !j.undone && j.undo.empty())
            ok = Mark(f, j.done);
        else if (f[0] == "end" && f.size() == 1)
            j.finished = true;
        else if (f[0] == "undo" && f.size() == 4) {
            FileId id;
            ok = ParseId(f[3], id) && id.Known() && Mark({f[0], f[1], f[2]}, j.undo);
            if (ok)
                j.remade[std::stoi(f[1])] = id;
        } else if (f[0] == "undo")
            ok = Mark(f, j.undo);
        else if (f[0] == "undone" && f.size() == 1)
            j.undone = true;
        else
            ok = false;
        if (!ok)
            return fail("進行の記録");
    }
    for (const auto* marks : {&j.done, &j.undo}) {
        for (const auto& [index, mark] : *marks) {
            const auto it =
                std::lower_bound(j.rows.begin(), j.rows.end(), index,
                                 [](const JournalRow& r, int k) { return r.index < k; });
            if (it == j.rows.end() || it->index != index) {
                return Damaged("存在しない行 " + std::to_string(index) + " の記録");
            }
        }
    }
    return {};
}

}  // namespace corvelle
