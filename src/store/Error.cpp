#include "store/Error.h"

namespace store {

Error::Error(const QString& message) : std::runtime_error(message.toStdString()), m_message(message) {}

} // namespace store
