#include "shell/Startup.h"
#include "ui/Fonts.h"
#include "ui/Icons.h"
#include "ui/Translations.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ui::installFontSubstitutions();
    ui::installQtTranslations();
    QApplication::setWindowIcon(ui::programIcon());
    return shell::runProgram();
}
