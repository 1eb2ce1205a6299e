// The Debian package made from this build by CPack: what it installs where, its control fields,
// and the menu entry a desktop reads. (Here it packs the sanitizer build, so its dependencies
// also name the sanitizer libraries; the release package's do not.)

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString PackageName = QStringLiteral("quorvel_18.0-1_amd64.deb");

struct Run
{
    int code = -1;
    QString out;
    QString err;
};

Run run(const QString& program, const QStringList& arguments, int timeout = 300000)
{
    QProcess process;
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(timeout)) {
        process.kill();
        process.waitForFinished();
        result.err = QStringLiteral("did not finish: ") + program;
        return result;
    }
    result.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestPackagingDeb : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void installsWhereADebianProgramLives_data();
    void installsWhereADebianProgramLives();
    void nothingElseAndAllRoots();
    void controlFields_data();
    void controlFields();
    void menuEntry();
    void deliveredFilesAreTheBuilt();

private:
    QTemporaryDir m_work;
    QString m_deb;
    QStringList m_listing; // dpkg-deb -c, one line per entry
    QString m_root;        // the package unpacked
};

void TestPackagingDeb::initTestCase()
{
    // gzip instead of xz: the sanitizer build's program is large and xz slow; the contents are the same.
    const Run packed =
        run(QStringLiteral(QUORVEL_CPACK), {"--config", QStringLiteral(QUORVEL_BINARY_DIR "/CPackConfig.cmake"), "-G",
                                            "DEB", "-B", m_work.path(), "-D", "CPACK_DEBIAN_COMPRESSION_TYPE=gzip"});
    QVERIFY2(packed.code == 0, qPrintable(packed.out + packed.err));
    m_deb = m_work.filePath(PackageName);
    QVERIFY2(QFile::exists(m_deb), qPrintable(QDir(m_work.path()).entryList().join(' ')));

    const Run listing = run("dpkg-deb", {"-c", m_deb});
    QCOMPARE(listing.code, 0);
    m_listing = listing.out.split('\n', Qt::SkipEmptyParts);
    m_root = m_work.filePath("root");
    const Run unpacked = run("dpkg-deb", {"-x", m_deb, m_root});
    QVERIFY2(unpacked.code == 0, qPrintable(unpacked.err));
}

void TestPackagingDeb::installsWhereADebianProgramLives_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("mode");
    QTest::newRow("program") << "./usr/bin/quorvel"
                             << "-rwxr-xr-x";
    QTest::newRow("schema") << "./usr/share/quorvel/schema.sql"
                            << "-rw-r--r--";
    QTest::newRow("help") << "./usr/share/quorvel/使用帮助.chm"
                          << "-rw-r--r--";
    QTest::newRow("menu entry") << "./usr/share/applications/quorvel.desktop"
                                << "-rw-r--r--";
    QTest::newRow("icon") << "./usr/share/icons/hicolor/64x64/apps/quorvel.png"
                          << "-rw-r--r--";
    QTest::newRow("copyright") << "./usr/share/doc/quorvel/copyright"
                               << "-rw-r--r--";
    QTest::newRow("changelog") << "./usr/share/doc/quorvel/changelog.Debian.gz"
                               << "-rw-r--r--";
    QTest::newRow("manual page") << "./usr/share/man/man1/quorvel.1.gz"
                                 << "-rw-r--r--";
}

void TestPackagingDeb::installsWhereADebianProgramLives()
{
    QFETCH(QString, path);
    QFETCH(QString, mode);
    QStringList found;
    for (const QString& line : m_listing)
        if (line.endsWith(' ' + path))
            found << line;
    QVERIFY2(found.size() == 1, qPrintable(path + "\n" + m_listing.join('\n')));
    QVERIFY2(found.first().startsWith(mode + ' '), qPrintable(found.first()));
    QVERIFY(QFileInfo(m_root + path.mid(1)).size() > 0);
}

