// SPDX-License-Identifier: GPL-3.0-or-later
// The journal is line-based text a person can read. Fields are separated by one space;
// paths and names are escaped so that any byte survives: bytes 0x21-0x7E stay as they are
// except "%", every other byte (space, controls, non-ASCII) is written as %XX. Identities
// are "dev:ino:mount:birth" in decimal (older journals: "dev:ino:mount"). Times are nanoseconds
// since the epoch.
//
//   corvelle-journal 1
//   start <path> <id>
//   date <YYYY-MM-DDTHH:MM:SS>
//   row <index> raise <before> <after> <beforeId> <afterId> <mode> <uid> <gid> <atime> <mtime>
//       <parent atime> <parent mtime>        (one line; the parent's times 0 when not known)
//   entry <name> <id>            (one per entry of the raise row above)
//   otherwise <name> <id>        (one per entry that moves instead when the row below failed)
//   aside <name>                 (the raise row's folder steps aside under this name)
//   row <index> delete <before> <beforeId> <mode> <uid> <gid> <atime> <mtime> <p.at> <p.mt>
//   held <name> <id> <size> <mtime> <ctime> <place> <place id>
//                                (a junk file the row above moves into the holding place
//                                 first; Undo finds it there by its identity)
//   junk <name> <id> <size> <mode> <uid> <gid> <atime> <mtime> <kept at> <hash>
//                                (earlier versions: a junk file whose contents are kept in the
//                                 ".kept" file beside the journal from <kept at> on)
//   plan <rows>                  (end of the plan; durable before the first change)
//   done <index> ok|failed       (progress, appended as rows finish)
//   otherwise <index>            (the raise row moves its other entries: durable before)
//   end                          (the run finished)
//   remade <index> <id>          (an undo made the row's folder again: durable before use)
//   undo <index> ok|failed       (progress of an undo; older journals add the remade id)
//   undone                       (the run was put back)
//
// Every line ends in "\n". The plan is refused unless whole; after it, a last line without
// its line end (a crash while appending) is dropped.
#include "tidy/journal.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "util/paths.h"

namespace corvelle {
namespace {

constexpr const char* kMagic = "corvelle-journal 1";

// Plans of a million rows are written in one go: numbers go straight into the text.
template <typename T>
void AppendNumber(std::string& out, T n) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, n);
    out.append(buf, r.ptr);
}

void AppendId(std::string& out, const FileId& id) {
    AppendNumber(out, id.volume);
    out += ':';
    AppendNumber(out, id.number);
    out += ':';
    AppendNumber(out, id.mount);
    out += ':';
    AppendNumber(out, id.birth);
    if (id.numberHigh != 0) {
        out += ':';  // a 128-bit number's upper half
        AppendNumber(out, id.numberHigh);
    }
}

std::string Id(const FileId& id) {
    std::string text;
    AppendId(text, id);
    return text;
}

template <typename T>
bool Number(const std::string& s, T& out) {
    if (s.empty())
        return false;
    const char* end = s.data() + s.size();
    const auto r = std::from_chars(s.data(), end, out);
    return r.ec == std::errc() && r.ptr == end;
}

// "volume:number:mount" (older journals), then ":birth", then ":upper half" when not 0.
bool ParseId(const std::string& s, FileId& id) {
    std::vector<std::string> f;
    size_t pos = 0;
    for (size_t colon; (colon = s.find(':', pos)) != std::string::npos; pos = colon + 1)
        f.push_back(s.substr(pos, colon - pos));
    f.push_back(s.substr(pos));
    id.birth = id.numberHigh = 0;
    return f.size() >= 3 && f.size() <= 5 && Number(f[0], id.volume) && Number(f[1], id.number) &&
           Number(f[2], id.mount) && (f.size() < 4 || Number(f[3], id.birth)) &&
           (f.size() < 5 || (Number(f[4], id.numberHigh) && id.numberHigh != 0));
}

void AppendMeta(std::string& out, const JournalRow& r) {
    const FolderMeta& m = r.meta;
    for (const std::int64_t n :
         {std::int64_t{m.mode}, std::int64_t{m.uid}, std::int64_t{m.gid}, m.atimeNs, m.mtimeNs,
          r.parentMeta.atimeNs, r.parentMeta.mtimeNs}) {
        out += ' ';
        AppendNumber(out, n);
    }
}

void AppendField(std::string& out, const std::string& bytes) {
    out += ' ';
    out += JournalEscape(bytes);
}

