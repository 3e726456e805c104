// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/resources.h"

#include <QtGlobal>

static void InitCorvelleResources() {
    Q_INIT_RESOURCE(corvelle);
    Q_INIT_RESOURCE(qt_ja);
}

namespace corvelle {

void EnsureResources() {
    static const bool done = (InitCorvelleResources(), true);
    (void)done;
}

}  // namespace corvelle
