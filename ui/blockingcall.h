#ifndef QL5CONFIG_BLOCKINGCALL_H
#define QL5CONFIG_BLOCKINGCALL_H

#include <QList>
#include <QPointer>
#include <QWidget>

#include <chrono>
#include <functional>
#include <type_traits>
#include <utility>

namespace ql5 {

// The requests of the discovery client block their thread for up to 15 s. A
// window runs them through CallOffInterfaceThread instead of calling them
// directly: the call runs on a thread of its own while the interface thread
// goes on painting and delivering events, and CallOffInterfaceThread returns
// once the call has returned, so the code around it reads as if it had called
// the client itself.
//
// The return value says whether the interface thread's event loop ran until
// the call had finished. It is false when the application was told to quit
// meanwhile; the call has then still finished (it is always waited for, so no
// thread outlives it), but the caller should end what it is doing instead of
// starting the next step.
bool CallOffInterfaceThread(const std::function<void()>& call);

template <typename Call>
bool CallOffInterfaceThread(Call&& call, std::invoke_result_t<Call>& result)
{
    return CallOffInterfaceThread([&] { result = call(); });
}

// Lets the interface thread run for the given time, as a pause that keeps the
// windows painted. Returns false when the application was told to quit.
bool PauseInterfaceThread(std::chrono::milliseconds pause);

// While a BusyScope lives, busy is true, the given inputs are disabled and
// the busy cursor is shown. Each input gets back the enabled state it had, and
// the keyboard focus returns to where it was. A window that holds a flag for
// its BusyScope refuses to close while the flag is set.
class BusyScope
{
public:
    BusyScope(bool& busy, const QList<QWidget*>& inputs);
    ~BusyScope();

    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& busy_;
    QList<std::pair<QPointer<QWidget>, bool>> inputs_;
    QPointer<QWidget> focus_;
};

}  // namespace ql5

#endif
