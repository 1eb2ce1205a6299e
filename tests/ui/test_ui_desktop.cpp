// What the program asks of the desktop: a viewer for the help (only when one is set up, else it
// says so), Qt's own texts in Chinese, and a save dialog that opens among the user's documents.

#include "ui/Seams.h"
#include "ui/Translations.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

// A shell script standing in for one of the desktop's tools, in a folder that becomes PATH.
void writeTool(const QString& folder, const QString& name, const QByteArray& body)
{
    QFile file(folder + "/" + name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + body);
    file.close();
    QVERIFY(QFile::setPermissions(file.fileName(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

QString readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool hasChinese(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF)
            return true;
    return false;
}

class EnvironmentOverride
{
public:
    EnvironmentOverride(const char* name, const QByteArray& value) : m_name(name), m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~EnvironmentOverride() { qputenv(m_name, m_old); }

private:
    const char* m_name;
    QByteArray m_old;
};

} // namespace

class TestUiDesktop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void helpOpensOnlyWithAViewer_data();
    void helpOpensOnlyWithAViewer();
    void qtTextsAreChinese();
    void saveDialogOpensAmongDocuments_data();
    void saveDialogOpensAmongDocuments();
};

void TestUiDesktop::initTestCase()
{
    QVERIFY2(ui::installQtTranslations(), "qtbase_zh_CN.qm not found (qt6-translations-l10n)");
}

void TestUiDesktop::helpOpensOnlyWithAViewer_data()
{
    QTest::addColumn<bool>("withOpener");
    QTest::addColumn<QByteArray>("viewer"); // what the desktop has set for the type
    QTest::addColumn<bool>("opens");
    QTest::newRow("no desktop tools at all") << false << QByteArray() << false;
    QTest::newRow("tools but no viewer for the help") << true << QByteArray() << false;
    QTest::newRow("a viewer is set") << true << QByteArray("xchm.desktop") << true;
}

void TestUiDesktop::helpOpensOnlyWithAViewer()
{
    QFETCH(bool, withOpener);
    QFETCH(QByteArray, viewer);
    QFETCH(bool, opens);
    QTemporaryDir tools;
    const QString asked = tools.filePath("asked");
    const QString opened = tools.filePath("opened");
    if (withOpener) {
        writeTool(tools.path(), "xdg-mime", "echo \"$*\" > '" + asked.toUtf8() + "'\necho '" + viewer + "'\n");
        writeTool(tools.path(), "xdg-open",
                  "echo \"$1\" > '" + opened.toUtf8() + "'.part && /bin/mv '" + opened.toUtf8() + "'.part '" +
                      opened.toUtf8() + "'\n");
    }
    EnvironmentOverride path("PATH", QFile::encodeName(tools.path()));

    QCOMPARE(ui::openWithDesktop("使用帮助.chm"), opens);
    if (withOpener)
        QCOMPARE(readAll(asked).trimmed(), QStringLiteral("query default application/vnd.ms-htmlhelp"));
    if (opens) {
        QTRY_VERIFY(QFile::exists(opened));
        QCOMPARE(readAll(opened).trimmed(), QDir::current().absoluteFilePath("使用帮助.chm"));
    } else {
        QTest::qWait(200);
        QVERIFY(!QFile::exists(opened));
    }
}

void TestUiDesktop::qtTextsAreChinese()
{
    // The standard context menu of every box.
    QLineEdit box;
    box.setText("abc");
    std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions())
        if (!action->isSeparator())
            texts << action->text();
    QVERIFY(!texts.isEmpty());
    for (const QString& text : texts)
        QVERIFY2(hasChinese(text), qPrintable(texts.join(" / ")));
}

void TestUiDesktop::saveDialogOpensAmongDocuments_data()
{
    QTest::addColumn<bool>("withDocuments");
    QTest::newRow("documents folder") << true;
    QTest::newRow("no documents folder: home") << false;
}

void TestUiDesktop::saveDialogOpensAmongDocuments()
{
    QFETCH(bool, withDocuments);
    QTemporaryDir home;
    EnvironmentOverride homeVariable("HOME", QFile::encodeName(home.path()));
    EnvironmentOverride config("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(".config")));
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QVERIFY(documents.startsWith(home.path()));
    if (withDocuments)
        QVERIFY(QDir().mkpath(documents));
    const QString expected = withDocuments ? documents : home.path();
    QCOMPARE(ui::saveDialogFolder(), expected);

    // The real dialog: its folder, and its words in Chinese.
    QString shownFolder;
    QStringList labels;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen = true;
        shownFolder = dialog->directory().absolutePath();
        for (const QLabel* label : dialog->findChildren<QLabel*>())
            if (!label->text().isEmpty())
                labels << label->text();
        dialog->reject();
    });
    QCOMPARE(ui::askSaveFileName(nullptr), QString());
    QVERIFY(seen);
    QCOMPARE(shownFolder, expected);
    QVERIFY(!labels.isEmpty());
    for (const QString& label : labels)
        QVERIFY2(hasChinese(label), qPrintable(labels.join(" / ")));
}

QTEST_MAIN(TestUiDesktop)
#include "test_ui_desktop.moc"
