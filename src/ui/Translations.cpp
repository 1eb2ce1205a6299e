#include "ui/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace ui {

bool installQtTranslations()
{
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    // Dates and day names in the file dialog follow the default locale.
    QLocale::setDefault(chinese);
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace ui
