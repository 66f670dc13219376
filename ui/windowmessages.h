#ifndef QL5CONFIG_WINDOWMESSAGES_H
#define QL5CONFIG_WINDOWMESSAGES_H

#include <ql5/discovery.h>

#include <QEvent>

#include <cstdint>

class QObject;

namespace ql5 {

// The main window's own messages: the request to start a sweep, which it
// posts to itself, and the sweep's notice that records wait in the queue.
inline constexpr std::uint32_t WM_APP_START_SWEEP = 0x8001;
inline constexpr std::uint32_t WM_APP_REPLIES_WAITING = 0x8002;

// A message posted to a message window, delivered to a Qt object as an event.
class WindowMessageEvent : public QEvent
{
public:
    static QEvent::Type EventType();

    WindowMessageEvent(std::uint32_t message, std::uintptr_t firstParameter,
                       std::intptr_t secondParameter);

    std::uint32_t message() const { return message_; }
    std::uintptr_t firstParameter() const { return firstParameter_; }
    std::intptr_t secondParameter() const { return secondParameter_; }

private:
    std::uint32_t message_;
    std::uintptr_t firstParameter_;
    std::intptr_t secondParameter_;
};

// A message window of the discovery client that forwards every message
// posted to it, from any thread, to a Qt object as a WindowMessageEvent. The
// event is queued, never sent, so the receiver handles it on its own thread
// once the code that is running there has returned.
class MessageWindowBridge
{
public:
    explicit MessageWindowBridge(QObject* receiver);
    // Waits until no post to the window is in flight, so that nothing is
    // posted to the receiver once the bridge is gone.
    ~MessageWindowBridge();

    MessageWindowBridge(const MessageWindowBridge&) = delete;
    MessageWindowBridge& operator=(const MessageWindowBridge&) = delete;

    // Null when the client could not register the window.
    Ql5WindowHandle handle() const { return window_; }

    // Posts a message to the window, as the sweep does; -1 without a window.
    std::int32_t post(std::uint32_t message, std::uintptr_t firstParameter = 0,
                      std::intptr_t secondParameter = 0) const;

private:
    Ql5WindowHandle window_;
};

}  // namespace ql5

#endif
