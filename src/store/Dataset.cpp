#include "store/Dataset.h"

#include "core/Error.h"
#include "store/Connection.h"
#include "store/DayTotals.h"
#include "store/Numbers.h"
#include "store/Query.h"
#include "store/ValueCheck.h"

#include <QScopeGuard>
#include <algorithm>
#include <utility>

namespace store {

namespace {

QString quoted(const QString& name)
{
    QString inner = name;
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QString refusalMessage(const ValueRefusal& refusal, const QString& column, const QString& text)
{
    // Hundreds of digits make one unbreakable line: a few of them and the count say enough.
    constexpr int ShownDigits = 20;
    if (refusal.reason == ValueRefusal::Reason::TooLarge)
        return QStringLiteral("%1“%2”（%3 位数字）太大，无法保存")
            .arg(column, text.size() <= ShownDigits ? text : text.left(ShownDigits) + QStringLiteral("…"))
            .arg(text.size());
    if (refusal.reason == ValueRefusal::Reason::NotANumber)
        return QStringLiteral("“%1”不是有效的数字，不能写入“%2”").arg(excerptForMessage(text), column);
    return QStringLiteral("“%1”的内容太长（%2 个字符），最多 %3 个字符")
        .arg(column)
        .arg(refusal.characters)
        .arg(refusal.width);
}

} // namespace

Dataset::Dataset(Connection& connection, const Statement& initial, const QString& argument)
    : m_connection(connection), m_statement(initial), m_argument(argument)
{
    m_connection.attach(this);
}

Dataset::~Dataset()
{
    m_rowQuery.reset();
    m_connection.detach(this);
}

void Dataset::setStatement(const Statement& statement, const QString& argument)
{
    close();
    m_statement = statement;
    m_argument = argument;
    m_columnsLoaded = false;
}

void Dataset::requery(const Statement& statement, const QString& argument)
{
    setStatement(statement, argument);
    open();
}

void Dataset::open()
{
    if (m_open)
        return;
    if (!m_connection.isOpen())
        m_connection.open();
    loadColumns();
    Query bound(m_connection.database(), QStringLiteral("SELECT max(rowid) FROM %1").arg(quoted(m_statement.table)),
                QStringLiteral("打开“%1”").arg(text()));
    bound.runToFirstRow();
    m_maxRowidAtOpen = bound.value(0).toLongLong();
    m_rowids.clear();
    m_snapshotTaken = false;
    m_lazyCurrent = -1;
    m_index = 0;
    m_eof = false;
    m_mode = Mode::Browse;
    m_pending.clear();
    invalidateCache();
    m_paging = {};
    m_totalsDisagree = false;
    m_open = true;
    emit reset();
}

void Dataset::close()
{
    const bool wasOpen = m_open;
    closeQuietly();
    if (wasOpen)
        emit reset();
}

void Dataset::closeQuietly()
{
    m_open = false;
    m_rowQuery.reset();
    m_rowids.clear();
    m_rowids.shrink_to_fit();
    m_snapshotTaken = false;
    m_lazyCurrent = -1;
    m_mode = Mode::Browse;
    m_pending.clear();
    invalidateCache();
    m_paging = {};
}

void Dataset::requireOpen() const
{
    if (!m_open)
        throw Error(QStringLiteral("“%1”未打开").arg(text()));
}

void Dataset::loadColumns()
{
    if (m_columnsLoaded)
        return;
    Query info(m_connection.database(), QStringLiteral("PRAGMA table_info(%1)").arg(quoted(m_statement.table)),
               QStringLiteral("打开“%1”").arg(text()));
    info.run();
    m_columns.clear();
    while (info.next()) {
        ColumnInfo column;
        column.name = info.value(1).toString();
        const QString type = info.value(2).toString().toUpper();
        column.isNumber = type == QLatin1String("REAL") || type.startsWith(QLatin1String("INT"));
        if (m_statement.distinctColumn.isEmpty() || column.name == m_statement.distinctColumn)
            m_columns.push_back(column);
    }
    if (m_columns.empty())
        throw Error(QStringLiteral("数据库中没有表 %1").arg(m_statement.table));
    if (m_statement.distinctColumn.isEmpty()) {
        for (const ComputedColumn& computed : computedColumns(m_statement.table))
            m_columns.push_back({computed.name, false, computed.expression});
    }
    m_columnsLoaded = true;
}

QString Dataset::filterSql() const
{
    switch (m_statement.match) {
    case Statement::Match::Contains:
        // instr is a literal, case-sensitive "contains": quotes, % and _ mean themselves.
        return QStringLiteral(" AND instr(%1, ?) > 0").arg(quoted(m_statement.filterColumn));
    case Statement::Match::Equals:
        return QStringLiteral(" AND %1 = ?").arg(quoted(m_statement.filterColumn));
    case Statement::Match::None:
        break;
    }
    return {};
}

QString Dataset::orderSql() const
{
    if (m_statement.orderColumn.isEmpty())
        return {};
    return QStringLiteral(" ORDER BY %1, rowid").arg(quoted(m_statement.orderColumn));
}

// A query over the statement's rows as they were at opening (rows added since are left out),
// bound and ready to run; `doing` is the verb its failure is reported with.
Query Dataset::overSnapshot(const QString& columns, const QString& tail, const QString& doing)
{
    const QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE rowid <= ?").arg(columns, quoted(m_statement.table)) +
                        filterSql() + tail;
    Query query(m_connection.database(), sql, QStringLiteral("%1“%2”").arg(doing, text()));
    query.bind(m_maxRowidAtOpen);
    if (m_statement.match != Statement::Match::None)
        query.bind(m_argument);
    return query;
}

QString Dataset::selectColumnsSql() const
{
    QStringList names;
    for (const ColumnInfo& column : m_columns)
        names << (column.expression.isEmpty() ? quoted(column.name)
                                              : QStringLiteral("(%1) AS %2").arg(column.expression, quoted(column.name)));
    return names.join(QLatin1String(", "));
}

void Dataset::ensureSnapshot()
{
    if (m_snapshotTaken)
        return;
    requireOpen();
    m_paging = {};
    // A row posted before the list was read is looked for in the whole list.
    if (m_lazyCurrent < 0 && startFromTotals()) {
        m_snapshotTaken = true;
        m_index = 0;
        m_eof = m_paging.count == 0;
        return;
    }
    const bool distinct = !m_statement.distinctColumn.isEmpty();
    const QString tail = distinct ? QStringLiteral(" GROUP BY %1").arg(quoted(m_statement.distinctColumn)) : orderSql();
    Query query =
        overSnapshot(distinct ? QStringLiteral("min(rowid)") : QStringLiteral("rowid"), tail, QStringLiteral("打开"));
    query.run();
    std::vector<qint64> rowids;
    while (query.next())
        rowids.push_back(query.value(0).toLongLong());
    m_rowids = std::move(rowids);
    m_snapshotTaken = true;
    m_index = 0;
    if (m_lazyCurrent >= 0) {
        const auto it = std::find(m_rowids.begin(), m_rowids.end(), m_lazyCurrent);
        if (it != m_rowids.end())
            m_index = static_cast<int>(it - m_rowids.begin());
        m_lazyCurrent = -1;
    }
    m_eof = m_rowids.empty();
}

bool Dataset::startFromTotals()
{
    if (m_totalsDisagree)
        return false;
    const std::optional<ListTotals> totals = listTotals(m_connection, m_statement, m_argument, m_maxRowidAtOpen);
    if (!totals)
        return false;
    m_rowids.clear();
    m_paging.complete = false;
    m_paging.count = totals->count;
    m_sums = totals->sums;
    if (totals->cashiers) {
        m_paging.byName = true;
        for (const QString& name : *totals->cashiers) {
            NameCursor cursor;
            cursor.name = name;
            m_paging.names.push_back(std::move(cursor));
        }
    }
    return true;
}

void Dataset::ensureRead(std::size_t index)
{
    while (!m_paging.complete && m_rowids.size() <= index)
        readMore();
}

void Dataset::ensureComplete()
{
    while (!m_paging.complete)
        readMore();
}

// Chunks grow with what was read, so reading to the end of millions of rows takes a few dozen.
void Dataset::readMore()
{
    constexpr int FirstRows = 256;
    constexpr int MostRows = 65536;
    const int wanted = std::clamp(static_cast<int>(m_rowids.size()), FirstRows, MostRows);
    const std::vector<qint64> more = m_paging.byName ? nextByName(wanted) : nextInOrder(wanted);
    m_rowids.insert(m_rowids.end(), more.begin(), more.end());
    if (static_cast<int>(more.size()) == wanted)
        return;
    m_paging.complete = true;
    // The rows, not the totals, are the list: its sums are then taken from the rows too.
    if (static_cast<qint64>(m_rowids.size()) != m_paging.count) {
        m_totalsDisagree = true;
        m_sums.clear();
        emit totalsDisagreed();
    }
}

// "+rowid" keeps the snapshot's bound from being taken for the way through the table: the order
// column's index (or the filter's) is the way.
std::vector<qint64> Dataset::nextInOrder(int wanted)
{
    const QString table = quoted(m_statement.table);
    const QString order = m_statement.orderColumn.isEmpty() ? QString() : quoted(m_statement.orderColumn);
    std::vector<qint64> rows;
    while (static_cast<int>(rows.size()) < wanted) {
        const int limit = wanted - static_cast<int>(rows.size());
        QString sql = order.isEmpty()
                          ? QStringLiteral("SELECT rowid FROM %1 WHERE rowid <= ?").arg(table)
                          : QStringLiteral("SELECT rowid, %1 FROM %2 WHERE +rowid <= ?").arg(order, table);
        sql += filterSql();
        QVariantList after;
        const bool nulls = !order.isEmpty() && !m_paging.pastNulls;
        if (order.isEmpty()) {
            sql += QStringLiteral(" AND rowid > ? ORDER BY rowid");
            after << m_paging.lastRowid;
        } else if (nulls) {
            sql += QStringLiteral(" AND %1 IS NULL AND +rowid > ? ORDER BY %1, rowid").arg(order);
            after << m_paging.lastRowid;
        } else if (!m_paging.lastValue.isValid()) {
            sql += QStringLiteral(" AND %1 IS NOT NULL ORDER BY %1, rowid").arg(order);
        } else {
            sql += QStringLiteral(" AND %1 >= ? AND (%1 > ? OR +rowid > ?) ORDER BY %1, rowid").arg(order);
            after << m_paging.lastValue << m_paging.lastValue << m_paging.lastRowid;
        }
        Query query(m_connection.database(), sql + QStringLiteral(" LIMIT ?"), QStringLiteral("读取“%1”").arg(text()));
        query.bind(m_maxRowidAtOpen);
        if (m_statement.match != Statement::Match::None)
            query.bind(m_argument);
        for (const QVariant& value : after)
            query.bind(value);
        query.bind(limit);
        query.run();
        int got = 0;
        while (query.next()) {
            rows.push_back(query.value(0).toLongLong());
            m_paging.lastRowid = rows.back();
            if (!nulls && !order.isEmpty())
                m_paging.lastValue = query.value(1);
            ++got;
        }
        query.requireNoError();
        if (got == limit || !nulls)
            break;
        m_paging.pastNulls = true;
        m_paging.lastRowid = 0;
        m_paging.lastValue = QVariant();
    }
    return rows;
}

// The matching names' rows, merged by rowid: the order the whole table's scan gives.
std::vector<qint64> Dataset::nextByName(int wanted)
{
    std::vector<qint64> rows;
    while (static_cast<int>(rows.size()) < wanted) {
        NameCursor* lowest = nullptr;
        for (NameCursor& cursor : m_paging.names) {
            if (cursor.next == cursor.waiting.size() && !cursor.done)
                refill(cursor, wanted);
            if (cursor.next < cursor.waiting.size() &&
                (!lowest || cursor.waiting[cursor.next] < lowest->waiting[lowest->next]))
                lowest = &cursor;
        }
        if (!lowest)
            break;
        rows.push_back(lowest->waiting[lowest->next++]);
    }
    return rows;
}

void Dataset::refill(NameCursor& cursor, int wanted)
{
    Query query(m_connection.database(),
                QStringLiteral("SELECT rowid FROM %1 WHERE +rowid <= ? AND %2 = ? AND +rowid > ? ORDER BY %2, rowid LIMIT ?")
                    .arg(quoted(m_statement.table), quoted(m_statement.filterColumn)),
                QStringLiteral("读取“%1”").arg(text()));
    query.bind(m_maxRowidAtOpen).bind(cursor.name).bind(cursor.after).bind(wanted);
    query.run();
    cursor.waiting.clear();
    cursor.next = 0;
    while (query.next())
        cursor.waiting.push_back(query.value(0).toLongLong());
    query.requireNoError();
    if (!cursor.waiting.empty())
        cursor.after = cursor.waiting.back();
    cursor.done = static_cast<int>(cursor.waiting.size()) < wanted;
}

int Dataset::recordCount()
{
    if (!m_open)
        return 0;
    ensureSnapshot();
    return static_cast<int>(m_paging.complete ? static_cast<qint64>(m_rowids.size()) : m_paging.count);
}

int Dataset::recordNumber()
{
    return recordCount() == 0 ? 0 : m_index + 1;
}

void Dataset::setCurrentIndex(int index, bool eof)
{
    const int before = m_index;
    m_index = index;
    m_eof = eof;
    if (before != index)
        emit currentChanged(index + 1);
}

void Dataset::first()
{
    const int count = recordCount();
    setCurrentIndex(0, count == 0);
}

void Dataset::next()
{
    const int count = recordCount();
    if (m_index + 1 < count)
        setCurrentIndex(m_index + 1);
    else
        m_eof = true;
}

void Dataset::last()
{
    const int count = recordCount();
    setCurrentIndex(std::max(0, count - 1), count == 0);
}

void Dataset::moveTo(int recordNumber)
{
    const int count = recordCount();
    if (count == 0)
        return;
    setCurrentIndex(std::clamp(recordNumber, 1, count) - 1);
}

bool Dataset::eof()
{
    if (!m_open)
        return true;
    return m_eof || recordCount() == 0;
}

QStringList Dataset::columnNames()
{
    requireOpen();
    QStringList names;
    for (const ColumnInfo& column : m_columns)
        names << column.name;
    return names;
}

const Dataset::ColumnInfo& Dataset::columnInfo(const QString& column)
{
    requireOpen();
    for (const ColumnInfo& info : m_columns)
        if (info.name == column)
            return info;
    throw Error(QStringLiteral("“%1”中没有列“%2”").arg(text(), column));
}

bool Dataset::isNumberColumn(const QString& column)
{
    return columnInfo(column).isNumber;
}

int Dataset::recordNumberOfRow(qint64 rowId)
{
    if (!m_open || rowId < 0)
        return 0;
    ensureSnapshot();
    ensureComplete();
    const auto it = std::find(m_rowids.begin(), m_rowids.end(), rowId);
    return it == m_rowids.end() ? 0 : static_cast<int>(it - m_rowids.begin()) + 1;
}

qint64 Dataset::currentRowid()
{
    if (!m_snapshotTaken && m_lazyCurrent >= 0)
        return m_lazyCurrent;
    ensureSnapshot();
    ensureRead(static_cast<std::size_t>(m_index));
    if (m_rowids.empty())
        return -1;
    // Rows gone from under the list since the totals counted it.
    m_index = std::min(m_index, static_cast<int>(m_rowids.size()) - 1);
    return m_rowids[static_cast<std::size_t>(m_index)];
}

QStringList Dataset::readRow(qint64 rowid)
{
    if (rowid == m_cachedRowid)
        return m_cachedRow;
    if (!m_rowQuery) {
        const QString sql =
            QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(selectColumnsSql(), quoted(m_statement.table));
        m_rowQuery = std::make_unique<Query>(m_connection.database(), sql, QStringLiteral("读取“%1”").arg(text()));
    }
    m_rowQuery->bind(rowid).run();
    QStringList values;
    const bool found = m_rowQuery->next();
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        const QVariant value = found ? m_rowQuery->value(static_cast<int>(i)) : QVariant();
        values << (m_columns[i].isNumber ? numberText(value) : value.toString());
    }
    m_rowQuery->finish();
    m_cachedRowid = rowid;
    m_cachedRow = values;
    return values;
}

QString Dataset::field(const QString& column)
{
    if (!m_open)
        return {};
    const ColumnInfo& info = columnInfo(column);
    const qint64 rowid = currentRowid();
    if (rowid < 0)
        return {};
    const QStringList values = readRow(rowid);
    for (std::size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].name == info.name)
            return values[static_cast<int>(i)];
    return {};
}

