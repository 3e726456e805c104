// SPDX-License-Identifier: GPL-3.0-or-later
// The back and forward histories: ten folders each, newest in slot 1, and the jumps.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace corvelle {

class NavigationHistory {
  public:
    // What a jump or a visit does to the window.
    struct Hooks {
        std::function<void(bool back)> rebuildMenu;  // the drop-down mirrors its table
        std::function<void(bool back, bool enabled)> enableButton;
        std::function<void(const std::string& path)> setTreePath;
        std::function<std::string()> treePath;
        std::function<void()> selectFileTab;
        std::function<void()> redisplay;
    };

    NavigationHistory(std::string& currentDirectory) : current_(currentDirectory) {}
    Hooks hooks;

    std::array<std::string, 12> BackTable{};
    std::array<std::string, 12> NextTable{};
    int16_t BackCount = 0;
    int16_t NextCount = 0;

    void HistoryTableInit();
    void HistoryBackAdd(const std::string& pathName);
    void HistoryNextAdd(const std::string& pathName);
    void HistoryBackRemove(int16_t delNum);
    void HistoryNextRemove(int16_t delNum);

    // The folder being left by a new selection.
    void HistoryVisit(const std::string& pathName);
    // Jumps n steps (1 to the count of that history; other values do nothing).
    void HistoryGoBack(int n);
    void HistoryGoForward(int n);
    // The folder a jump is heading for, while it runs: its own path change records no visit.
    const std::string& JumpTarget() const { return jumpTarget_; }

  private:
    static void Add(std::array<std::string, 12>& table, int16_t& count, const std::string& path);
    static void Remove(std::array<std::string, 12>& table, int16_t& count, int16_t delNum);
    void Rebuild(bool back);
    void Enable(bool back, bool enabled);
    void Arrive(const std::string& target);

    std::string& current_;
    std::string jumpTarget_;
};

}  // namespace corvelle
