#include "app/app_state.h"

namespace corvelle {

bool StartupInProgress = false;
std::string StartFolderArgument;

}  // namespace corvelle
