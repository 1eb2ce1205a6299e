#include "support/RecordsWindows.h"

#include "records/XscxUnit.h"
#include "records/XsmxUnit.h"
#include "records/XstjUnit.h"

namespace testsupport {

RecordsWindows::RecordsWindows()
    : statistics(std::make_unique<TXstjForm>()), detail(std::make_unique<TXsmxForm>(statistics.get())),
      query(std::make_unique<TXscxForm>(statistics.get()))
{
    statistics->setDialogs(detail.get(), query.get());
}

// The dialogs go before the window they point at.
RecordsWindows::~RecordsWindows()
{
    query.reset();
    detail.reset();
    statistics.reset();
}

} // namespace testsupport
