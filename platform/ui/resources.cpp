// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/resources.h"

#include <QtGlobal>

static void InitCorvelleResources() {
    Q_INIT_RESOURCE(corvelle);
#ifdef CORVELLE_EMBEDDED_QT_JA
    Q_INIT_RESOURCE(qt_ja);
#endif
}

namespace corvelle {

void EnsureResources() {
    static const bool done = (InitCorvelleResources(), true);
    (void)done;
}

}  // namespace corvelle
