#pragma once

#include "printing/ReceiptLayoutForm.h"

#include <memory>

namespace Ui {
class TDy76Form;
}

// The 76 mm receipts and their preview window.
class TDy76Form : public printing::ReceiptLayoutForm
{
    Q_OBJECT

public:
    explicit TDy76Form(QWidget* parent = nullptr);
    ~TDy76Form() override;

private:
    std::unique_ptr<Ui::TDy76Form> m_ui;
};