QStringList Dataset::rowTexts(int recordIndex)
{
    if (recordIndex < 0 || recordIndex >= recordCount())
        return {};
    ensureRead(static_cast<std::size_t>(recordIndex));
    if (static_cast<std::size_t>(recordIndex) >= m_rowids.size())
        return {};
    return readRow(m_rowids[static_cast<std::size_t>(recordIndex)]);
}

void Dataset::forEachRow(const std::function<void(const QVariantList& values)>& visit)
{
    requireOpen();
    if (!m_statement.distinctColumn.isEmpty())
        throw Error(QStringLiteral("“%1”不能逐行导出").arg(text()));
    Query query = overSnapshot(selectColumnsSql(), orderSql(), QStringLiteral("读取"));
    query.run();
    const int columns = static_cast<int>(m_columns.size());
    QVariantList values;
    while (query.next()) {
        values.clear();
        for (int i = 0; i < columns; ++i)
            values << query.value(i);
        visit(values);
    }
    query.requireNoError();
}

double Dataset::sum(const QString& column)
{
    if (!m_open)
        return 0;
    const ColumnInfo& info = columnInfo(column);
    if (!info.isNumber)
        return 0;
    if (m_sums.isEmpty() && !m_totalsDisagree) {
        if (const std::optional<ListTotals> totals =
                listTotals(m_connection, m_statement, m_argument, m_maxRowidAtOpen))
            m_sums = totals->sums;
    }
    if (m_sums.isEmpty()) {
        QStringList totals;
        for (const ColumnInfo& c : m_columns)
            if (c.isNumber)
                totals << QStringLiteral("total(%1)").arg(quoted(c.name));
        Query query = overSnapshot(totals.join(QLatin1String(", ")), {}, QStringLiteral("合计"));
        query.runToFirstRow();
        int i = 0;
        for (const ColumnInfo& c : m_columns)
            if (c.isNumber)
                m_sums.insert(c.name, query.value(i++).toDouble());
    }
    return m_sums.value(info.name);
}