void AppendIdField(std::string& out, const FileId& id) {
    out += ' ';
    AppendId(out, id);
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
        out += "row ";
        AppendNumber(out, r.index);
        if (r.raise) {
            out += " raise";
            AppendField(out, r.before);
            AppendField(out, r.after);
            AppendIdField(out, r.beforeId);
            AppendIdField(out, r.afterId);
            AppendMeta(out, r);
            out += '\n';
            for (const auto& [kind, list] :
                 {std::pair{"entry", &r.entries}, std::pair{"otherwise", &r.otherwise}}) {
                for (const JournalEntry& e : *list) {
                    out += kind;
                    AppendField(out, e.name);
                    AppendIdField(out, e.id);
                    out += '\n';
                }
            }
            if (!r.aside.empty()) {
                out += "aside";
                AppendField(out, r.aside);
                out += '\n';
            }
        } else {
            out += " delete";
            AppendField(out, r.before);
            AppendIdField(out, r.beforeId);
            AppendMeta(out, r);
            out += '\n';
        }
        for (const JunkFile& k : r.junk) {
            const bool held = !k.holdPath.empty();
            out += held ? "held" : "junk";
            AppendField(out, k.name);
            AppendIdField(out, k.id);
            out += ' ';
            AppendNumber(out, k.size);
            if (held) {
                for (const std::int64_t n : {k.meta.mtimeNs, k.changeNs}) {
                    out += ' ';
                    AppendNumber(out, n);
                }
                AppendField(out, k.holdPath);
                AppendIdField(out, k.holdId);
                out += '\n';
                continue;
            }
            for (const std::uint64_t n : {std::uint64_t{k.meta.mode}, std::uint64_t{k.meta.uid},
                                          std::uint64_t{k.meta.gid}}) {
                out += ' ';
                AppendNumber(out, n);
            }
            for (const std::int64_t n : {k.meta.atimeNs, k.meta.mtimeNs}) {
                out += ' ';
                AppendNumber(out, n);
            }
            for (const std::uint64_t n : {k.kept, k.hash}) {
                out += ' ';
                AppendNumber(out, n);
            }
            out += '\n';
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

std::string FormatOtherwise(int index) {
    return "otherwise " + std::to_string(index) + "\n";
}

std::string FormatUndoMark(int index, bool ok) {
    return "undo " + std::to_string(index) + (ok ? " ok\n" : " failed\n");
}

std::string FormatRemade(int index, const FileId& id) {
    return "remade " + std::to_string(index) + " " + Id(id) + "\n";
}

std::string FormatUndone() {
    return "undone\n";
}

std::string FormatJournal(const RunJournal& j) {
    std::string out = FormatJournalPlan(j);
    for (const int index : j.otherwise) out += FormatOtherwise(index);
    for (const auto& [index, mark] : j.done) out += FormatRowMark(index, mark == RowMark::Done);
    if (j.finished)
        out += FormatRunEnd();
    for (const auto& [index, id] : j.remade) out += FormatRemade(index, id);
    for (const auto& [index, mark] : j.undo) out += FormatUndoMark(index, mark == RowMark::Done);
    if (j.undone)
        out += FormatUndone();
    return out;
}

JournalParser::JournalParser(RunJournal& j) : j_(j) {
    j_ = RunJournal{};
}

Error JournalParser::Damaged(const std::string& why) const {
    Error e = MakeError(kErrJournalDamaged);
    e.detail = " (" + std::to_string(line_) + " 行目: " + why + ")";
    return e;
}

Error JournalParser::Line(const std::string& line) {
    ++line_;
    if (line_ == 1)
        return line == kMagic ? Error{} : MakeError(kErrNotAJournal);
    const std::vector<std::string> f = Fields(line);
    if (line_ == 2) {
        if (f.size() != 3 || f[0] != "start" || !JournalUnescape(f[1], j_.startPath) ||
            j_.startPath.empty() || !ParseId(f[2], j_.startId))
            return Damaged("開始フォルダ");
        return {};
    }
    if (line_ == 3) {
        if (f.size() != 2 || f[0] != "date" || !JournalUnescape(f[1], j_.date))
            return Damaged("日時");
        return {};
    }
    return planEnded_ ? Progress(f) : Plan(f);
}

Error JournalParser::Plan(const std::vector<std::string>& f) {
    if (f[0] == "row") {
        JournalRow r;
        if (f.size() < 3 || !Number(f[1], r.index) || r.index < 0)
            return Damaged("行");
        if (f[2] == "raise") {
            r.raise = true;
            if (f.size() != 14 || !JournalUnescape(f[3], r.before) ||
                !JournalUnescape(f[4], r.after) || !ParseId(f[5], r.beforeId) ||
                !ParseId(f[6], r.afterId) || !ParseMeta(f, 7, r))
                return Damaged("処理行");
        } else if (f[2] == "delete") {
            if (f.size() != 12 || !JournalUnescape(f[3], r.before) || !ParseId(f[4], r.beforeId) ||
                !ParseMeta(f, 5, r))
                return Damaged("削除行");
        } else {
            return Damaged("行の種類");
        }
        if (r.before.empty() || (!j_.rows.empty() && r.index <= j_.rows.back().index))
            return Damaged("行の順序");
        j_.rows.push_back(std::move(r));
        return {};
    }
    if (f[0] == "entry" || f[0] == "otherwise" || f[0] == "aside") {
        if (j_.rows.empty() || !j_.rows.back().raise)
            return Damaged("項目の位置");
        JournalRow& r = j_.rows.back();
        if (f[0] != "aside") {
            JournalEntry e;
            if (f.size() != 3 || !JournalUnescape(f[1], e.name) || e.name.empty() ||
                e.name == "." || e.name == ".." || e.name.find('/') != std::string::npos ||
                !ParseId(f[2], e.id))
                return Damaged("項目");
            (f[0] == "entry" ? r.entries : r.otherwise).push_back(std::move(e));
        } else if (f.size() != 2 || !r.aside.empty() || !JournalUnescape(f[1], r.aside) ||
                   r.aside.empty() || r.aside.find('/') != std::string::npos) {
            return Damaged("退避名");
        }
        return {};
    }
    if (f[0] == "junk" || f[0] == "held") {
        JunkFile k;
        const bool held = f[0] == "held";
        if (j_.rows.empty() || f.size() < 4 || !JournalUnescape(f[1], k.name) || k.name.empty() ||
            k.name == "." || k.name == ".." || k.name.find('/') != std::string::npos ||
            !ParseId(f[2], k.id) || !Number(f[3], k.size))
            return Damaged("不要ファイル");
        if (held ? f.size() != 8 || !Number(f[4], k.meta.mtimeNs) || !Number(f[5], k.changeNs) ||
                       !JournalUnescape(f[6], k.holdPath) || k.holdPath.empty() ||
                       !ParseId(f[7], k.holdId)
                 : f.size() != 11 || !Number(f[4], k.meta.mode) || !Number(f[5], k.meta.uid) ||
                       !Number(f[6], k.meta.gid) || !Number(f[7], k.meta.atimeNs) ||
                       !Number(f[8], k.meta.mtimeNs) || !Number(f[9], k.kept) ||
                       !Number(f[10], k.hash))
            return Damaged("不要ファイル");
        j_.rows.back().junk.push_back(std::move(k));
        return {};
    }
    if (f[0] == "plan") {
        size_t count = 0;
        if (f.size() != 2 || !Number(f[1], count) || count != j_.rows.size())
            return Damaged("計画の行数");
        planEnded_ = true;
        return {};
    }
    return Damaged("不明な記録");
}

Error JournalParser::Progress(const std::vector<std::string>& f) {
    auto known = [&](int index) {
        const auto it = std::lower_bound(j_.rows.begin(), j_.rows.end(), index,
                                         [](const JournalRow& r, int k) { return r.index < k; });
        return it != j_.rows.end() && it->index == index;
    };
    int index = -1;
    if ((f[0] == "done" || f[0] == "undo" || f[0] == "remade" || f[0] == "otherwise") &&
        (f.size() < 2 || !Number(f[1], index) || !known(index)))
        return Damaged("存在しない行の記録");
    bool ok = true;
    if (f[0] == "done" && !j_.undone && j_.undo.empty() && j_.remade.empty()) {
        ok = Mark(f, j_.done);
    } else if (f[0] == "otherwise" && f.size() == 2 && !j_.undone && j_.undo.empty()) {
        j_.otherwise.insert(index);
    } else if (f[0] == "end" && f.size() == 1) {
        j_.finished = true;
    } else if (f[0] == "remade" && f.size() == 3) {
        FileId id;
        ok = ParseId(f[2], id) && id.Known();
        if (ok)
            j_.remade[index] = id;
    } else if (f[0] == "undo" && f.size() == 4) {
        // Earlier journals named the folder made again with the row's mark.
        FileId id;
        ok = ParseId(f[3], id) && id.Known() && Mark({f[0], f[1], f[2]}, j_.undo);
        if (ok)
            j_.remade[index] = id;
    } else if (f[0] == "undo") {
        ok = Mark(f, j_.undo);
    } else if (f[0] == "undone" && f.size() == 1) {
        j_.undone = true;
    } else {
        ok = false;
    }
    return ok ? Error{} : Damaged("進行の記録");
}

Error JournalParser::End() {
    if (line_ == 0)
        return MakeError(kErrNotAJournal);
    if (!planEnded_)
        return Damaged("計画が途中で切れています");
    return {};
}

Error ParseJournalHeader(const std::string& head, RunJournal& j) {
    JournalParser p(j);
    size_t pos = 0;
    for (int n = 0; n < 3; ++n) {
        const size_t nl = head.find('\n', pos);
        if (nl == std::string::npos)
            return n == 0 ? MakeError(kErrNotAJournal) : p.End();
        if (Error e = p.Line(head.substr(pos, nl - pos)))
            return e;
        pos = nl + 1;
    }
    return {};
}

Error ParseJournal(const std::string& text, RunJournal& j) {
    JournalParser p(j);
    size_t pos = 0;
    // A last line cut short (a crash while appending) is dropped.
    for (size_t nl; (nl = text.find('\n', pos)) != std::string::npos; pos = nl + 1) {
        if (Error e = p.Line(text.substr(pos, nl - pos)))
            return e;
    }
    return p.End();
}

}  // namespace corvelle
