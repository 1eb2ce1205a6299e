#pragma once

#include <QString>
#include <stdexcept>

namespace core {

// The one error type of the program: store failures, refused values, conversion errors,
// print and export failures all carry a message fit to show the user as it stands.
class Error : public std::runtime_error
{
public:
    explicit Error(const QString& message);
    QString message() const { return m_message; }

private:
    QString m_message;
};

// A user's text as a message quotes it: a pasted page would make a box taller than the screen,
// so past a line's worth it is cut and ends in "…".
QString excerptForMessage(const QString& text);

} // namespace core

// The store throws it by its short name.
namespace store {
using core::Error;
using core::excerptForMessage;
} // namespace store
