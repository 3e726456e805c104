// SPDX-License-Identifier: GPL-3.0-or-later
// The compiled-in images: a static library has to register them itself.
#pragma once

namespace corvelle {

void EnsureResources();

}  // namespace corvelle
