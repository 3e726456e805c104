#include "app/app_state.h"

namespace corvelle {

bool StartupInProgress = false;

}  // namespace corvelle
