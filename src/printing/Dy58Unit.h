#pragma once

#include "printing/ReceiptLayoutForm.h"

#include <memory>

namespace Ui {
class TDy58Form;
}

// The 58 mm receipts and their preview window.
class TDy58Form : public printing::ReceiptLayoutForm
{
    Q_OBJECT

public:
    explicit TDy58Form(QWidget* parent = nullptr);
    ~TDy58Form() override;

private:
    std::unique_ptr<Ui::TDy58Form> m_ui;
};
