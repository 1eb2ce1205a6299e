#include "printing/Dy58Unit.h"

#include "ui_Dy58Unit.h"

TDy58Form::TDy58Form(QWidget* parent)
    : printing::ReceiptLayoutForm(printing::PaperWidth::Mm58, QStringLiteral("Dy58Form"), parent),
      m_ui(std::make_unique<Ui::TDy58Form>())
{
    m_ui->setupUi(this);
    attachControls();
    FormCreate();
}

TDy58Form::~TDy58Form() = default;
