#include "core/Error.h"
#include "store/Catalogue.h"
#include "store/Connection.h"
#include "store/Dataset.h"
#include "support/TestDatabase.h"

#include <QFile>
#include <QtTest>

using namespace store;
using testsupport::TestDatabase;

class TestStoreDataset : public QObject
{
    Q_OBJECT

private slots:
    void opensOnFirstRowInAppendOrder();
    void readsNumbersAndNullsAsText();
    void refusesBadValuesAndStoresNothing_data();
    void refusesBadValuesAndStoresNothing();
    void keepsTextExactly_data();
    void keepsTextExactly();
    void editOnEmptyResultInserts();
    void deletePositionsOnFollowingOrLastRow();
    void snapshotIgnoresOtherConnectionsUntilReopened();
    void containsSearchMatchesLiterally_data();
    void containsSearchMatchesLiterally();
    void equalsSearchIsExact();
    void distinctGivesEachValueOnce();
    void orderedByTime();
    void appendOnlyDatasetNeverReadsTheTable();
    void sumsFollowTheStatement();
    void countedListsReadInTheStatementsOrder();
    void connectionCloseClosesDatasets();
    void missingFileRefusedWithoutCreatingIt();
    void wrongSchemaNamesWhatIsMissing();
    void transactionRollsBackUnlessCommitted();
    void writesRefusedOnceTheFileIsGone();
    void columnWidthsMatchTheSchema();
    void forEachRowStreamsTheListInOrder();
};

void TestStoreDataset::opensOnFirstRowInAppendOrder()
{
    TestDatabase db;
    db.exec("INSERT INTO spxx (品名, 单价) VALUES ('青苹果', 3), ('苹果', 2.5), ('梨', 4)");
    Connection c("test");
    Dataset goods(c, sql::SelectSpxx);
    goods.open();
    QCOMPARE(goods.recordCount(), 3);
    QCOMPARE(goods.recordNumber(), 1);
    QStringList names;
    for (goods.first(); !goods.eof(); goods.next())
        names << goods.field("品名");
    QCOMPARE(names, QStringList({"青苹果", "苹果", "梨"}));
    QCOMPARE(goods.columnNames(), QStringList({"品名", "单价", "条码"}));
    // Past the end the last row stays current.
    QCOMPARE(goods.recordNumber(), 3);
}

void TestStoreDataset::readsNumbersAndNullsAsText()
{
    TestDatabase db;
    db.exec("INSERT INTO xsmx (单号, 单价, 数量, 金额) VALUES ('1', 12.5, 3, NULL)");
    Connection c("test");
    Dataset lines(c, sql::SelectXsmx);
    lines.open();
    QCOMPARE(lines.field("单价"), QString("12.5"));
    QCOMPARE(lines.field("数量"), QString("3"));
    QCOMPARE(lines.field("金额"), QString());
    QCOMPARE(lines.field("客户"), QString());
    QVERIFY_THROWS_EXCEPTION(Error, lines.field("没有这列"));
}

void TestStoreDataset::refusesBadValuesAndStoresNothing_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("text");
    QTest::newRow("lone point into a number") << "单价"
                                              << ".";
    QTest::newRow("letters into a number") << "单价"
                                           << "abc";
    QTest::newRow("too long a name") << "品名" << QString(256, QChar(u'长'));
    QTest::newRow("beyond a double") << "单价" << QString(400, QChar(u'9'));
    QTest::newRow("256 emoji") << "品名" << QString("🍎").repeated(256);
}

void TestStoreDataset::refusesBadValuesAndStoresNothing()
{
    QFETCH(QString, column);
    QFETCH(QString, text);
    TestDatabase db;
    Connection c("test");
    Dataset goods(c, sql::SelectSpxx);
    goods.open();
    goods.append();
    goods.setField("品名", "苹果");
    try {
        goods.setField(column, text);
        QFAIL("bad value accepted");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(column) || e.message().contains(text), qPrintable(e.message()));
    }
    // The half-written row is discarded: a later post stores nothing.
    goods.post();
    QCOMPARE(db.scalar("SELECT count(*) FROM spxx"), QString("0"));
}

