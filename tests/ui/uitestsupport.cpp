// SPDX-License-Identifier: Apache-2.0
#include "uitestsupport.h"

#include "support/lab_environment.h"
#include "support/simulator_process.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTest>

#include <algorithm>
#include <cstring>

namespace ql5::uitest {

ModalWatcher::ModalWatcher(DialogHandler handler)
    : handler_(std::move(handler))
{
    connect(&timer_, &QTimer::timeout, this, &ModalWatcher::check);
    timer_.start(10);
}

void ModalWatcher::check()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr)
        return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        if (!box->isVisible())
            return;
        messages_.append({box->windowTitle(), box->text(), box->textFormat(), box->icon(),
                          box->standardButtons(), box->parentWidget(),
                          box->textInteractionFlags()});
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->done(0);
        return;
    }
    auto* dialog = qobject_cast<QDialog*>(modal);
    if (dialog == nullptr || !dialog->isVisible() || handled_.contains(dialog))
        return;
    handled_.append(dialog);
    if (handler_)
        handler_(dialog);
    else
        dialog->reject();
}

std::vector<std::vector<std::uint8_t>> LoggedRequests(const ql5::lab::SimulatorProcess& sim,
                                                      std::uint16_t messageType)
{
    std::vector<std::vector<std::uint8_t>> found;
    for (const auto& datagram : sim.ReceivedDatagrams()) {
        const auto& bytes = datagram.bytes;
        if (bytes.size() >= 8 && ((bytes[4] << 8) | bytes[5]) == messageType)
            found.push_back(bytes);
    }
    return found;
}

std::vector<std::uint8_t> Request(std::uint16_t messageType,
                                  const std::vector<std::uint8_t>& payload)
{
    const auto length = static_cast<std::uint16_t>(payload.size());
    std::vector<std::uint8_t> bytes(8 + payload.size());
    bytes[0] = 0x44;  // the protocol magic
    bytes[1] = 0x49;
    bytes[2] = 0x47;
    bytes[3] = 0x49;
    bytes[4] = static_cast<std::uint8_t>(messageType >> 8);  // message type
    bytes[5] = static_cast<std::uint8_t>(messageType);
    bytes[6] = static_cast<std::uint8_t>(length >> 8);  // payload length
    bytes[7] = static_cast<std::uint8_t>(length);
    std::copy(payload.begin(), payload.end(), bytes.begin() + 8);
    return bytes;
}

int ThreadCount()
{
    return static_cast<int>(QDir(QStringLiteral("/proc/self/task"))
                                .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                                .size());
}

bool StartSimulator(ql5::lab::SimulatorProcess& sim, const char* fleetJson)
{
    if (!ql5::lab::InLab()) {
        qWarning("this test runs in the private network lab: scripts/lab run -- %s",
                 qPrintable(QCoreApplication::applicationFilePath()));
        return false;
    }
    const ::testing::AssertionResult started =
        sim.Start(ql5::lab::ConverterNamespace(1), fleetJson);
    if (!started)
        qWarning("the simulator did not start: %s", started.message());
    return static_cast<bool>(started);
}

}  // namespace ql5::uitest
