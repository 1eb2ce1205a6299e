// The build compiles help/ into 使用帮助.chm beside the program, where F1 opens it.
// A CHM file starts with "ITSF" and keeps its directory of names uncompressed, so each
// page's name must appear in it; a missing, empty or half-written help build fails here.

#include <QFile>
#include <QtTest>

class TestShellHelpFile : public QObject
{
    Q_OBJECT

private slots:
    void helpFileIsACompiledChm();
};

void TestShellHelpFile::helpFileIsACompiledChm()
{
    const QString path = QStringLiteral(QUORVEL_BINARY_DIR) + QStringLiteral("/使用帮助.chm");
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path + QStringLiteral(": ") + file.errorString()));
    const QByteArray chm = file.readAll();

    QVERIFY2(chm.startsWith("ITSF"), "no ITSF signature");
    // The language in the header (little-endian at offset 0x14): 0x0804, Chinese (PRC).
    QVERIFY(chm.size() > 0x18);
    QCOMPARE(quint8(chm[0x14]), quint8(0x04));
    QCOMPARE(quint8(chm[0x15]), quint8(0x08));

    const char* const names[] = {"/index.html",   "/sales.html", "/printing.html", "/settings.html", "/statistics.html",
                                 "/printer.html", "/style.css",  "/quorvel.hhc",   "/quorvel.hhk"};
    for (const char* name : names)
        QVERIFY2(chm.contains(name), name);
}

QTEST_GUILESS_MAIN(TestShellHelpFile)
#include "test_shell_helpfile.moc"
