#include "store/Passwords.h"

#include <QtTest>

class TestStorePasswords : public QObject
{
    Q_OBJECT

private slots:
    void verifiesOnlyTheSamePassword_data();
    void verifiesOnlyTheSamePassword();
    void emptyPasswordIsEmptyText();
    void hashIsNotThePlainText();
};

void TestStorePasswords::verifiesOnlyTheSamePassword_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("same") << "Secret1" << "Secret1" << true;
    QTest::newRow("letter case differs") << "Secret1" << "secret1" << false;
    QTest::newRow("empty typed") << "Secret1" << "" << false;
    QTest::newRow("chinese and emoji") << "密码🔑" << "密码🔑" << true;
    QTest::newRow("quotes") << "a'\"%_" << "a'\"%_" << true;
    QTest::newRow("trailing blank matters") << "abc" << "abc " << false;
}

void TestStorePasswords::verifiesOnlyTheSamePassword()
{
    QFETCH(QString, stored);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    QCOMPARE(store::verifyPassword(typed, store::hashPassword(stored)), accepted);
}

void TestStorePasswords::emptyPasswordIsEmptyText()
{
    QCOMPARE(store::hashPassword(QString()), QString());
    QVERIFY(store::verifyPassword(QString(), QString()));
    QVERIFY(!store::verifyPassword(QStringLiteral("x"), QString()));
}

void TestStorePasswords::hashIsNotThePlainText()
{
    const QString hash = store::hashPassword(QStringLiteral("123456"));
    QVERIFY(!hash.contains(QStringLiteral("123456")));
    QVERIFY(hash.startsWith(QStringLiteral("$argon2id$")));
    QVERIFY(hash.size() <= 255);
    QVERIFY(store::hashPassword(QStringLiteral("123456")) != hash); // salted
}

QTEST_GUILESS_MAIN(TestStorePasswords)
#include "test_store_passwords.moc"
