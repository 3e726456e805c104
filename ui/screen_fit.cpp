// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/screen_fit.h"

#include <algorithm>

namespace corvelle {

QRect FitOnScreen(const QRect& wanted, const QList<QRect>& available, const QMargins& frame) {
    if (available.isEmpty())
        return wanted;
    QRect screen = available.front().marginsRemoved(frame);
    long long best = 0;
    for (const QRect& s : available) {
        const QRect common = s.intersected(wanted);
        const long long area = common.isEmpty() ? 0 : 1LL * common.width() * common.height();
        if (area > best) {
            best = area;
            screen = s.marginsRemoved(frame);
        }
    }
    QRect r = wanted;
    r.setWidth(std::min(r.width(), screen.width()));
    r.setHeight(std::min(r.height(), screen.height()));
    r.moveLeft(std::clamp(r.left(), screen.left(), screen.right() - r.width() + 1));
    r.moveTop(std::clamp(r.top(), screen.top(), screen.bottom() - r.height() + 1));
    return r;
}

}  // namespace corvelle
