#include "printing/Dy76Unit.h"

#include "ui_Dy76Unit.h"

TDy76Form::TDy76Form(QWidget* parent)
    : printing::ReceiptLayoutForm(printing::PaperWidth::Mm76, QStringLiteral("Dy76Form"), parent),
      m_ui(std::make_unique<Ui::TDy76Form>())
{
    m_ui->setupUi(this);
    attachControls();
    FormCreate();
}

TDy76Form::~TDy76Form() = default;
