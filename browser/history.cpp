// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/history.h"

namespace corvelle {

void NavigationHistory::HistoryTableInit() {
    for (int i = 0; i <= 10; ++i) {
        BackTable[static_cast<size_t>(i)].clear();
        NextTable[static_cast<size_t>(i)].clear();
    }
    BackCount = NextCount = 0;
}

void NavigationHistory::Add(std::array<std::string, 12>& table, int16_t& count,
                            const std::string& path) {
    for (int i = count; i >= 0; --i)
        table[static_cast<size_t>(i) + 1] = table[static_cast<size_t>(i)];
    table[1] = path;
    if (count < 10)
        ++count;
}

void NavigationHistory::Remove(std::array<std::string, 12>& table, int16_t& count, int16_t delNum) {
    if (delNum <= 0)
        return;
    if (delNum > count)
        delNum = count;
    for (int i = delNum + 1; i <= count; ++i)
        table[static_cast<size_t>(i - delNum)] = table[static_cast<size_t>(i)];
    count = static_cast<int16_t>(count - delNum);
}

void NavigationHistory::Rebuild(bool back) {
    if (hooks.rebuildMenu)
        hooks.rebuildMenu(back);
}

void NavigationHistory::Enable(bool back, bool enabled) {
    if (hooks.enableButton)
        hooks.enableButton(back, enabled);
}

void NavigationHistory::HistoryBackAdd(const std::string& pathName) {
    Add(BackTable, BackCount, pathName);
    Rebuild(true);
}

void NavigationHistory::HistoryNextAdd(const std::string& pathName) {
    Add(NextTable, NextCount, pathName);
    Rebuild(false);
}

void NavigationHistory::HistoryBackRemove(int16_t delNum) {
    Remove(BackTable, BackCount, delNum);
    Rebuild(true);
}

void NavigationHistory::HistoryNextRemove(int16_t delNum) {
    Remove(NextTable, NextCount, delNum);
    Rebuild(false);
}

void NavigationHistory::HistoryVisit(const std::string& pathName) {
    Enable(true, true);
    HistoryBackAdd(pathName);
    for (int i = 0; i <= 10; ++i) NextTable[static_cast<size_t>(i)].clear();
    NextCount = 0;
    Rebuild(false);
    Enable(false, false);
}

// Points the tree at the target. The tree may report the change at once; that report sees
// the jump's target and records no visit. The current folder is what the tree then shows
// (the target, or where the tree fell back to when the target is gone).
void NavigationHistory::Arrive(const std::string& target) {
    jumpTarget_ = target;
    if (hooks.setTreePath)
        hooks.setTreePath(target);
    current_ = hooks.treePath ? hooks.treePath() : target;
    if (hooks.selectFileTab)
        hooks.selectFileTab();
}

void NavigationHistory::HistoryGoBack(int n) {
    if (n < 1 || n > BackCount)
        return;
    for (int i = 1; i <= n; ++i)
        HistoryNextAdd(i == 1 ? current_ : BackTable[static_cast<size_t>(i - 1)]);
    Enable(false, true);
    Arrive(BackTable[static_cast<size_t>(n)]);
    HistoryBackRemove(static_cast<int16_t>(n));
    if (BackCount == 0)
        Enable(true, false);
    if (hooks.redisplay)
        hooks.redisplay();
    jumpTarget_.clear();
}

void NavigationHistory::HistoryGoForward(int n) {
    if (n < 1 || n > NextCount)
        return;
    // Downwards: the folder that was current ends up newest, then forward entries 1..n-1.
    for (int i = n; i >= 1; --i)
        HistoryBackAdd(i == 1 ? current_ : NextTable[static_cast<size_t>(i - 1)]);
    Enable(true, true);
    Arrive(NextTable[static_cast<size_t>(n)]);
    HistoryNextRemove(static_cast<int16_t>(n));
    if (NextCount == 0)
        Enable(false, false);
    if (hooks.redisplay)
        hooks.redisplay();
    jumpTarget_.clear();
}

}  // namespace corvelle
