#include "core/Error.h"

#include <QList>

namespace core {

Error::Error(const QString& message) : std::runtime_error(message.toStdString()), m_message(message) {}

QString excerptForMessage(const QString& text)
{
    constexpr int MaxCharacters = 100;
    const QList<uint> characters = text.toUcs4();
    if (characters.size() <= MaxCharacters)
        return text;
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(characters.constData()), MaxCharacters) +
           QStringLiteral("…");
}

} // namespace core
