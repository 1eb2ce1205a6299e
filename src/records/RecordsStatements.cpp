#include "records/RecordsStatements.h"

namespace records::sql {

namespace {

store::Statement salesWithNumber()
{
    store::Statement statement;
    statement.table = QStringLiteral("xstj");
    statement.filterColumn = QStringLiteral("单号");
    statement.match = store::Statement::Match::Equals;
    return statement;
}

} // namespace

const store::Statement XstjOfNumber = salesWithNumber();

} // namespace records::sql
