// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panel_layout.h"

#include <cmath>

#include "util/numbers.h"

namespace corvelle {

void PanelLayoutSet(MainLayout& s) {
    if (s.minimized)
        return;
    double left = RoundHalfEven(s.bar.left);
    s.leftPanelWidth = left;
    const double right = RoundHalfEven(s.innerWidth - s.bar.left - s.bar.width);
    if (right > kMinPanelWidth) {
        s.rightPanelWidth = right;
    } else {
        s.rightPanelWidth = kMinPanelWidth;
        // Too narrow: shrink the left panel, unless it is already at its minimum (then the
        // panels overlap).
        if (left > kMinPanelWidth) {
            left = RoundHalfEven(s.innerWidth - kMinPanelWidth - s.bar.width);
            s.leftPanelWidth = left;
            s.bar.left = left;
        }
    }
    s.grip.top = 0;
    s.grip.left = s.bar.left;
    s.grip.height = s.innerHeight;
    s.bar.top = 0;
    s.bar.height = s.innerHeight;
    s.progressTop = std::trunc((s.toolbarHeight - s.progressHeight) / 2);
    s.progressLeft = s.placeholderLeft;
}

void SplitterMouseDown(MainLayout& s) {
    s.bar.left = s.grip.left;
    s.bar.top = s.grip.top;
    s.bar.width = std::floor(static_cast<long long>(s.grip.width) / 2);
    s.bar.height = s.grip.height - kBarShortening;
    s.barVisible = true;
    s.splitterMoving = true;
}

void SplitterMouseMove(MainLayout& s, double x) {
    if (!s.splitterMoving)
        return;
    const double p = s.grip.left + x;
    if (p < kMinPanelWidth) {
        s.bar.left = kMinPanelWidth;
        return;
    }
    const double m = s.innerWidth - (s.grip.width + kMinPanelWidth);
    s.bar.left = m < p ? m : p;
}

void SplitterMouseUp(MainLayout& s) {
    PanelLayoutSet(s);
    s.barVisible = false;
    s.splitterMoving = false;
}

DirSelectLayout DirSelectResize(double panelHeight, double innerWidth, double innerHeight,
                                const DirSelectLayout& current) {
    DirSelectLayout out = current;
    const bool tall = panelHeight > kTallThreshold;
    out.tree.top = 0;
    out.tree.left = 0;
    out.tree.width = innerWidth;
    out.mode.left = 0;
    if (tall) {
        out.mode.height = kModePanelHeight;
        out.tree.height = innerHeight - out.mode.height - kMargin;
    }
    out.mode.top = out.tree.height + kMargin;
    out.mode.width = innerWidth;
    return out;
}

FileViewLayout FileViewResize(double panelHeight, double innerWidth, double innerHeight,
                              const FileViewLayout& current, const TwRect& clientInset) {
    FileViewLayout out = current;
    const bool tall = panelHeight > kTallThreshold;
    out.tab.top = 0;
    out.tab.left = 0;
    if (tall)
        out.tab.height = innerHeight;
    out.tab.width = innerWidth;
    const TwRect client{out.tab.left + clientInset.left, out.tab.top + clientInset.top,
                        out.tab.width - clientInset.width, out.tab.height - clientInset.height};
    for (TwRect& page : out.pages) {
        page.top = client.top + kMargin;
        page.left = client.left;
        if (tall)
            page.height = client.height - 2 * kMargin;
        page.width = client.width;
    }
    return out;
}

DisplayLayout DisplayResize(double pageWidth, double pageHeight, const TwRect& cmdReplace) {
    DisplayLayout out;
    out.fileList = {0, 0, pageWidth, pageHeight};
    const double top = cmdReplace.height + cmdReplace.top + kMargin;
    out.logList = {0, top, pageWidth, pageHeight - top};
    return out;
}

}  // namespace corvelle
