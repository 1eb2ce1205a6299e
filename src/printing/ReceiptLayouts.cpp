#include "printing/ReceiptLayouts.h"

namespace printing {

namespace {

constexpr ElementKind Label = ElementKind::Label;
constexpr ElementKind Field = ElementKind::Field;
constexpr ElementLook Opaque = ElementLook::Opaque;
constexpr ElementLook Rule = ElementLook::Rule;

ElementPlaces same(double left, double top)
{
    return {QPointF(left, top), QPointF(left, top), QPointF(left, top)};
}

ElementPlaces each(QPointF first, QPointF second, QPointF third)
{
    return {first, second, third};
}

QString dashes(int count)
{
    return QString(count, QLatin1Char('-'));
}

// The upper rules leave a gap for the cashier's name.
const QString Rule58 = dashes(42);
const QString UpperRule58 = dashes(10) + QString(23, QLatin1Char(' ')) + dashes(10);
const QString Rule76 = dashes(59);
const QString UpperRule76 = dashes(17) + QString(26, QLatin1Char(' ')) + dashes(16);

// clang-format off
const ReceiptLayout Layout58{
    "TDy58Form", "Dy58Form", 62,
    219,
    {305, 305, 328},
    {100, 100, 123},
    25,
    {103, 103, 103},
    8,
    180,
    same(0, 85),
    {
        {Label, {"QRLabel20", "QRLabel45", "QRLabel72"}, UpperRule58, same(0, -5), Rule},
        {Label, {"QRLabel21", "QRLabel46", "QRLabel73"}, UpperRule58, same(0, -3), Rule},
        {Label, {"QRLabel1", "QRLabel24", "QRLabel49"}, QStringLiteral("收银员："), same(42, 0)},
        {Label, {"QRLabel2", "QRLabel25", "QRLabel50"}, QStringLiteral("收银员"), same(83, 0)},
        {Field, {"QRDBText1", "QRDBText6", "QRDBText11"}, QStringLiteral("店名"), each({7, 19}, {7, 16}, {7, 16})},
        {Label, {"QRLabel3", "QRLabel26", "QRLabel51"}, QStringLiteral("单号："), each({7, 42}, {7, 35}, {7, 32})},
        {Label, {"QRLabel4", "QRLabel27", "QRLabel52"}, QStringLiteral("单号"), each({37, 42}, {37, 35}, {37, 32})},
        {Label, {"QRLabel5", "QRLabel28", "QRLabel53"}, QStringLiteral("时间："), each({7, 60}, {7, 50}, {7, 48})},
        {Label, {"QRLabel6", "QRLabel29", "QRLabel54"}, QStringLiteral("时间"), each({37, 60}, {37, 50}, {37, 48})},
        {Label, {nullptr, "QRLabel30", "QRLabel55"}, QStringLiteral("客户："), each({}, {7, 65}, {7, 64}), Opaque},
        {Label, {nullptr, "QRLabel31", "QRLabel56"}, QStringLiteral("客户"), each({}, {37, 65}, {37, 64}), Opaque},
        {Label, {nullptr, nullptr, "QRLabel57"}, QStringLiteral("电话："), each({}, {}, {7, 80}), Opaque},
        {Label, {nullptr, nullptr, "QRLabel58"}, QStringLiteral("电话"), each({}, {}, {37, 80}), Opaque},
        {Label, {"QRLabel22", "QRLabel47", "QRLabel74"}, Rule58, each({0, 73}, {0, 73}, {0, 91}), Rule},
        {Label, {"QRLabel7", "QRLabel32", "QRLabel59"}, QStringLiteral("品名"), each({0, 85}, {0, 85}, {0, 108})},
        {Label, {"QRLabel8", "QRLabel33", "QRLabel60"}, QStringLiteral("单价"), each({38, 85}, {38, 85}, {38, 108})},
        {Label, {"QRLabel9", "QRLabel34", "QRLabel61"}, QStringLiteral("数量"), each({84, 85}, {84, 85}, {84, 108})},
        {Label, {"QRLabel10", "QRLabel35", "QRLabel62"}, QStringLiteral("金额"), each({120, 85}, {120, 85}, {120, 108})},
    },
    {
        {Field, {"QRDBText2", "QRDBText7", "QRDBText12"}, QStringLiteral("品名"), same(0, 2)},
        {Field, {"QRDBText3", "QRDBText8", "QRDBText13"}, QStringLiteral("单价"), same(38, 13)},
        {Field, {"QRDBText4", "QRDBText9", "QRDBText14"}, QStringLiteral("数量"), same(85, 13)},
        {Field, {"QRDBText5", "QRDBText10", "QRDBText15"}, QStringLiteral("折后"), same(120, 13)},
    },
    {
        {Label, {"QRLabel11", "QRLabel36", "QRLabel63"}, QStringLiteral("合计："), same(22, 3), Opaque},
        {Label, {"QRLabel12", "QRLabel37", "QRLabel64"}, QStringLiteral("数量"), same(86, 3)},
        {Label, {"QRLabel13", "QRLabel38", "QRLabel65"}, QStringLiteral("金额"), same(120, 3)},
        {Label, {"QRLabel14", "QRLabel39", "QRLabel66"}, QStringLiteral("应收金额："), same(0, 20)},
        {Label, {"QRLabel15", "QRLabel40", "QRLabel67"}, QStringLiteral("应收"), same(56, 20)},
        {Label, {"QRLabel16", "QRLabel41", "QRLabel68"}, QStringLiteral("实收金额："), same(0, 38)},
        {Label, {"QRLabel17", "QRLabel42", "QRLabel69"}, QStringLiteral("折后"), same(56, 38)},
        {Label, {"QRLabel18", "QRLabel43", "QRLabel70"}, QStringLiteral("找零金额："), same(0, 55)},
        {Label, {"QRLabel19", "QRLabel44", "QRLabel71"}, QStringLiteral("找零"), same(56, 55)},
        {Label, {"QRLabel23", "QRLabel48", "QRLabel75"}, Rule58, same(0, 68), Rule},
    },
};

const ReceiptLayout Layout76{
    "TDy76Form", "Dy76Form", 22,
    287,
    {310, 320, 320},
    {100, 110, 123},
    30,
    {103, 103, 89},
    9,
    240,
    each({5, 85}, {5, 85}, {5, 71}),
    {
        {Label, {"QRLabel20", "QRLabel45", "QRLabel72"}, UpperRule76, same(5, -5), Rule},
        {Label, {"QRLabel21", "QRLabel46", "QRLabel73"}, UpperRule76, same(5, -3), Rule},
        {Label, {"QRLabel1", "QRLabel24", "QRLabel49"}, QStringLiteral("收银员："), same(77, 0)},
        {Label, {"QRLabel2", "QRLabel25", "QRLabel50"}, QStringLiteral("收银员"), same(125, 0)},
        {Field, {"QRDBText1", "QRDBText6", "QRDBText15"}, QStringLiteral("店名"), each({7, 19}, {7, 16}, {7, 16})},
        {Label, {"QRLabel3", "QRLabel26", "QRLabel51"}, QStringLiteral("单号："), each({7, 42}, {7, 37}, {7, 32})},
        {Label, {"QRLabel4", "QRLabel27", "QRLabel52"}, QStringLiteral("单号"), each({37, 42}, {37, 37}, {37, 32})},
        {Label, {"QRLabel5", "QRLabel28", "QRLabel53"}, QStringLiteral("时间："), each({7, 60}, {7, 56}, {7, 48})},
        {Label, {"QRLabel6", "QRLabel29", "QRLabel54"}, QStringLiteral("时间"), each({37, 60}, {37, 56}, {37, 48})},
        {Label, {nullptr, "QRLabel30", "QRLabel55"}, QStringLiteral("客户："), each({}, {7, 74}, {7, 64}), Opaque},
        {Label, {nullptr, "QRLabel31", "QRLabel56"}, QStringLiteral("客户"), each({}, {37, 74}, {37, 64}), Opaque},
        {Label, {nullptr, nullptr, "QRLabel57"}, QStringLiteral("电话："), each({}, {}, {7, 82}), Opaque},
        {Label, {nullptr, nullptr, "QRLabel58"}, QStringLiteral("电话"), each({}, {}, {37, 82}), Opaque},
        {Label, {"QRLabel22", "QRLabel47", "QRLabel74"}, Rule76, each({5, 73}, {5, 83}, {5, 93}), Rule},
        {Label, {"QRLabel7", "QRLabel32", "QRLabel59"}, QStringLiteral("品名"), each({7, 85}, {7, 95}, {7, 108})},
        {Label, {"QRLabel8", "QRLabel33", "QRLabel60"}, QStringLiteral("单价"), each({67, 85}, {67, 95}, {67, 108})},
        {Label, {"QRLabel9", "QRLabel34", "QRLabel61"}, QStringLiteral("数量"), each({121, 85}, {121, 95}, {121, 108})},
        {Label, {"QRLabel10", "QRLabel35", "QRLabel62"}, QStringLiteral("金额"), each({173, 85}, {173, 95}, {173, 108})},
    },
    {
        {Field, {"QRDBText2", "QRDBText7", "QRDBText13"}, QStringLiteral("品名"), same(7, 1), Opaque},
        {Field, {"QRDBText3", "QRDBText8", "QRDBText14"}, QStringLiteral("单价"), same(67, 15)},
        {Field, {"QRDBText4", "QRDBText9", "QRDBText12"}, QStringLiteral("数量"), same(121, 15)},
        {Field, {"QRDBText5", "QRDBText10", "QRDBText11"}, QStringLiteral("折后"), same(173, 15)},
    },
    {
        {Label, {"QRLabel11", "QRLabel36", "QRLabel63"}, QStringLiteral("合计："), each({31, 3}, {31, 3}, {31, 2})},
        {Label, {"QRLabel12", "QRLabel37", "QRLabel64"}, QStringLiteral("数量"), each({122, 3}, {122, 3}, {122, 2})},
        {Label, {"QRLabel13", "QRLabel38", "QRLabel65"}, QStringLiteral("金额"), each({172, 3}, {172, 3}, {172, 2})},
        {Label, {"QRLabel14", "QRLabel39", "QRLabel66"}, QStringLiteral("应收金额："), each({7, 20}, {7, 20}, {7, 16})},
        {Label, {"QRLabel15", "QRLabel40", "QRLabel67"}, QStringLiteral("应收"), each({68, 20}, {68, 20}, {68, 16})},
        {Label, {"QRLabel16", "QRLabel41", "QRLabel68"}, QStringLiteral("实收金额："), each({7, 38}, {7, 38}, {7, 33})},
        {Label, {"QRLabel17", "QRLabel42", "QRLabel69"}, QStringLiteral("折后"), each({68, 38}, {68, 38}, {68, 33})},
        {Label, {"QRLabel18", "QRLabel43", "QRLabel70"}, QStringLiteral("找零金额："), each({7, 55}, {7, 55}, {7, 49})},
        {Label, {"QRLabel19", "QRLabel44", "QRLabel71"}, QStringLiteral("找零"), each({68, 55}, {68, 55}, {68, 49})},
        {Label, {"QRLabel23", "QRLabel48", "QRLabel75"}, Rule76, each({5, 68}, {5, 68}, {5, 59}), Rule},
    },
};

// The total under the amount column is the total after discount: the lines above it show their
// amount after discount, so the column adds up.
const QList<LabelMapRow> LabelMap = {
    {{"QRLabel2", "QRLabel25", "QRLabel50"}, &SaleToPrint::cashier},
    {{"QRLabel4", "QRLabel27", "QRLabel52"}, &SaleToPrint::number},
    {{"QRLabel6", "QRLabel29", "QRLabel54"}, &SaleToPrint::time},
    {{nullptr, "QRLabel31", "QRLabel56"}, &SaleToPrint::customerName},
    {{nullptr, nullptr, "QRLabel58"}, &SaleToPrint::phoneNumber},
    {{"QRLabel12", "QRLabel37", "QRLabel64"}, &SaleToPrint::totalQuantity},
    {{"QRLabel13", "QRLabel38", "QRLabel65"}, &SaleToPrint::totalDue},
    {{"QRLabel15", "QRLabel40", "QRLabel67"}, &SaleToPrint::totalDue},
    {{"QRLabel17", "QRLabel42", "QRLabel69"}, &SaleToPrint::received},
    {{"QRLabel19", "QRLabel44", "QRLabel71"}, &SaleToPrint::change},
};
// clang-format on

// A module of 0.25 mm is 2 dots at 8 dots per mm: a 14-digit number with its quiet zones takes
// 132 modules, 264 of the 384 dots of a 58 mm head. 76 mm paper has room for 3 dots a module.
constexpr double DotMillimetres = 0.125;

const BarcodePlacement Barcode58{
    {"Barcode1", "Barcode2", "Barcode3"}, same(0, 80), 2 * DotMillimetres * 96 / 25.4};
const BarcodePlacement Barcode76{
    {"Barcode1", "Barcode2", "Barcode3"}, each({5, 80}, {5, 80}, {5, 69}), 3 * DotMillimetres * 96 / 25.4};

} // namespace

const BarcodePlacement& receiptBarcode(PaperWidth width)
{
    return width == PaperWidth::Mm58 ? Barcode58 : Barcode76;
}

const ReceiptLayout& receiptLayout(PaperWidth width)
{
    return width == PaperWidth::Mm58 ? Layout58 : Layout76;
}

const QList<LabelMapRow>& labelMap()
{
    return LabelMap;
}

} // namespace printing
