// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/app_state.h"

namespace corvelle {

bool StartupInProgress = false;
std::string StartFolderArgument;

}  // namespace corvelle
