#include "ui/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>

bool InstallQtTranslations()
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    const QString directory = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QStringLiteral("qtbase_ru"), directory)) {
        std::fprintf(stderr, "quorvel: %s/qtbase_ru.qm is missing (package qt6-translations-l10n): "
                             "Qt's own buttons and menus stay English\n",
                     qPrintable(directory));
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
