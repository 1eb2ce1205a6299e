#include "support/HostileTexts.h"

#include "support/TestDatabase.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

namespace testsupport {

QList<HostileText> hostileTexts()
{
    return {
        {QStringLiteral("double quote"), QStringLiteral("他说\"好\"")},
        {QStringLiteral("single quote"), QStringLiteral("O'Brien")},
        {QStringLiteral("percent"), QStringLiteral("%")},
        {QStringLiteral("underscore"), QStringLiteral("_")},
        {QStringLiteral("backslash"), QStringLiteral("C:\\收银\\")},
        {QStringLiteral("sql"), QStringLiteral("x'); DROP TABLE xstj; --")},
        {QStringLiteral("tab"), QStringLiteral("a\tb")},
        {QStringLiteral("control 0x01"), QStringLiteral("a\x01z")},
        {QStringLiteral("escape"), QStringLiteral("\x1b[31m红\x1b[0m")},
        {QStringLiteral("newline"), QStringLiteral("第一行\n第二行")},
        {QStringLiteral("emoji"), QStringLiteral("😀苹果")},
        {QStringLiteral("beyond the BMP"), QString::fromUcs4(U"\U00020000")},
        {QStringLiteral("right-to-left marks"), QStringLiteral("\u200F\u202Eabc")},
        {QStringLiteral("blanks only"), QStringLiteral("   ")},
        {QStringLiteral("51 characters"), QString(51, QLatin1Char('x'))},
        {QStringLiteral("50 characters beyond the BMP"), QString::fromUcs4(U"\U00020000").repeated(50)},
        {QStringLiteral("10,000 characters"), QString(10000, QChar(u'长'))},
    };
}

void addHostileTextRows()
{
    QTest::addColumn<QString>("text");
    for (const HostileText& hostile : hostileTexts())
        QTest::newRow(qPrintable(hostile.name)) << hostile.text;
}

qsizetype characterCount(const QString& text)
{
    return text.toUcs4().size();
}

bool fitsWidth(const QString& text, int width)
{
    return characterCount(text) <= width;
}

void pasteInto(QWidget* box, const QString& text)
{
    if (auto* combo = qobject_cast<QComboBox*>(box)) {
        if (!combo->isEditable()) {
            combo->setCurrentText(text);
            return;
        }
        combo->clearEditText();
        combo->lineEdit()->insert(text);
        return;
    }
    if (auto* edit = qobject_cast<QLineEdit*>(box)) {
        edit->clear();
        edit->insert(text);
        return;
    }
    if (auto* memo = qobject_cast<QPlainTextEdit*>(box)) {
        memo->clear();
        memo->insertPlainText(text);
        return;
    }
    QFAIL(qPrintable(QStringLiteral("%1 takes no text").arg(box->objectName())));
}

QStringList storedTexts(const TestDatabase& db, const QString& table, const QString& column)
{
    QStringList texts;
    for (const QString& hex : db.rows(QStringLiteral("SELECT hex(%1) FROM %2 ORDER BY rowid").arg(column, table)))
        texts << QString::fromUtf8(QByteArray::fromHex(hex.toLatin1()));
    return texts;
}

QStringList tableRows(const TestDatabase& db, const QStringList& tables)
{
    QStringList rows;
    for (const QString& table : tables) {
        rows << table + QLatin1Char(':');
        rows << db.rows(QStringLiteral("SELECT quote(rowid), * FROM %1 ORDER BY rowid").arg(table));
    }
    return rows;
}

} // namespace testsupport
