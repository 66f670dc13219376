#include "windowmessages.h"

#include <QCoreApplication>

#include <new>

namespace ql5 {

namespace {

// Runs on whichever thread posts, usually the sweep thread. It only queues
// an event for the receiver's thread, and no exception may leave it, since
// the discovery client calls it through its C interface.
void ForwardMessage(Ql5WindowHandle, std::uint32_t message, std::uintptr_t firstParameter,
                    std::intptr_t secondParameter, void* userData)
{
    try {
        auto* event =
            new (std::nothrow) WindowMessageEvent(message, firstParameter, secondParameter);
        if (event != nullptr)
            QCoreApplication::postEvent(static_cast<QObject*>(userData), event);
    } catch (...) {
        // A notification that cannot be queued is lost; the next one of the
        // sweep still comes, because the records stay in the queue.
    }
}

}  // namespace

QEvent::Type WindowMessageEvent::EventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

WindowMessageEvent::WindowMessageEvent(std::uint32_t message, std::uintptr_t firstParameter,
                                       std::intptr_t secondParameter)
    : QEvent(EventType()),
      message_(message),
      firstParameter_(firstParameter),
      secondParameter_(secondParameter)
{
}

MessageWindowBridge::MessageWindowBridge(QObject* receiver)
    : window_(Ql5CreateMessageWindow(&ForwardMessage, receiver))
{
    // The event type is registered on the interface thread, before any post
    // can arrive, so that the sweep thread never has to register it.
    WindowMessageEvent::EventType();
}

MessageWindowBridge::~MessageWindowBridge()
{
    Ql5DestroyMessageWindow(window_);
}

std::int32_t MessageWindowBridge::post(std::uint32_t message, std::uintptr_t firstParameter,
                                       std::intptr_t secondParameter) const
{
    return Ql5PostWindowMessage(window_, message, firstParameter, secondParameter);
}

}  // namespace ql5
