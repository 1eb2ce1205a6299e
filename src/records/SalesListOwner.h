#pragma once

#include <QString>

namespace records {

enum class SalesSearch
{
    ByNumber,
    ByCashier,
};

// What the query and detail dialogs ask of the statistics window that opens them. The window
// outlives both dialogs.
class SalesListOwner
{
public:
    // The list shows the sales whose receipt number, or whose cashier, contains text.
    virtual void showMatching(SalesSearch search, const QString& text) = 0;
    // The number of the sale whose lines were last opened; "" before any.
    virtual QString selectedReceiptNumber() const = 0;

protected:
    ~SalesListOwner() = default;
};

} // namespace records
