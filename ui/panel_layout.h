// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's layout arithmetic in twips, free of any window: the window feeds it
// sizes and applies the rectangles it returns.
#pragma once

#include "util/twrect.h"

namespace corvelle {

inline constexpr double kMinPanelWidth = 5000;
inline constexpr double kBarShortening = 20;
inline constexpr double kModePanelHeight = 1935;
inline constexpr double kTallThreshold = 5000;
inline constexpr double kMargin = 50;

// Window-level state: the panels, the splitter bar and grip, the progress bar.
struct MainLayout {
    // Inputs the window keeps current.
    double innerWidth = 11955;
    double innerHeight = 8775;
    bool minimized = false;
    double toolbarHeight = 330;
    double progressHeight = 255;
    double placeholderLeft = 7080;  // left of the toolbar button "phPbGeneral"
    // State and results.
    TwRect bar{6000, 480, 72, 4800};    // picSplitterMain; its left is the splitter position
    TwRect grip{5760, 480, 150, 4785};  // imgSplitterMain
    bool barVisible = false;
    bool splitterMoving = false;
    double leftPanelWidth = 5000;
    double rightPanelWidth = 4935;
    double progressTop = 0;
    double progressLeft = 7080;
};

void PanelLayoutSet(MainLayout& s);
void SplitterMouseDown(MainLayout& s);
// x relative to the grip, in twips.
void SplitterMouseMove(MainLayout& s, double x);
void SplitterMouseUp(MainLayout& s);

// The left panel: the tree above the processing-mode panel.
struct DirSelectLayout {
    TwRect tree;
    TwRect mode;
};
DirSelectLayout DirSelectResize(double panelHeight, double innerWidth, double innerHeight,
                                const DirSelectLayout& current);

// The right panel: the tab strip and its two pages in the strip's client area.
struct FileViewLayout {
    TwRect tab;
    TwRect pages[2];
};
// clientInset: how the strip's client area sits inside the strip (left, top, and the widths
// and heights it takes away).
FileViewLayout FileViewResize(double panelHeight, double innerWidth, double innerHeight,
                              const FileViewLayout& current, const TwRect& clientInset);

// A page: the file list fills it; the processing list sits under the page's buttons.
struct DisplayLayout {
    TwRect fileList;
    TwRect logList;
};
DisplayLayout DisplayResize(double pageWidth, double pageHeight, const TwRect& cmdReplace);

}  // namespace corvelle
