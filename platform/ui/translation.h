// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's own Japanese texts (standard buttons, standard dialogs), whatever the user's locale:
// the window speaks Japanese throughout.
#pragma once

namespace corvelle {

// true when Qt's Japanese translation was found and installed.
bool InstallQtJapanese();

}  // namespace corvelle
