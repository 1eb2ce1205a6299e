#include "support/RecordsWindows.h"

#include "records/XscxUnit.h"
#include "records/XsmxUnit.h"
#include "records/XstjUnit.h"
#include "shell/Forms.h"

namespace testsupport {

RecordsWindows::RecordsWindows()
    : statistics(std::make_unique<TXstjForm>()), detail(std::make_unique<TXsmxForm>(statistics.get())),
      query(std::make_unique<TXscxForm>(statistics.get()))
{
    introduceRecordsDialogs(*statistics, *detail, *query);
}

// The dialogs go before the window they point at.
RecordsWindows::~RecordsWindows()
{
    query.reset();
    detail.reset();
    statistics.reset();
}

} // namespace testsupport
