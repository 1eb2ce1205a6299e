#include "shell/Startup.h"
#include "ui/Fonts.h"
#include "ui/Translations.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ui::installFontSubstitutions();
    ui::installQtTranslations();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quorvel.png")));
    return shell::runProgram();
}
