#include "printing/Code128.h"

#include <array>

namespace printing {

namespace {

// Widths of bar, space, bar, space, bar, space in modules for the values 0 to 105; each adds up
// to 11. The stop code (106) has a seventh element, a final bar.
constexpr std::array<const char*, 106> Patterns = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",
    "114131", "311141", "411131", "211412", "211214", "211232",
};
constexpr const char* StopPattern = "2331112";

constexpr int CodeC = 99;  // change to code set C, in code set B
constexpr int CodeB = 100; // change to code set B, in code set C
constexpr int StartB = 104;
constexpr int StartC = 105;
constexpr int Stop = 106;
constexpr int CheckModulus = 103;

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isPrintableAscii(QChar c)
{
    return c.unicode() >= 32 && c.unicode() <= 126;
}

// Digits from at onwards.
qsizetype digitRun(const QString& text, qsizetype at)
{
    qsizetype end = at;
    while (end < text.size() && isDigit(text.at(end)))
        ++end;
    return end - at;
}

// A run of digits is shorter in code set C when it saves the code change it costs: four digits at
// either end of the text (or all of it), six in the middle.
bool worthCodeC(qsizetype run, qsizetype at, qsizetype size)
{
    if (run == size)
        return run >= 2;
    const bool atEdge = at == 0 || at + run == size;
    return run >= (atEdge ? 4 : 6);
}

void appendPattern(QString& modules, const char* widths)
{
    bool dark = true;
    for (const char* width = widths; *width; ++width) {
        modules.append(QString(*width - '0', dark ? QLatin1Char('1') : QLatin1Char('0')));
        dark = !dark;
    }
}

} // namespace

std::optional<Code128Symbol> encodeCode128(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    for (QChar c : text) {
        if (!isPrintableAscii(c))
            return std::nullopt;
    }

    Code128Symbol symbol;
    int set = 0; // no code set chosen yet
    const auto use = [&](int wanted) {
        if (set == wanted)
            return;
        if (set == 0)
            symbol.values.append(wanted == StartC ? StartC : StartB);
        else
            symbol.values.append(wanted == StartC ? CodeC : CodeB);
        set = wanted;
    };
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype run = digitRun(text, at);
        if (run > 0 && worthCodeC(run, at, text.size())) {
            // An odd digit goes first, in code set B, so the pairs end where the run does.
            if (run % 2 != 0) {
                use(StartB);
                symbol.values.append(text.at(at).unicode() - 32);
                ++at;
            }
            use(StartC);
            for (const qsizetype end = at + run - run % 2; at < end; at += 2)
                symbol.values.append((text.at(at).unicode() - '0') * 10 + (text.at(at + 1).unicode() - '0'));
            continue;
        }
        use(StartB);
        symbol.values.append(text.at(at).unicode() - 32);
        ++at;
    }

    int check = symbol.values.first();
    for (qsizetype i = 1; i < symbol.values.size(); ++i)
        check += int(i) * symbol.values.at(i);
    symbol.values.append(check % CheckModulus);
    symbol.values.append(Stop);

    symbol.modules = QString(Code128QuietModules, QLatin1Char('0'));
    for (int value : symbol.values)
        appendPattern(symbol.modules, value == Stop ? StopPattern : Patterns.at(std::size_t(value)));
    symbol.modules.append(QString(Code128QuietModules, QLatin1Char('0')));
    return symbol;
}

QString code128Modules(const QString& text)
{
    const std::optional<Code128Symbol> symbol = encodeCode128(text);
    return symbol ? symbol->modules : QString();
}

} // namespace printing
