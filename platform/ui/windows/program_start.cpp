// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/program_start.h"

#include <QCoreApplication>
#include <QStringList>

#include "platform/ui/path_text.h"

namespace corvelle {

bool DesktopAvailable() {
    return true;  // a Windows session always has its desktop
}

std::vector<std::string> WindowProgramArguments(int, char**) {
    // argv holds only what fits the code page; Qt's list comes from the wide command line,
    // without the options Qt took for itself.
    const QStringList args = QCoreApplication::arguments();
    std::vector<std::string> out;
    for (qsizetype i = 1; i < args.size(); ++i) out.push_back(QStringToPath(args[i]));
    return out;
}

}  // namespace corvelle
