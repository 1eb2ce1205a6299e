#include "legacy/LegacyImport.h"

#include "legacy/LegacyFile.h"
#include "store/Connection.h"
#include "core/Error.h"
#include "store/Passwords.h"
#include "store/Query.h"

#include <QVariant>
#include <functional>

namespace legacy {

namespace {

// The print content and settings db/schema.sql delivers.
const QStringList DeliveredPrintContent = {QStringLiteral("Quorvel便利店"), QStringLiteral("谢谢惠顾，欢迎下次光临！")};
const QStringList DeliveredPrintSettings = {QStringLiteral("58"), QStringLiteral("1"), QStringLiteral("1"),
                                            QStringLiteral("1")};
const QString AdminName = QStringLiteral("admin");

const QStringList TablesShown = {QStringLiteral("spxx"), QStringLiteral("xsxx"), QStringLiteral("dynr"),
                                 QStringLiteral("xstj"), QStringLiteral("xsmx"), QStringLiteral("id"),
                                 QStringLiteral("username")};

const QString Reading = QStringLiteral("读取本店数据");
const QString Importing = QStringLiteral("导入旧数据");

// The first row of a one-row table as texts; empty when the table has no row.
QStringList firstRow(store::Connection& connection, const QString& sql, int columns)
{
    store::Query query(connection.database(), sql, Reading);
    query.run();
    QStringList values;
    if (query.next())
        for (int i = 0; i < columns; ++i)
            values << query.value(i).toString();
    query.requireNoError();
    return values;
}

bool isDelivered(const QStringList& current, const QStringList& delivered)
{
    return current.isEmpty() || current == delivered;
}

// The old program kept Windows line breaks; this one keeps "\n" between the remark's lines.
QVariant withUnixLineBreaks(const QVariant& text)
{
    if (text.isNull())
        return text;
    QString value = text.toString();
    value.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    value.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return value;
}

qint64 maxRowId(store::Connection& connection, const QString& table)
{
    store::Query query(connection.database(), QStringLiteral("SELECT coalesce(max(rowid), 0) FROM %1").arg(table),
                       Reading);
    query.runToFirstRow();
    return query.value(0).toLongLong();
}

bool found(store::Query& query)
{
    query.run();
    const bool any = query.next();
    query.finish();
    return any;
}

} // namespace

LegacyPreview previewOf(const LegacyFile& file, store::Connection& connection)
{
    LegacyPreview preview;
    for (const QString& table : TablesShown)
        if (file.rowCount(table) >= 0)
            preview.counts.append({table, file.rowCount(table)});
    LegacyFile::Rows sales = file.rows(QStringLiteral("xstj"), {QStringLiteral("时间")});
    while (sales.next()) {
        const QString time = sales.text(0);
        if (time.isEmpty())
            continue;
        if (preview.firstSale.isEmpty() || time < preview.firstSale)
            preview.firstSale = time;
        if (time > preview.lastSale)
            preview.lastSale = time;
    }
    LegacyFile::Rows content = file.rows(QStringLiteral("dynr"), {QStringLiteral("店名")});
    if (content.next())
        preview.shopName = content.text(0);
    preview.printContentIsDelivered = isDelivered(
        firstRow(connection, QStringLiteral("SELECT 店名, 备注 FROM dynr ORDER BY rowid LIMIT 1"), 2),
        DeliveredPrintContent);
    preview.printSettingsAreDelivered = isDelivered(
        firstRow(connection, QStringLiteral("SELECT pos, print, 客户, 电话 FROM id ORDER BY rowid LIMIT 1"), 4),
        DeliveredPrintSettings);
    return preview;
}

QString describe(const ImportCounts& counts)
{
    QString text = QStringLiteral("导入商品 %1 种、用户 %2 个、销售 %3 单（明细 %4 行）")
                       .arg(counts.goods)
                       .arg(counts.users)
                       .arg(counts.sales)
                       .arg(counts.lines);
    QStringList also;
    if (counts.printContent)
        also << QStringLiteral("打印内容");
    if (counts.printSettings)
        also << QStringLiteral("打印设置");
    if (!also.isEmpty())
        text += QStringLiteral("，并导入了") + also.join(QStringLiteral("和"));
    return text;
}

struct LegacyImport::Statements
{
    explicit Statements(const QSqlDatabase& db)
        : goodsNamed(db, QStringLiteral("SELECT 1 FROM spxx WHERE 品名 IS ? LIMIT 1"), Importing),
          addGoods(db, QStringLiteral("INSERT INTO spxx (品名, 单价) VALUES (?, ?)"), QStringLiteral("保存到 spxx")),
          userNamed(db, QStringLiteral("SELECT 1 FROM username WHERE 用户名 IS ? LIMIT 1"), Importing),
          addUser(db, QStringLiteral("INSERT INTO username (用户名, 密码, 权限) VALUES (?, ?, ?)"),
                  QStringLiteral("保存到 username")),
          saleBefore(db, QStringLiteral("SELECT 1 FROM xstj WHERE 单号 IS ? AND 时间 IS ? AND rowid <= ? LIMIT 1"),
                     Importing),
          lineBefore(db, QStringLiteral("SELECT 1 FROM xsmx WHERE 单号 IS ? AND 时间 IS ? AND rowid <= ? LIMIT 1"),
                     Importing),
          addSale(db, QStringLiteral("INSERT INTO xstj (单号, 时间, 数量, 金额, 折后, 收银员) VALUES (?, ?, ?, ?, ?, ?)"),
                  QStringLiteral("保存到 xstj")),
          addLine(db,
                  QStringLiteral("INSERT INTO xsmx (单号, 时间, 客户, 电话, 品名, 单价, 数量, 金额, 折后) "
                                 "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                  QStringLiteral("保存到 xsmx"))
    {
    }

    store::Query goodsNamed;
    store::Query addGoods;
    store::Query userNamed;
    store::Query addUser;
    store::Query saleBefore;
    store::Query lineBefore;
    store::Query addSale;
    store::Query addLine;
    qint64 salesBefore = 0; // the history's last rowids before the import: what was already present
    qint64 linesBefore = 0;
};

// One table of the old file, read row by row and taken in by `take`.
class LegacyImport::Phase
{
public:
    Phase(QString table, QStringList columns, std::function<void(const LegacyFile::Rows&)> take)
        : table(std::move(table)), columns(std::move(columns)), take(std::move(take))
    {
    }

    QString table;
    QStringList columns;
    std::function<void(const LegacyFile::Rows&)> take;
    std::optional<LegacyFile::Rows> rows;
};

LegacyImport::LegacyImport(const LegacyFile& file, store::Connection& connection, ImportChoices choices)
    : m_file(file), m_connection(connection), m_choices(choices)
{
    if (!m_connection.isOpen())
        m_connection.open();
    m_transaction = std::make_unique<store::Transaction>(m_connection);
    m_statements = std::make_unique<Statements>(m_connection.database());
    Statements& s = *m_statements;
    s.salesBefore = maxRowId(m_connection, QStringLiteral("xstj"));
    s.linesBefore = maxRowId(m_connection, QStringLiteral("xsmx"));

    m_phases.push_back(std::make_unique<Phase>(
        QStringLiteral("spxx"), QStringList{QStringLiteral("品名"), QStringLiteral("单价")},
        [this, &s](const LegacyFile::Rows& row) {
            s.goodsNamed.bind(row.value(0));
            if (found(s.goodsNamed))
                return;
            s.addGoods.bind(row.value(0)).bind(row.value(1)).run();
            ++m_counts.goods;
        }));
    m_phases.push_back(std::make_unique<Phase>(
        QStringLiteral("username"),
        QStringList{QStringLiteral("用户名"), QStringLiteral("密码"), QStringLiteral("权限")},
        [this, &s](const LegacyFile::Rows& row) {
            const QString name = row.text(0);
            if (name.isEmpty() || name == AdminName)
                return;
            // The old login took the first row of a name; later rows of it stay behind.
            s.userNamed.bind(name);
            if (found(s.userNamed))
                return;
            s.addUser.bind(name).bind(store::hashPassword(row.text(1))).bind(row.value(2)).run();
            ++m_counts.users;
        }));
    if (m_choices.printContent)
        m_phases.push_back(std::make_unique<Phase>(
            QStringLiteral("dynr"), QStringList{QStringLiteral("店名"), QStringLiteral("备注")},
            [this](const LegacyFile::Rows& row) {
                if (m_counts.printContent)
                    return;
                replaceFirstRow(QStringLiteral("dynr"), {QStringLiteral("店名"), QStringLiteral("备注")},
                                {row.value(0), withUnixLineBreaks(row.value(1))});
                m_counts.printContent = true;
            }));
    if (m_choices.printSettings)
        m_phases.push_back(std::make_unique<Phase>(
            QStringLiteral("id"),
            QStringList{QStringLiteral("pos"), QStringLiteral("print"), QStringLiteral("客户"), QStringLiteral("电话")},
            [this](const LegacyFile::Rows& row) {
                if (m_counts.printSettings)
                    return;
                replaceFirstRow(QStringLiteral("id"),
                                {QStringLiteral("pos"), QStringLiteral("print"), QStringLiteral("客户"),
                                 QStringLiteral("电话")},
                                {row.value(0), row.value(1), row.value(2), row.value(3)});
                m_counts.printSettings = true;
            }));
    m_phases.push_back(std::make_unique<Phase>(
        QStringLiteral("xstj"),
        QStringList{QStringLiteral("单号"), QStringLiteral("时间"), QStringLiteral("数量"), QStringLiteral("金额"),
                    QStringLiteral("折后"), QStringLiteral("收银员")},
        [this, &s](const LegacyFile::Rows& row) {
            s.saleBefore.bind(row.value(0)).bind(row.value(1)).bind(s.salesBefore);
            if (found(s.saleBefore))
                return;
            for (int i = 0; i < 6; ++i)
                s.addSale.bind(row.value(i));
            s.addSale.run();
            ++m_counts.sales;
        }));
    m_phases.push_back(std::make_unique<Phase>(
        QStringLiteral("xsmx"),
        QStringList{QStringLiteral("单号"), QStringLiteral("时间"), QStringLiteral("客户"), QStringLiteral("电话"),
                    QStringLiteral("品名"), QStringLiteral("单价"), QStringLiteral("数量"), QStringLiteral("金额"),
                    QStringLiteral("折后")},
        [this, &s](const LegacyFile::Rows& row) {
            // A line is already here when its sale was, or when lines of that sale were (the
            // statistics window may have cleared a kept sale's lines: they stay cleared).
            s.saleBefore.bind(row.value(0)).bind(row.value(1)).bind(s.salesBefore);
            if (found(s.saleBefore))
                return;
            s.lineBefore.bind(row.value(0)).bind(row.value(1)).bind(s.linesBefore);
            if (found(s.lineBefore))
                return;
            for (int i = 0; i < 9; ++i)
                s.addLine.bind(row.value(i));
            s.addLine.run();
            ++m_counts.lines;
        }));
    for (const auto& phase : m_phases)
        m_total += std::max(0, m_file.rowCount(phase->table));
}

LegacyImport::~LegacyImport()
{
    // Statements go before the transaction rolls back, so none holds the connection's tables.
    m_statements.reset();
    m_transaction.reset();
}

void LegacyImport::replaceFirstRow(const QString& table, const QStringList& columns, const QVariantList& values)
{
    QStringList assignments;
    for (const QString& column : columns)
        assignments << column + QStringLiteral(" = ?");
    const QString doing = QStringLiteral("保存到 %1").arg(table);
    QSqlDatabase db = m_connection.database();
    const bool hasRow = !firstRow(m_connection, QStringLiteral("SELECT 1 FROM %1 LIMIT 1").arg(table), 1).isEmpty();
    const QString sql =
        hasRow ? QStringLiteral("UPDATE %1 SET %2 WHERE rowid = (SELECT min(rowid) FROM %1)")
                     .arg(table, assignments.join(QStringLiteral(", ")))
               : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                     .arg(table, columns.join(QStringLiteral(", ")),
                          QStringList(columns.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
    store::Query query(db, sql, doing);
    for (const QVariant& value : values)
        query.bind(value);
    query.run();
}

bool LegacyImport::step(std::chrono::milliseconds budget)
{
    QElapsedTimer clock;
    clock.start();
    while (m_phase < m_phases.size()) {
        if (!runPhase(*m_phases[m_phase], clock, budget))
            return true;
        ++m_phase;
    }
    return false;
}

bool LegacyImport::runPhase(Phase& phase, const QElapsedTimer& clock, std::chrono::milliseconds budget)
{
    if (!phase.rows)
        phase.rows.emplace(m_file.rows(phase.table, phase.columns));
    LegacyFile::Rows& rows = *phase.rows;
    int sinceLook = 0;
    while (rows.next()) {
        try {
            phase.take(rows);
        } catch (const store::Error& error) {
            throw store::Error(QStringLiteral("旧数据表 %1 第 %2 行无法导入：%3")
                                   .arg(phase.table)
                                   .arg(rows.rowNumber())
                                   .arg(error.message()));
        }
        ++m_done;
        // Reading the clock is cheap, but not free at 400,000 rows.
        if (++sinceLook == 64) {
            sinceLook = 0;
            if (clock.elapsed() >= budget.count())
                return false;
        }
    }
    return true;
}

ImportCounts LegacyImport::commit()
{
    m_statements.reset();
    m_transaction->commit();
    return m_counts;
}

} // namespace legacy
