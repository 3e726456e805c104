// The file operation's questions, errors and progress window as Qt dialogs.
#pragma once

#include <memory>

#include "platform/os/file_op.h"

namespace corvelle {

// Installs the dialogs as the current file-operation window services.
void InstallQtFileOpUi();

}  // namespace corvelle
