// SPDX-License-Identifier: GPL-3.0-or-later
// A rectangle in twips (1/1440 inch), the unit of every window measure.
#pragma once

namespace corvelle {

struct TwRect {
    double left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const TwRect&, const TwRect&) = default;
};

}  // namespace corvelle