void Dataset::append()
{
    requireOpen();
    m_mode = Mode::Insert;
    m_pending.clear();
}

void Dataset::edit()
{
    requireOpen();
    // Editing an empty result inserts its first row.
    m_mode = currentRowid() < 0 ? Mode::Insert : Mode::Edit;
    m_pending.clear();
}

void Dataset::discardChange()
{
    m_mode = Mode::Browse;
    m_pending.clear();
}

void Dataset::setField(const QString& column, const QString& text)
{
    if (m_mode == Mode::Browse)
        edit();
    const ColumnInfo& info = columnInfo(column);
    if (!info.expression.isEmpty()) {
        discardChange();
        throw Error(QStringLiteral("“%1”由其他记录算出，不能修改").arg(info.name));
    }
    const CheckedValue checked = checkValue(m_statement.table, info.name, text);
    if (checked.refusal) {
        discardChange();
        throw Error(refusalMessage(*checked.refusal, info.name, text));
    }
    m_pending.insert(info.name, checked.value);
}

QString Dataset::insertSql(const QStringList& names) const
{
    const QString table = quoted(m_statement.table);
    if (names.isEmpty())
        return QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table);
    const QString places = QStringList(names.size(), QStringLiteral("?")).join(QLatin1String(", "));
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, names.join(QLatin1String(", ")), places);
}

