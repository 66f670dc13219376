#include "blockingcall.h"

#include <QApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <memory>

namespace ql5 {

bool CallOffInterfaceThread(const std::function<void()>& call)
{
    QEventLoop loop;
    std::unique_ptr<QThread> thread(QThread::create(call));
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    // Nothing runs the event loop between start() and exec(), so the queued
    // quit of a call that finishes at once is still delivered inside exec().
    const int exitCode = loop.exec();
    const bool ranToTheEnd = exitCode == 0 && thread->isFinished();
    // When the application quits, every event loop returns early. The call
    // captures the caller's variables, so it must have finished before they
    // go out of scope, and a QThread must not be destroyed while it runs.
    thread->wait();
    return ranToTheEnd;
}

bool PauseInterfaceThread(std::chrono::milliseconds pause)
{
    QEventLoop loop;
    QTimer::singleShot(pause, &loop, &QEventLoop::quit);
    return loop.exec() == 0;
}

BusyScope::BusyScope(bool& busy, const QList<QWidget*>& inputs)
    : busy_(busy),
      focus_(QApplication::focusWidget())
{
    busy_ = true;
    for (QWidget* input : inputs) {
        inputs_.append({input, input->isEnabled()});
        input->setEnabled(false);
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyScope::~BusyScope()
{
    QApplication::restoreOverrideCursor();
    for (const auto& [input, wasEnabled] : inputs_) {
        if (input)
            input->setEnabled(wasEnabled);
    }
    if (focus_ && focus_->isEnabled())
        focus_->setFocus(Qt::OtherFocusReason);
    busy_ = false;
}

}  // namespace ql5
