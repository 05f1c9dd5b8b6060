// The one guard every event handler runs in.  An error that the handler does
// not test itself (a list file that cannot be loaded or saved, a line index
// beyond the list, a text-file error in a writer) ends the action: lists opened
// with ListEdit are saved on the way out, one message names the operation, the
// file and the line index, and the program goes on.
#pragma once

#include <QObject>
#include <functional>
#include <utility>

namespace tarn::gui {

// Runs `action`; returns true when it ran to its end.  On an exception, shows
// its text once through CurrentDialogs().Error and returns false.
bool RunGuarded(const std::function<void()>& action);

// A handler run in the guard; callable with as many of the signal's
// arguments as the handler takes (the connection finds the count).
template <class Handler>
struct GuardedHandler {
    Handler Run;
    template <class... Args>
    auto operator()(Args&&... args) -> decltype(Run(args...), void()) {
        RunGuarded([&] { Run(args...); });
    }
};

// Connects `signal` of `sender` to `handler`, run in the guard with the
// signal's arguments; the connection ends with `context`.  Every handler of
// the windowed programs is connected this way, so no handler body guards
// itself.
template <class Sender, class Signal, class Handler>
QMetaObject::Connection ConnectGuarded(Sender* sender, Signal signal, const QObject* context,
                                       Handler handler) {
    return QObject::connect(sender, signal, context, GuardedHandler<Handler>{std::move(handler)});
}

// Connects `signal` of `sender` to `receiver`'s `method` (no arguments), run
// in the guard.
template <class Sender, class Signal, class Receiver>
QMetaObject::Connection ConnectGuarded(Sender* sender, Signal signal, Receiver* receiver,
                                       void (Receiver::*method)()) {
    return ConnectGuarded(sender, signal, receiver, [receiver, method] { (receiver->*method)(); });
}

}  // namespace tarn::gui