void TestStoreDataset::keepsTextExactly_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("quotes") << "他说\"好\"'的'";
    QTest::newRow("wildcards") << "100%_\\";
    QTest::newRow("line breaks") << "第一行\r\n第二行\n";
    QTest::newRow("emoji") << "🍎苹果🍐";
    QTest::newRow("right-to-left mark") << "\u200Fabc";
    QTest::newRow("blanks only") << "   ";
    QTest::newRow("exactly 255") << QString(255, QChar(u'字'));
    QTest::newRow("255 emoji") << QString("🍎").repeated(255);
}

void TestStoreDataset::keepsTextExactly()
{
    QFETCH(QString, text);
    TestDatabase db;
    Connection c("test");
    Dataset print(c, sql::SelectDynr);
    print.open();
    print.edit();
    print.setField("备注", text);
    print.post();
    Connection other("other");
    Dataset reread(other, sql::SelectDynr);
    reread.open();
    QCOMPARE(reread.field("备注"), text);
}

void TestStoreDataset::editOnEmptyResultInserts()
{
    TestDatabase db;
    db.exec("DELETE FROM id");
    Connection c("test");
    Dataset settings(c, sql::SelectId);
    settings.open();
    QCOMPARE(settings.field("pos"), QString());
    settings.edit();
    settings.setField("客户", "0");
    settings.post();
    settings.edit();
    settings.setField("电话", "0");
    settings.post();
    QCOMPARE(db.rows("SELECT pos, 客户, 电话 FROM id"), QStringList({"|0|0"}));
}

void TestStoreDataset::deletePositionsOnFollowingOrLastRow()
{
    TestDatabase db;
    db.exec("INSERT INTO xsxx (品名) VALUES ('a'), ('b'), ('c')");
    Connection c("test");
    Dataset sale(c, sql::SelectXsxx);
    sale.open();
    sale.moveTo(2);
    sale.deleteCurrent();
    QCOMPARE(sale.field("品名"), QString("c"));
    sale.deleteCurrent();
    QCOMPARE(sale.field("品名"), QString("a"));
    QCOMPARE(sale.recordNumber(), 1);
    sale.deleteCurrent();
    QVERIFY(sale.eof());
    QCOMPARE(sale.recordCount(), 0);
    sale.deleteCurrent(); // nothing left: nothing happens
    QCOMPARE(db.scalar("SELECT count(*) FROM xsxx"), QString("0"));
}

void TestStoreDataset::snapshotIgnoresOtherConnectionsUntilReopened()
{
    TestDatabase db;
    db.exec("INSERT INTO spxx (品名, 单价) VALUES ('a', 1)");
    Connection mine("mine");
    Connection theirs("theirs");
    Dataset view(mine, sql::SelectSpxx);
    view.open();
    Dataset writer(theirs, sql::SelectSpxx);
    writer.open();
    writer.append();
    writer.setField("品名", "b");
    writer.post();
    QCOMPARE(view.recordCount(), 1);
    view.requery(sql::SelectSpxx);
    QCOMPARE(view.recordCount(), 2);
    // The dataset's own append is part of its snapshot at once.
    view.append();
    view.setField("品名", "c");
    view.post();
    QCOMPARE(view.recordCount(), 3);
    QCOMPARE(view.field("品名"), QString("c"));
}

void TestStoreDataset::containsSearchMatchesLiterally_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("matches");
    QTest::newRow("digit anywhere") << "1" << QStringList({"a1", "b\"1", "100%", "1_2"});
    QTest::newRow("percent is literal") << "%" << QStringList({"100%"});
    QTest::newRow("underscore is literal") << "_" << QStringList({"1_2"});
    QTest::newRow("double quote") << "\"" << QStringList({"b\"1"});
    QTest::newRow("single quote") << "'" << QStringList({"c'"});
    QTest::newRow("backslash") << "\\" << QStringList({"d\\"});
    QTest::newRow("empty matches every non-null") << "" << QStringList({"a1", "b\"1", "100%", "1_2", "c'", "d\\", "A"});
    QTest::newRow("case-sensitive") << "a" << QStringList({"a1"});
}

