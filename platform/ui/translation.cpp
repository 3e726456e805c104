// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "platform/ui/resources.h"

namespace corvelle {

bool InstallQtJapanese() {
    static QTranslator* translator = nullptr;
    if (translator)
        return true;
    auto* t = new QTranslator(QCoreApplication::instance());
    // The Windows program carries its own copy; elsewhere the system's is used.
    EnsureResources();
    if (!t->load(QStringLiteral("qtbase_ja"), QStringLiteral(":/i18n")) &&
        !t->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete t;
        return false;
    }
    QCoreApplication::installTranslator(t);
    translator = t;
    return true;
}

}  // namespace corvelle