QString Dataset::updateSql(const QStringList& names) const
{
    QStringList assignments;
    for (const QString& name : names)
        assignments << name + QStringLiteral(" = ?");
    return QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
        .arg(quoted(m_statement.table), assignments.join(QLatin1String(", ")));
}

// Writes the pending change and returns the rowid written (none for an edit that changed nothing);
// the change is gone afterwards, written or refused.
std::optional<qint64> Dataset::writePending()
{
    const auto discard = qScopeGuard([this] { discardChange(); });
    QStringList names;
    QVariantList values;
    for (const ColumnInfo& column : m_columns) {
        if (!m_pending.contains(column.name))
            continue;
        names << quoted(column.name);
        values << m_pending.value(column.name);
    }
    const bool inserting = m_mode == Mode::Insert;
    if (!inserting && names.isEmpty())
        return std::nullopt;
    const qint64 editedRowid = inserting ? -1 : currentRowid();
    m_connection.requireFileInPlace();
    Query query(m_connection.database(), inserting ? insertSql(names) : updateSql(names),
                QStringLiteral("保存到 %1").arg(m_statement.table));
    for (const QVariant& value : values)
        query.bind(value);
    if (!inserting)
        query.bind(editedRowid);
    query.run();
    return inserting ? query.lastInsertId().toLongLong() : editedRowid;
}