void TestStoreDataset::containsSearchMatchesLiterally()
{
    QFETCH(QString, pattern);
    QFETCH(QStringList, matches);
    TestDatabase db;
    db.exec("INSERT INTO xstj (收银员) VALUES ('a1'), ('b\"1'), ('100%'), ('1_2'), ('c'''), ('d\\'), ('A'), (NULL)");
    Connection c("test");
    Dataset sales(c, sql::XstjByCashier, pattern);
    sales.open();
    QStringList found;
    for (sales.first(); !sales.eof(); sales.next())
        found << sales.field("收银员");
    QCOMPARE(found, matches);
}

void TestStoreDataset::equalsSearchIsExact()
{
    TestDatabase db;
    db.exec("DELETE FROM username; INSERT INTO username VALUES ('admin2', 'x', '普通用户'), ('admin', '', '管理员')");
    Connection c("test");
    Dataset user(c, sql::UserByName, "admin");
    user.open();
    QCOMPARE(user.recordCount(), 1);
    QCOMPARE(user.field("权限"), QString("管理员"));
}

void TestStoreDataset::distinctGivesEachValueOnce()
{
    TestDatabase db;
    db.exec("INSERT INTO username VALUES ('张三', '', '普通用户'), ('张三', '', '普通用户'), (NULL, '', '')");
    Connection c("test");
    Dataset names(c, sql::DistinctUserNames);
    names.open();
    QStringList found;
    for (names.first(); !names.eof(); names.next())
        found << names.field("用户名");
    found.sort();
    QCOMPARE(found, QStringList({"", "admin", "张三"}));
    QCOMPARE(names.columnNames(), QStringList({"用户名"}));
}

void TestStoreDataset::orderedByTime()
{
    TestDatabase db;
    db.exec("INSERT INTO xstj (单号, 时间) VALUES ('3', '2026-12-09 10:00:00'), ('1', '2025-01-01 08:00:00'), "
            "('2', '2026-01-01 08:00:00')");
    Connection c("test");
    Dataset sales(c, sql::XstjByTime);
    sales.open();
    QStringList order;
    for (sales.first(); !sales.eof(); sales.next())
        order << sales.field("单号");
    QCOMPARE(order, QStringList({"1", "2", "3"}));
}

void TestStoreDataset::appendOnlyDatasetNeverReadsTheTable()
{
    TestDatabase db;
    db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 50000) "
            "INSERT INTO xstj (单号) SELECT printf('%014d', i) FROM n");
    Connection c("test");
    Dataset history(c, sql::SelectXstj);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 20; ++i)
        history.requery(sql::SelectXstj);
    history.append();
    history.setField("单号", "20261209101530");
    history.post();
    // Standing on the appended row without a snapshot of the table's rows.
    QCOMPARE(history.field("单号"), QString("20261209101530"));
    QCOMPARE(db.scalar("SELECT count(*) FROM xstj"), QString("50001"));
    QCOMPARE(history.recordCount(), 50001);
    QCOMPARE(history.recordNumber(), 50001);
}

void TestStoreDataset::sumsFollowTheStatement()
{
    TestDatabase db;
    db.exec(
        "INSERT INTO xstj (单号, 收银员, 折后) VALUES ('1', '张三', 12.5), ('2', '李四', 19.375), ('3', '张三', NULL)");
    Connection c("test");
    Dataset sales(c, sql::XstjByCashier, "张");
    sales.open();
    QCOMPARE(sales.sum("折后"), 12.5);
    sales.requery(sql::SelectXstj);
    QCOMPARE(sales.sum("折后"), 31.875);
}

