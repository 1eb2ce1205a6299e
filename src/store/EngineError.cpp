#include "store/EngineError.h"

#include <QRegularExpression>

namespace store {

QString describeEngineError(const QSqlError& error)
{
    const QString engine = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    static const QRegularExpression tooLong(QStringLiteral("CHECK constraint failed: length\\((\\S+)\\) <= (\\d+)"));
    if (const auto m = tooLong.match(engine); m.hasMatch())
        return QStringLiteral("“%1”的内容太长，最多 %2 个字符").arg(m.captured(1), m.captured(2));
    if (engine.contains(QLatin1String("database is locked")) || engine.contains(QLatin1String("database is busy")))
        return QStringLiteral("数据库正被另一个程序占用，请稍后再试（%1）").arg(engine);
    if (engine.contains(QLatin1String("readonly")))
        return QStringLiteral("数据库文件是只读的，无法写入（%1）").arg(engine);
    if (engine.contains(QLatin1String("disk is full")) || engine.contains(QLatin1String("database or disk is full")))
        return QStringLiteral("磁盘已满，无法写入数据库（%1）").arg(engine);
    if (engine.contains(QLatin1String("disk I/O error")))
        return QStringLiteral("读写数据库文件出错，磁盘可能已满或已损坏（%1）").arg(engine);
    if (engine.contains(QLatin1String("not a database")) || engine.contains(QLatin1String("malformed")))
        return QStringLiteral("数据库文件已损坏或不是数据库（%1）").arg(engine);
    return engine;
}

void throwEngineError(const QString& doing, const QSqlError& error)
{
    throw Error(doing + QStringLiteral("失败：") + describeEngineError(error));
}

} // namespace store
