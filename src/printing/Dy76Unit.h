#pragma once

#include "printing/ReceiptLayoutForm.h"

// The 76 mm receipts and their preview window.
class TDy76Form : public printing::ReceiptLayoutForm
{
    Q_OBJECT

public:
    explicit TDy76Form(QWidget* parent = nullptr) : ReceiptLayoutForm(printing::PaperWidth::Mm76, parent) {}
};
