#pragma once

#include <QObject>
#include <source_location>

namespace testsupport {

// A window's designed control of that object name and type, as its .ui file names it: tests
// drive the boxes, buttons and grids the cashier sees without reaching into the window's class.
// A control of a dialog the window holds is not the window's. None, or more than one, fails the
// running test at the caller's line, naming the control, and throws to end it.
QObject* findControl(const QObject& window, const char* name, const QMetaObject& type, std::source_location where);

template <typename Control>
Control* control(const QObject& window, const char* name, std::source_location where = std::source_location::current())
{
    return static_cast<Control*>(findControl(window, name, Control::staticMetaObject, where));
}

} // namespace testsupport
