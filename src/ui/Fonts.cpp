#include "ui/Fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace ui {

namespace {

const QString NotoSans = QStringLiteral("Noto Sans CJK SC");
const QString NotoSerif = QStringLiteral("Noto Serif CJK SC");

// Families from wanted that are installed, in order; when none is, any font declaring
// simplified Chinese, so text stays readable on a machine without the Noto fonts.
QStringList installed(const QStringList& wanted)
{
    const QStringList families = QFontDatabase::families();
    QStringList found;
    for (const QString& family : wanted) {
        if (families.contains(family, Qt::CaseInsensitive) && !found.contains(family))
            found << family;
    }
    if (found.isEmpty()) {
        const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
        if (!chinese.isEmpty())
            found << chinese.first();
    }
    return found;
}

void substitute(const QString& family, const QStringList& wanted)
{
    QFont::removeSubstitutions(family);
    QFont::insertSubstitutions(family, installed(wanted));
}

QFont sized(const QString& family, int pixelSize, bool bold)
{
    static const bool substituted = (installFontSubstitutions(), true);
    Q_UNUSED(substituted);
    QFont font(family);
    font.setPixelSize(pixelSize > 0 ? pixelSize : 12);
    font.setBold(bold);
    return font;
}

} // namespace

void installFontSubstitutions()
{
    // The substitute list doubles as the fallback list: a Latin face first, then the CJK face
    // that supplies the Han characters.
    const QStringList song = {NotoSerif, NotoSans, QStringLiteral("DejaVu Serif")};
    const QStringList hei = {NotoSans, QStringLiteral("DejaVu Sans")};
    const QStringList latinSans = {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"), NotoSans};

    substitute(QStringLiteral("宋体"), song);
    substitute(QStringLiteral("SimSun"), song);
    substitute(QStringLiteral("黑体"), hei);
    substitute(QStringLiteral("SimHei"), hei);
    substitute(QStringLiteral("方正兰亭刊黑_GBK"), hei);
    substitute(QStringLiteral("MS Sans Serif"), latinSans);
    substitute(QStringLiteral("Arial"), latinSans);
}

QFont songFont(int pixelSize, bool bold)
{
    return sized(QStringLiteral("宋体"), pixelSize, bold);
}

QFont heiFont(int pixelSize, bool bold)
{
    return sized(QStringLiteral("黑体"), pixelSize, bold);
}

} // namespace ui
