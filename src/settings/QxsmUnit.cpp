#include "settings/QxsmUnit.h"

#include "ui/Fonts.h"
#include "ui/Guard.h"

TQxsmForm::TQxsmForm(QWidget* parent) : ui::SkinnedWindow(parent)
{
    setObjectName(QStringLiteral("TQxsmForm"));
    setupSkin(QStringLiteral("权限说明"), QSize(324, 232), ui::ControlBox | ui::Close);
    setupUi(clientArea());
    clientArea()->setFont(ui::songFont(15));
    ui::connectGuarded(SpeedButton1, &QPushButton::clicked, this, &TQxsmForm::SpeedButton1Click);
    centreOnScreen();
}

void TQxsmForm::SpeedButton1Click()
{
    close();
}
