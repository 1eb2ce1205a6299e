#include "store/Numbers.h"

#include "core/Error.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace store {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Checks the accepted shape: blanks, sign, digits with at most one '.', at least one digit,
// an optional exponent, blanks. std::from_chars alone would accept "1e" or refuse "+1".
bool hasNumberShape(const std::string& s, std::size_t* begin, std::size_t* end)
{
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    std::size_t j = s.size();
    while (j > i && s[j - 1] == ' ')
        --j;
    *begin = i;
    *end = j;
    if (i < j && (s[i] == '+' || s[i] == '-'))
        ++i;
    int digits = 0;
    bool point = false;
    for (; i < j && (isDigit(s[i]) || s[i] == '.'); ++i) {
        if (s[i] == '.') {
            if (point)
                return false;
            point = true;
        } else {
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < j && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < j && (s[i] == '+' || s[i] == '-'))
            ++i;
        int exponentDigits = 0;
        for (; i < j && isDigit(s[i]); ++i)
            ++exponentDigits;
        if (exponentDigits == 0)
            return false;
    }
    return i == j;
}

// Decimal digits and exponent of a value rounded to 15 significant digits.
struct Decimal
{
    bool negative = false;
    std::string digits; // no trailing zeros, at least one digit
    int exponent = 0;   // value = 0.d1d2d3... * 10^(exponent + 1), i.e. d1 stands at 10^exponent
};

Decimal toDecimal(long double value)
{
    Decimal d;
    if (value == 0) {
        d.digits.assign(1, '0');
        return d;
    }
    d.negative = value < 0;
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, 14);
    std::string text(buffer, result.ptr);
    const auto e = text.find('e');
    std::string mantissa = text.substr(0, e);
    d.exponent = std::atoi(text.c_str() + e + 1);
    for (char c : mantissa)
        if (isDigit(c))
            d.digits.push_back(c);
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

// The texts are built by appending: g++ 12 warns (-Wrestrict, a false alarm) about
// "literal" + std::string once the calls are inlined.
std::string signFor(bool negative)
{
    return negative ? std::string(1, '-') : std::string();
}

QString fixedText(const Decimal& d)
{
    std::string out = signFor(d.negative);
    if (d.exponent < 0) {
        out.append("0.");
        out.append(static_cast<std::size_t>(-d.exponent - 1), '0');
        out.append(d.digits);
    } else {
        const auto integerDigits = static_cast<std::size_t>(d.exponent + 1);
        if (d.digits.size() <= integerDigits) {
            out.append(d.digits);
            out.append(integerDigits - d.digits.size(), '0');
        } else {
            out.append(d.digits, 0, integerDigits);
            out.push_back('.');
            out.append(d.digits, integerDigits);
        }
    }
    return QString::fromLatin1(out);
}

QString scientificText(const Decimal& d)
{
    std::string out = signFor(d.negative);
    out.append(d.digits, 0, 1);
    if (d.digits.size() > 1) {
        out.push_back('.');
        out.append(d.digits, 1);
    }
    out.push_back('E');
    out.append(std::to_string(d.exponent));
    return QString::fromLatin1(out);
}

// Rounds the 15-digit decimal text of a value to two decimals, halves away from zero,
// and returns the digits with exactly two decimals.
QString roundedTwoDecimals(long double value)
{
    Decimal d = toDecimal(value);
    if (d.digits == "0")
        return QStringLiteral("0.00");
    // Scale: digits as an integer times 10^(exponent - digits + 1); we want units of 0.01.
    const int shift =
        d.exponent - static_cast<int>(d.digits.size()) + 1 + 2; // power of ten of the last digit, in cents
    std::string cents;
    bool roundUp = false;
    if (shift >= 0) {
        cents = d.digits + std::string(static_cast<std::size_t>(shift), '0');
    } else {
        const auto keep = static_cast<long>(d.digits.size()) + shift;
        if (keep <= 0) {
            cents = "0";
            roundUp = keep == 0 && d.digits[0] >= '5';
        } else {
            cents = d.digits.substr(0, static_cast<std::size_t>(keep));
            roundUp = d.digits[static_cast<std::size_t>(keep)] >= '5';
        }
    }
    if (roundUp) {
        int i = static_cast<int>(cents.size()) - 1;
        while (i >= 0 && cents[static_cast<std::size_t>(i)] == '9') {
            cents[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i < 0)
            cents.insert(cents.begin(), '1');
        else
            ++cents[static_cast<std::size_t>(i)];
    }
    while (cents.size() < 3)
        cents.insert(cents.begin(), '0');
    std::string out(cents, 0, cents.size() - 2);
    out.push_back('.');
    out.append(cents, cents.size() - 2);
    const bool zero = out.find_first_not_of("0.") == std::string::npos;
    return QString::fromLatin1(signFor(d.negative && !zero) + out);
}

} // namespace

bool tryParseNumber(const QString& text, long double* value)
{
    const std::string s = text.toStdString();
    std::size_t begin = 0;
    std::size_t end = 0;
    if (!hasNumberShape(s, &begin, &end))
        return false;
    const char* first = s.data() + begin;
    if (*first == '+')
        ++first;
    long double parsed = 0;
    const auto result = std::from_chars(first, s.data() + end, parsed);
    if (result.ec != std::errc() || result.ptr != s.data() + end || !std::isfinite(parsed))
        return false;
    *value = parsed;
    return true;
}

long double parseNumber(const QString& text)
{
    long double value = 0;
    if (!tryParseNumber(text, &value))
        throw Error(QStringLiteral("“%1”不是有效的数字").arg(excerptForMessage(text)));
    return value;
}

QString formatNumber(long double value)
{
    if (!std::isfinite(value))
        throw Error(QStringLiteral("数值超出范围"));
    const Decimal d = toDecimal(value);
    if (d.digits == "0")
        return QStringLiteral("0");
    if (d.exponent < -4 || d.exponent >= 15)
        return scientificText(d);
    return fixedText(d);
}

QString formatFixed2(long double value)
{
    return roundedTwoDecimals(value);
}

QString formatDisplay(long double value)
{
    QString text = roundedTwoDecimals(value);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

QString normalisePrice(const QString& text)
{
    return formatNumber(parseNumber(formatFixed2(parseNumber(text))));
}

double roundToCents(double value)
{
    const long double cent = 0.01; // the double nearest to one hundredth, widened
    const long double quotient = static_cast<long double>(value) / cent;
    const long double whole = std::nearbyintl(quotient); // default rounding mode: half to even
    return static_cast<double>(whole * cent);
}

QString numberText(const QVariant& value)
{
    if (value.isNull())
        return {};
    bool ok = false;
    const double number = value.toDouble(&ok);
    return ok ? formatNumber(number) : value.toString();
}

} // namespace store
