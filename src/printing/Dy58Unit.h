#pragma once

#include "printing/ReceiptLayoutForm.h"

// The 58 mm receipts and their preview window.
class TDy58Form : public printing::ReceiptLayoutForm
{
    Q_OBJECT

public:
    explicit TDy58Form(QWidget* parent = nullptr) : ReceiptLayoutForm(printing::PaperWidth::Mm58, parent) {}
};
