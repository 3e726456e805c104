// Installs real Qt message boxes behind the message service.
#pragma once

namespace corvelle {

void InstallQtMessageBoxes();

}  // namespace corvelle
