#include "settings/QxsmUnit.h"

#include "ui/Guard.h"

TQxsmForm::TQxsmForm(QWidget* parent) : ui::SkinnedWindow(parent)
{
    setupWindow(static_cast<Ui::TQxsmForm&>(*this), QStringLiteral("TQxsmForm"), QStringLiteral("权限说明"),
                QSize(324, 232), ui::ControlBox | ui::Close);
    ui::connectGuarded(SpeedButton1, &QPushButton::clicked, this, &TQxsmForm::SpeedButton1Click);
    centreOnScreen();
}

void TQxsmForm::SpeedButton1Click()
{
    close();
}