// The whole history and a cashier search are counted and summed by the per-day totals and read a
// chunk at a time: in the order the plain statement gives, across chunks, NULL and repeated
// times, a row deleted on the way, and without rows recorded after opening.
void TestStoreDataset::countedListsReadInTheStatementsOrder()
{
    TestDatabase db;
    db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
            "INSERT INTO xstj (单号, 时间, 数量, 收银员) SELECT printf('%05d', i), CASE WHEN i % 17 = 0 THEN NULL "
            "ELSE printf('2026-12-%02d 10:00:00', 1 + (i * 7) % 5) END, i % 3, "
            "CASE i % 4 WHEN 0 THEN '张三' WHEN 1 THEN '李四' WHEN 2 THEN '小张' ELSE NULL END FROM n");
    Connection c("test");
    const auto listed = [](Dataset& list) {
        QStringList numbers;
        for (list.first(); !list.eof(); list.next())
            numbers << list.field("单号");
        return numbers;
    };
    Dataset byTime(c, sql::XstjByTime);
    byTime.open();
    QCOMPARE(byTime.recordCount(), 3000);
    QCOMPARE(listed(byTime), db.rows("SELECT 单号 FROM xstj ORDER BY 时间, rowid"));

    Dataset byCashier(c, sql::XstjByCashier, "张");
    byCashier.open();
    QCOMPARE(byCashier.recordCount(), 1500);
    QCOMPARE(byCashier.sum("数量"), db.scalar("SELECT total(数量) FROM xstj WHERE instr(收银员, '张') > 0").toDouble());
    QCOMPARE(listed(byCashier), db.rows("SELECT 单号 FROM xstj WHERE instr(收银员, '张') > 0 ORDER BY rowid"));

    // Counted by the totals, not the rows, until the rows are all read.
    db.exec("UPDATE rtj SET 笔数 = 笔数 + 1 WHERE rowid = (SELECT min(rowid) FROM rtj WHERE 收银员 = '张三')");
    for (const Statement* counted : {&sql::SelectXstj, &sql::XstjByTime, &sql::XstjByCashier}) {
        Dataset list(c, *counted, "张");
        list.open();
        QCOMPARE(list.recordCount(), counted == &sql::XstjByCashier ? 1501 : 3001);
        list.last();
        QVERIFY(!list.field("单号").isEmpty());
        QCOMPARE(list.recordCount(), counted == &sql::XstjByCashier ? 1500 : 3000);
    }
    db.exec("UPDATE rtj SET 笔数 = 笔数 - 1 WHERE rowid = (SELECT min(rowid) FROM rtj WHERE 收银员 = '张三')");

    Dataset all(c, sql::SelectXstj);
    all.open();
    all.moveTo(1000);
    all.deleteCurrent();
    QCOMPARE(all.recordCount(), 2999);
    QCOMPARE(all.field("单号"), QString("01001"));
    QCOMPARE(listed(all), db.rows("SELECT 单号 FROM xstj ORDER BY rowid"));

    Dataset later(c, sql::XstjByCashier, "张");
    later.open();
    const QString matching = "FROM xstj WHERE instr(收银员, '张') > 0";
    const int count = db.scalar("SELECT count(*) " + matching).toInt();
    const double quantity = db.scalar("SELECT total(数量) " + matching).toDouble();
    db.exec("INSERT INTO xstj (单号, 数量, 收银员) VALUES ('later', 5, '张三')");
    QCOMPARE(later.recordCount(), count);
    QCOMPARE(later.sum("数量"), quantity);
    QVERIFY(!listed(later).contains("later"));
}

void TestStoreDataset::connectionCloseClosesDatasets()
{
    TestDatabase db;
    Connection c("test");
    Dataset goods(c, sql::SelectSpxx);
    goods.open();
    c.close();
    QVERIFY(!goods.isOpen());
    QCOMPARE(goods.recordCount(), 0);
    goods.open(); // reconnects
    QVERIFY(c.isOpen());
}

void TestStoreDataset::missingFileRefusedWithoutCreatingIt()
{
    TestDatabase db;
    QVERIFY(QFile::remove(db.path()));
    Connection c("test");
    try {
        c.open();
        QFAIL("opened a missing file");
    } catch (const Error& e) {
        QVERIFY(e.message().contains("data.mdb"));
    }
    QVERIFY(!QFile::exists(db.path()));
}

void TestStoreDataset::wrongSchemaNamesWhatIsMissing()
{
    TestDatabase db;
    db.exec("DROP TABLE xsmx; ALTER TABLE spxx DROP COLUMN 单价");
    Connection c("test");
    try {
        verifyDatabase(c);
        QFAIL("wrong schema accepted");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains("xsmx") && e.message().contains("单价"), qPrintable(e.message()));
    }
    db.exec("PRAGMA user_version = 7");
    QVERIFY_THROWS_EXCEPTION(Error, verifyDatabase(c));
}

