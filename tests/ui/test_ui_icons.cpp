#include "ui/Icons.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QTest>

namespace {

// True when some pixel of the picture is not fully transparent.
bool hasInk(const QPixmap& pixmap)
{
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                return true;
    return false;
}

} // namespace

class TestUiIcons : public QObject
{
    Q_OBJECT

private slots:
    void picture_data();
    void picture();
    void noPicture_data();
    void noPicture();
    void programIcon();
};

void TestUiIcons::picture_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("side");
    QTest::addColumn<bool>("doubled"); // a second file drawn for doubled screens

    // The main window's buttons.
    for (const char* name : {"add", "modify", "delete", "settings", "statistics", "preview"})
        QTest::newRow(name) << QString::fromLatin1(name) << 20 << false;
    QTest::newRow("print") << "print" << 48 << false;
    // The sales windows' buttons and pop-up menu.
    for (const char* name : {"search", "refresh", "export", "delete-sale", "exit", "reprint"})
        QTest::newRow(name) << QString::fromLatin1(name) << 20 << true;
    // The settings window's rights button.
    QTest::newRow("rights") << "rights" << 64 << false;
}

void TestUiIcons::picture()
{
    QFETCH(QString, name);
    QFETCH(int, side);
    QFETCH(bool, doubled);

    QCOMPARE(ui::iconPath(name), ":/icons/" + name + ".png");
    const QIcon icon = ui::icon(name);
    QVERIFY(!icon.isNull());
    QList<QSize> sizes{QSize(side, side)};
    if (doubled)
        sizes << QSize(2 * side, 2 * side);
    QCOMPARE(icon.availableSizes(), sizes);
    for (const qreal ratio : {1.0, 2.0}) {
        const QPixmap pixmap = icon.pixmap(QSize(side, side), ratio);
        // Without a doubled file the plain one serves, at its own size.
        QCOMPARE(pixmap.size(), doubled ? QSize(side, side) * ratio : QSize(side, side));
        QVERIFY(hasInk(pixmap));
    }
}

void TestUiIcons::noPicture_data()
{
    QTest::addColumn<QString>("name");

    QTest::newRow("empty") << "";
    QTest::newRow("unknown") << "nothing";
    QTest::newRow("capitals") << "Add";
    QTest::newRow("suffix") << "add.png";
    QTest::newRow("doubled file") << "add@2x";
    QTest::newRow("folder") << "icons/add";
    QTest::newRow("up a folder") << "../quorvel";
    QTest::newRow("spaces") << " add ";
    QTest::newRow("dash at the end") << "delete-";
}

void TestUiIcons::noPicture()
{
    QFETCH(QString, name);
    QVERIFY(ui::iconPath(name).isEmpty());
}

void TestUiIcons::programIcon()
{
    const QIcon icon = ui::programIcon();
    QVERIFY(!icon.isNull());
    QVERIFY(hasInk(icon.pixmap(16, 16)));
}

QTEST_MAIN(TestUiIcons)
#include "test_ui_icons.moc"
