// SPDX-License-Identifier: GPL-3.0-or-later
// Keeps a restored window on a screen: a stored rectangle may come from a larger or a
// since-removed monitor, or from another scale factor.
#pragma once

#include <QList>
#include <QMargins>
#include <QRect>

namespace corvelle {

// The client rectangle moved (and, where it is larger, shrunk) into the available area of
// the screen it overlaps most, or of the first screen when it overlaps none, leaving room
// for the window frame around it (its title bar above all) so that the frame stays on
// the screen too.
QRect FitOnScreen(const QRect& wanted, const QList<QRect>& available, const QMargins& frame = {});

}  // namespace corvelle
