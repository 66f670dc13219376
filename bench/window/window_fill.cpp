// SPDX-License-Identifier: Apache-2.0
// Figure 5: a refresh of the main window answered by 10,000 simulated
// converters, on Qt's offscreen platform. The records take the road the
// utility gives them: the sweep thread posts its notification, the window's
// handler drains the queue and appends one row per record. Measured: the time
// from showing the window until all rows are in the list and the list has been
// painted with them, and the process's peak resident memory.
//
//   ql5_window_bench [--out FILE] [--count N] [--runs N]   (inside scripts/lab run)
//
// Each run is one window: made, shown, filled, and destroyed again.
#include "bench_support.h"
#include "converterlistdialog.h"
#include "support/lab_environment.h"
#include "support/simulator_process.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QTreeWidget>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using ql5::bench::Clock;

double PeakResidentMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
}

std::string FleetJson(int count)
{
    return R"({"generate": {"count": )" + std::to_string(count) +
           R"(, "namePrefix": "Converter ", "template": {"mask": "255.254.0.0",
              "gateway": "198.18.0.254", "dhcp": 0, "hardwareType": 7,
              "productName": "QL5 Core Module", "firmware": "2.4.1", "serialLinkPort": 4001,
              "portCount": 1}}})";
}

// Ends the event loop at the first paint of the list that shows every row.
class PaintWatcher : public QObject {
public:
    PaintWatcher(QTreeWidget* list, int expected) : list_(list), expected_(expected) {}
    bool Done() const { return done_; }
    Clock::time_point DoneAt() const { return doneAt_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const bool result = QObject::eventFilter(watched, event);
        if (!done_ && event->type() == QEvent::Paint && list_->topLevelItemCount() >= expected_) {
            done_ = true;
            doneAt_ = Clock::now();
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return result;
    }

private:
    QTreeWidget* list_;
    int expected_;
    bool done_ = false;
    Clock::time_point doneAt_{};
};

}  // namespace

int main(int argc, char** argv)
{
    std::string out = "window.json";
    int count = 10000;
    int runs = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--out")
            out = argv[i + 1];
        else if (option == "--count")
            count = std::atoi(argv[i + 1]);
        else if (option == "--runs")
            runs = std::atoi(argv[i + 1]);
    }
    if (!ql5::lab::InLab() || count < 1 || runs < 1) {
        std::fprintf(stderr,
                     "usage (inside scripts/lab run): ql5_window_bench [--out FILE] "
                     "[--count N] [--runs N]\n");
        return 2;
    }
    ql5::lab::SimulatorProcess simulator;
    const auto started = simulator.Start(ql5::lab::ConverterNamespace(1), FleetJson(count));
    if (!started) {
        std::fprintf(stderr, "bench: %s\n", started.message());
        return 1;
    }
    // As in the sweep benchmark: the simulated fleet's sending stays off the
    // processor on which the window and its sweep run.
    const bool pinned = ql5::bench::SeparateFromSimulator(simulator.Pid());

    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    double peakEmptyWindow = 0;
    std::vector<double> rates;
    int rows = 0;
    bool done = true;
    for (int run = 0; run < runs; ++run) {
        // The window posts itself the start of the sweep when it is made; the
        // sweep starts once the event loop runs, after show().
        ConverterListDialog window;
        PaintWatcher watcher(window.list(), count);
        window.list()->viewport()->installEventFilter(&watcher);
        if (run == 0)
            peakEmptyWindow = PeakResidentMegabytes();
        QTimer safetyNet;
        safetyNet.setSingleShot(true);
        QObject::connect(&safetyNet, &QTimer::timeout, &application, &QCoreApplication::quit);
        safetyNet.start(30000);

        const auto start = Clock::now();
        window.show();
        application.exec();
        const double seconds = std::chrono::duration<double>(
                                   (watcher.Done() ? watcher.DoneAt() : Clock::now()) - start)
                                   .count();
        rows = window.list()->topLevelItemCount();
        done = done && watcher.Done();
        rates.push_back(watcher.Done() ? rows / seconds : 0);
        std::fprintf(stderr, "bench: run %d: %d rows shown in %.3f s (%.0f rows/s)\n", run + 1,
                     rows, seconds, rates.back());
    }
    const double peak = PeakResidentMegabytes();
    simulator.Stop();

    const double rowsPerSecond = ql5::bench::Median(rates);
    std::fprintf(stderr,
                 "bench: median %.0f rows/s, peak %.1f MB (%.1f MB before the first sweep)\n",
                 rowsPerSecond, peak, peakEmptyWindow);
    const std::string label = std::to_string(count) + " records into the main window";
    std::vector<ql5::bench::Row> table = {
        {"5 Window",
         label + ": rows per second (median of " + std::to_string(runs) + " refreshes)",
         rowsPerSecond,
         "rows/s",
         {},
         ">= 20000 rows/s",
         rowsPerSecond >= 20000,
         done ? "from show() to the first paint with every row" : "not every row arrived"},
        {"5 Window", label + ": peak resident memory of the process", peak, "MB", peakEmptyWindow,
         "< 80 MB", peak < 80, "baseline: peak with the empty window, before the first sweep"},
    };
    nlohmann::json details = {
        {"rows", rows}, {"rows_per_second", rates}, {"all_rows_shown", done}, {"pinned", pinned}};
    return ql5::bench::WriteRows(out, table, details) ? 0 : 1;
}
