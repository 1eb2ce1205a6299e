#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <tuple>
#include <type_traits>
#include <utility>

namespace ui {

// Runs f; an exception of any kind is caught and shown with reportError(owner, its text).
// Returns true when f finished without one. Nothing escapes, so this is the wall between
// handlers and the Qt event loop.
bool runGuarded(QWidget* owner, const std::function<void()>& f);

namespace detail {

template <typename Handler, typename Tuple, std::size_t... I> constexpr bool acceptsFirst(std::index_sequence<I...>)
{
    return std::is_invocable_v<Handler&, std::tuple_element_t<I, Tuple>&...>;
}

template <typename Handler, typename Tuple, std::size_t... I>
void invokeWith(Handler& handler, Tuple& arguments, std::index_sequence<I...>)
{
    std::invoke(handler, std::get<I>(arguments)...);
}

// Calls handler with as many leading signal arguments as it takes, as Qt does for slots.
template <std::size_t Count, typename Handler, typename Tuple> void invokeLeading(Handler& handler, Tuple& arguments)
{
    if constexpr (acceptsFirst<Handler, Tuple>(std::make_index_sequence<Count>{})) {
        invokeWith(handler, arguments, std::make_index_sequence<Count>{});
    } else {
        static_assert(Count > 0, "the handler cannot take the signal's arguments");
        if constexpr (Count > 0)
            invokeLeading<Count - 1>(handler, arguments);
    }
}

template <typename Owner, typename Handler> auto bindToOwner(Owner* owner, Handler handler)
{
    if constexpr (std::is_member_function_pointer_v<Handler>)
        return std::bind_front(handler, owner);
    else
        return handler;
}

} // namespace detail

// Connects signal to handler, run through runGuarded(owner). The handler is a callable or a
// member function of owner, and may take fewer arguments than the signal. The connection
// ends with owner (or with sender when owner is null).
template <typename Sender, typename Signal, typename Owner, typename Handler>
QMetaObject::Connection connectGuarded(Sender* sender, Signal signal, Owner* owner, Handler handler,
                                       Qt::ConnectionType type = Qt::AutoConnection)
{
    static_assert(std::is_base_of_v<QWidget, Owner>, "the owner reports errors, so it must be a widget");
    QObject* context = owner ? static_cast<QObject*>(owner) : static_cast<QObject*>(sender);
    QPointer<QWidget> reportTo(owner);
    auto bound = detail::bindToOwner(owner, std::move(handler));
    auto slot = [reportTo, bound](auto&&... arguments) mutable {
        auto packed = std::forward_as_tuple(arguments...);
        runGuarded(reportTo.data(), [&] { detail::invokeLeading<sizeof...(arguments)>(bound, packed); });
    };
    return QObject::connect(sender, signal, context, std::move(slot), type);
}

} // namespace ui