void Dataset::post()
{
    requireOpen();
    if (m_mode == Mode::Browse)
        return;
    const bool inserting = m_mode == Mode::Insert;
    const std::optional<qint64> rowid = writePending();
    if (!rowid)
        return;
    invalidateCache();
    m_connection.noteWrite(this);
    if (inserting)
        noteInserted(*rowid);
    else if (m_snapshotTaken)
        emit rowChanged(m_index);
}

void Dataset::noteInserted(qint64 rowid)
{
    m_maxRowidAtOpen = std::max(m_maxRowidAtOpen, rowid);
    if (!m_snapshotTaken) {
        m_lazyCurrent = rowid;
        return;
    }
    ensureComplete();
    m_rowids.push_back(rowid);
    const int index = static_cast<int>(m_rowids.size()) - 1;
    emit rowInserted(index);
    setCurrentIndex(index);
}

void Dataset::deleteCurrent()
{
    requireOpen();
    discardChange();
    ensureSnapshot();
    ensureRead(static_cast<std::size_t>(m_index));
    if (m_rowids.empty() || static_cast<std::size_t>(m_index) >= m_rowids.size())
        return;
    const qint64 rowid = m_rowids[static_cast<std::size_t>(m_index)];
    m_connection.requireFileInPlace();
    Query(m_connection.database(), QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoted(m_statement.table)),
          QStringLiteral("删除 %1 的记录").arg(m_statement.table))
        .bind(rowid)
        .run();
    invalidateCache();
    m_connection.noteWrite(this);
    const int removed = m_index;
    m_rowids.erase(m_rowids.begin() + removed);
    if (!m_paging.complete)
        --m_paging.count;
    emit rowRemoved(removed);
    const int count = recordCount();
    m_index = std::min(removed, std::max(0, count - 1));
    m_eof = count == 0;
    emit currentChanged(count == 0 ? 0 : m_index + 1);
}

} // namespace store