void TestStoreDataset::transactionRollsBackUnlessCommitted()
{
    TestDatabase db;
    Connection c("test");
    Dataset goods(c, sql::SelectSpxx);
    goods.open();
    {
        Transaction t(c);
        goods.append();
        goods.setField("品名", "a");
        goods.post();
    }
    QCOMPARE(db.scalar("SELECT count(*) FROM spxx"), QString("0"));
    // What the dataset shows after a rollback is what is stored, not what it wrote.
    QCOMPARE(goods.recordCount(), 0);
    {
        Transaction t(c);
        goods.append();
        goods.setField("品名", "b");
        goods.post();
        t.commit();
    }
    QCOMPARE(db.scalar("SELECT 品名 FROM spxx"), QString("b"));
    {
        Transaction t(c);
        goods.first();
        goods.deleteCurrent();
        QCOMPARE(goods.recordCount(), 0);
    }
    QCOMPARE(goods.recordCount(), 1);
    QCOMPARE(goods.field("品名"), QString("b"));
}

void TestStoreDataset::writesRefusedOnceTheFileIsGone()
{
    TestDatabase db;
    Connection c("test");
    Dataset goods(c, sql::SelectSpxx);
    goods.open();
    QVERIFY(QFile::rename(db.path(), db.path() + ".elsewhere"));
    goods.append();
    goods.setField("品名", "a");
    QVERIFY_THROWS_EXCEPTION(Error, goods.post());
    QVERIFY_THROWS_EXCEPTION(Error, Transaction{c});
    QVERIFY(!QFile::exists(db.path()));
    // Nothing went into the moved file either.
    QVERIFY(QFile::rename(db.path() + ".elsewhere", db.path()));
    QCOMPARE(db.scalar("SELECT count(*) FROM spxx"), QString("0"));
    // Back in its place, it takes writes again.
    goods.append();
    goods.setField("品名", "a");
    goods.post();
    QCOMPARE(db.scalar("SELECT 品名 FROM spxx"), QString("a"));
}

void TestStoreDataset::columnWidthsMatchTheSchema()
{
    // The store refuses a too-long text before the engine does; both must agree on the widths.
    TestDatabase db;
    const QStringList tables =
        db.rows("SELECT name, sql FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%'");
    QVERIFY(!tables.isEmpty());
    int checked = 0;
    static const QRegularExpression check(QStringLiteral("(\\S+) TEXT CHECK \\(length\\(\\S+\\) <= (\\d+)\\)"));
    for (const QString& row : tables) {
        const QString table = row.section('|', 0, 0);
        auto it = check.globalMatch(row.section('|', 1));
        while (it.hasNext()) {
            const auto m = it.next();
            QCOMPARE(store::columnWidth(table, m.captured(1)), m.captured(2).toInt());
            ++checked;
        }
    }
    QCOMPARE(checked, 36);
}

void TestStoreDataset::forEachRowStreamsTheListInOrder()
{
    TestDatabase db;
    db.exec("INSERT INTO xstj (单号, 时间, 折后, 收银员) VALUES ('2', '2026-02-01', 12.5, '张三'), ('1', '2026-01-01', "
            "NULL, '张三'), "
            "('3', '2026-03-01', 3, '李四')");
    Connection c("test");
    Dataset sales(c, sql::XstjByTime);
    sales.open();
    Connection other("other");
    Dataset writer(other, sql::SelectXstj);
    writer.open();
    writer.append();
    writer.setField("单号", "4");
    writer.post(); // after the snapshot: not part of the list
    QStringList seen;
    sales.forEachRow([&](const QVariantList& row) {
        seen << row.value(0).toString() + ":" + (row.value(4).isNull() ? QString("null") : row.value(4).toString());
    });
    QCOMPARE(seen, QStringList({"1:null", "2:12.5", "3:3"}));
    sales.requery(sql::XstjByCashier, "李");
    seen.clear();
    sales.forEachRow([&](const QVariantList& row) { seen << row.value(5).toString(); });
    QCOMPARE(seen, QStringList({"李四"}));
}

QTEST_GUILESS_MAIN(TestStoreDataset)
#include "test_store_dataset.moc"
