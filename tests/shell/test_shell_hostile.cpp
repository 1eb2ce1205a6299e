// Hostile texts typed into the boxes a sale carries to the history: each is stored exactly
// as typed or refused with a clear message before anything of the sale reaches the history.
#include "printing/PrintSeam.h"
#include "shell/MainUnit.h"
#include "store/Error.h"
#include "support/ShellFixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

using testsupport::ShellFixture;

class HostileInputTest : public QObject
{
    Q_OBJECT

private slots:
    void saleTextsStoredExactlyOrRefused_data();
    void saleTextsStoredExactlyOrRefused();
};

void HostileInputTest::saleTextsStoredExactlyOrRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fits"); // within every column it is copied into
    QTest::newRow("double quote") << "他说\"好\"" << true;
    QTest::newRow("single quote") << "O'Brien" << true;
    QTest::newRow("percent and underscore") << "100%_off" << true;
    QTest::newRow("backslash") << "C:\\收银\\" << true;
    QTest::newRow("sql") << "x'); DROP TABLE xstj; --" << true;
    QTest::newRow("control characters") << QString("a\tb\x01\x1b[0mc") << true;
    QTest::newRow("emoji") << "🍎苹果😀" << true;
    QTest::newRow("right-to-left mark") << "\u200F\u202Eabc" << true;
    QTest::newRow("blanks only") << "   " << true;
    QTest::newRow("10,000 characters") << QString(10000, QChar(u'长')) << false;
}

void HostileInputTest::saleTextsStoredExactlyOrRefused()
{
    QFETCH(QString, text);
    QFETCH(bool, fits);
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    printing::PrintCapture capture;
    main.ComboBox1->setEditText(text);
    main.Edit3->setText(QStringLiteral("12.5"));
    main.Edit4->setText(QStringLiteral("2"));
    main.ComboBox2->setEditText(QStringLiteral("10"));
    main.Edit3KeyUp();
    bool lineRefused = false;
    try {
        main.SpeedButton2Click();
    } catch (const store::Error& e) {
        lineRefused = true;
        QVERIFY(!e.message().isEmpty());
    }
    const QString storedName = shell.db.scalar("SELECT 品名 FROM xsxx");
    QCOMPARE(lineRefused, !fits);
    if (lineRefused) {
        QCOMPARE(shell.db.scalar("SELECT count(*) FROM xsxx"), QString("0"));
        QCOMPARE(shell.db.scalar("SELECT count(*) FROM spxx"), QString("0")); // no catalogue change either
        return;
    }
    QCOMPARE(storedName, text);

    main.Edit9->setText(text);
    main.Edit10->setText(text);
    main.ComboBox6->setEditText(text);
    main.PrintCurrentSale();
    QCOMPARE(capture.jobs().size(), 1);
    QCOMPARE(shell.db.rows("SELECT 收银员 FROM xstj"), QStringList({text}));
    QCOMPARE(shell.db.rows("SELECT 品名 FROM xsmx"), QStringList({text}));
    QCOMPARE(shell.db.rows("SELECT 客户 FROM xsmx"), QStringList({text}));
    QCOMPARE(shell.db.rows("SELECT 电话 FROM xsmx"), QStringList({text}));
    QCOMPARE(shell.db.scalar("SELECT count(*) FROM xsxx"), QString("0"));
}

QTEST_MAIN(HostileInputTest)
#include "test_shell_hostile.moc"