void TestPackagingDeb::nothingElseAndAllRoots()
{
    static const QRegularExpression allowed(
        QStringLiteral("^\\./(usr/?|usr/(bin|share)/?|usr/bin/quorvel|usr/share/(quorvel|applications|icons|doc|man|lintian)"
                       "(/.*)?)$"));
    for (const QString& line : m_listing) {
        QVERIFY2(line.contains(" root/root "), qPrintable(line));
        const QString path = line.section(' ', -1);
        QVERIFY2(allowed.match(path).hasMatch(), qPrintable(line));
        if (line.startsWith('d'))
            QVERIFY2(line.startsWith("drwxr-xr-x "), qPrintable(line));
    }
    // A stripped program carries no path of the machine that built it in a symbol table.
    const Run symbols = run("file", {m_root + "/usr/bin/quorvel"});
    if (symbols.code == 0)
        QVERIFY2(symbols.out.contains("stripped") && !symbols.out.contains("not stripped"), qPrintable(symbols.out));
}

void TestPackagingDeb::controlFields_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("expected"); // each must appear in the field's value
    QTest::newRow("name") << "Package" << QStringList{"quorvel"};
    QTest::newRow("version") << "Version" << QStringList{"18.0-1"};
    QTest::newRow("architecture") << "Architecture" << QStringList{"amd64"};
    QTest::newRow("libraries found by dpkg-shlibdeps")
        << "Depends" << QStringList{"libc6 (>=", "libqt6widgets6", "libqt6sql6 ", "libsqlite3-0", "libsodium23"};
    QTest::newRow("what shlibdeps cannot see") << "Depends" << QStringList{"libqt6sql6-sqlite", "fonts-noto-cjk"};
    QTest::newRow("help viewer") << "Recommends" << QStringList{"xchm", "xdg-utils", "qt6-translations-l10n"};
    QTest::newRow("maintainer") << "Maintainer" << QStringList{"<support@quorvel.cn>"};
    QTest::newRow("section") << "Section" << QStringList{"misc"};
    QTest::newRow("description") << "Description" << QStringList{"receipt", "\n 76 mm receipt printer"};
}

void TestPackagingDeb::controlFields()
{
    QFETCH(QString, field);
    QFETCH(QStringList, expected);
    const Run value = run("dpkg-deb", {"-f", m_deb, field});
    QCOMPARE(value.code, 0);
    for (const QString& part : expected)
        QVERIFY2(value.out.contains(part), qPrintable(field + ": " + value.out));
}

void TestPackagingDeb::menuEntry()
{
    const QString text = QString::fromUtf8(contentOf(m_root + "/usr/share/applications/quorvel.desktop"));
    const QStringList lines = text.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.value(0), QStringLiteral("[Desktop Entry]"));
    for (const char* line : {"Type=Application", "Name=Quorvel销售小票打印软件", "Exec=quorvel", "Icon=quorvel",
                             "Terminal=false", "Categories=Office;Finance;"})
        QVERIFY2(lines.contains(QString::fromUtf8(line)), line);
    // The icon named is the one installed in the theme a menu looks in.
    QVERIFY(contentOf(m_root + "/usr/share/icons/hicolor/64x64/apps/quorvel.png").startsWith("\x89PNG"));
    // The freedesktop checker, where installed (desktop-file-utils).
    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (!validator.isEmpty()) {
        const Run validate = run(validator, {m_root + "/usr/share/applications/quorvel.desktop"});
        QVERIFY2(validate.code == 0 && validate.out.isEmpty(), qPrintable(validate.out + validate.err));
    }
}

void TestPackagingDeb::deliveredFilesAreTheBuilt()
{
    QCOMPARE(contentOf(m_root + "/usr/share/quorvel/schema.sql"), contentOf(QUORVEL_SOURCE_DIR "/db/schema.sql"));
    QCOMPARE(contentOf(m_root + "/usr/share/quorvel/使用帮助.chm"), contentOf(QUORVEL_BINARY_DIR "/使用帮助.chm"));
    const Run changelog =
        run("sh", {"-c", "gzip -dc \"$0\" | head -1", m_root + "/usr/share/doc/quorvel/changelog.Debian.gz"});
    QVERIFY2(changelog.out.startsWith("quorvel (18.0-1) "), qPrintable(changelog.out));
}

QTEST_GUILESS_MAIN(TestPackagingDeb)
#include "test_packaging_deb.moc"
