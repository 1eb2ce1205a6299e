#include "shell/Startup.h"
#include "ui/Fonts.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ui::installFontSubstitutions();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quorvel.png")));
    return shell::runProgram();
}
