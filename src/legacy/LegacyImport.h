#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>
#include <chrono>
#include <memory>
#include <optional>

namespace store {
class Connection;
class Query;
class Transaction;
} // namespace store

namespace legacy {

class LegacyFile;

// What the preview shows of an old file before anything is imported.
struct LegacyPreview
{
    QList<QPair<QString, int>> counts; // table and its rows, in the old program's order
    QString firstSale;                 // 时间 of the earliest and latest sale; empty without sales
    QString lastSale;
    QString shopName;
    // Whether this shop still has the print content and settings as delivered: then the old
    // file's come in without asking.
    bool printContentIsDelivered = false;
    bool printSettingsAreDelivered = false;
};
LegacyPreview previewOf(const LegacyFile& file, store::Connection& connection);

struct ImportChoices
{
    bool printContent = false; // take the old 店名 and 备注
    bool printSettings = false; // take the old width, copies and switches
};

struct ImportCounts
{
    int goods = 0; // new goods items
    int users = 0; // new accounts
    int sales = 0;
    int lines = 0;
    bool printContent = false;
    bool printSettings = false;
};
// "导入商品 12 种、用户 3 个、销售 100000 单（明细 300000 行）"
QString describe(const ImportCounts& counts);

// Brings an old file's goods, users, print content and settings and its sales history into
// data.mdb, in one transaction on the given connection that begins at construction. The work is
// done in slices by step(), so a window can repaint and answer between them. Nothing is kept
// unless commit() runs: destroying it before rolls everything back.
//
// Goods merge by name (an existing item keeps its price); users come in under new names only,
// their old plain-text passwords hashed, and admin never twice; a sale already present (the same
// 单号 and 时间) is skipped with its lines, so a second import adds nothing. The unprinted lines
// of the old xsxx are not taken.
class LegacyImport
{
public:
    LegacyImport(const LegacyFile& file, store::Connection& connection, ImportChoices choices);
    ~LegacyImport();
    LegacyImport(const LegacyImport&) = delete;
    LegacyImport& operator=(const LegacyImport&) = delete;

    // Works for about the given time; false once everything is read. Throws store::Error naming
    // the table and row that could not be taken; the import is then to be dropped.
    bool step(std::chrono::milliseconds budget);
    qint64 done() const { return m_done; }
    qint64 total() const { return m_total; }
    ImportCounts counts() const { return m_counts; }
    ImportCounts commit();

private:
    struct Statements;
    class Phase;
    bool runPhase(Phase& phase, const QElapsedTimer& clock, std::chrono::milliseconds budget);
    void replaceFirstRow(const QString& table, const QStringList& columns, const QVariantList& values);

    const LegacyFile& m_file;
    store::Connection& m_connection;
    ImportChoices m_choices;
    std::unique_ptr<store::Transaction> m_transaction;
    std::unique_ptr<Statements> m_statements;
    std::vector<std::unique_ptr<Phase>> m_phases;
    size_t m_phase = 0;
    qint64 m_done = 0;
    qint64 m_total = 0;
    ImportCounts m_counts;
};

} // namespace legacy
