// SPDX-License-Identifier: GPL-3.0-or-later
// A download through the desktop program, offscreen: the main frame's
// command with the connection driver, the desktop front end (progress
// window, event processing while the series read blocks) and the document
// with its views, against the simulator paced to 38,400 baud on a
// pseudo-terminal.
//
//   DesktopDownload/16KiB_38400baud, /64KiB_38400baud
//
// Counters: line_s is the line time of every byte that crossed the line
// during the download (10 bits a character, counted from the wire trace),
// budget_s = 1.02 × line_s + 0.5 s, ratio = wall time / budget (≤ 1 meets
// it), max_paint_gap_ms the longest time between two paints of the progress
// window while it was shown (≤ 100 ms meets it).
//
//   build/bin/brelmora-bench-desktop_download
#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QProgressDialog>
#include <QTest>
#include <QTimer>
#include <QWizard>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "BenchSupport.h"
#include "app/AppMessages.h"
#include "app/BrelmoraApp.h"
#include "app/DesktopConnectionUi.h"
#include "app/MainFrame.h"
#include "connection/PaperConnection.h"
#include "connection/WizardSettings.h"
#include "data/PaperDoc.h"
#include "device/DeviceThread.h"
#include "views/connection/DevSelectSheet.h"

namespace {

constexpr int kPort = 7;
constexpr double kBaud = 38400.0;

std::string g_trace;

// Bytes read and written by the program so far, from the wire trace (one
// line per transfer: time, stream, read/write, bytes moved, ...).
uint64_t TracedBytes()
{
    std::ifstream in(g_trace);
    std::string line;
    uint64_t total = 0;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string time, stream, op;
        uint64_t moved = 0;
        if (std::getline(fields, time, '\t') && std::getline(fields, stream, '\t') && std::getline(fields, op, '\t') &&
            fields >> moved)
            total += moved;
    }
    return total;
}

// Paint times of the progress window (and its children).
class CPaintWatch : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && m_ui != nullptr && m_ui->ProgressWindow() != nullptr) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget != nullptr && (widget == m_ui->ProgressWindow() || m_ui->ProgressWindow()->isAncestorOf(widget)))
                Paint();
        }
        return false;
    }
    void Begin(CDesktopConnectionUi* ui)
    {
        m_ui = ui;
        m_last = -1;
        maxGapMs = 0;
        m_clock.start();
    }
    void Paint()
    {
        const qint64 now = m_clock.elapsed();
        if (m_last >= 0)
            maxGapMs = std::max(maxGapMs, now - m_last);
        m_last = now;
    }

    qint64 maxGapMs = 0;

private:
    CDesktopConnectionUi* m_ui = nullptr;
    QElapsedTimer m_clock;
    qint64 m_last = -1;
};

void RunDesktopDownload(benchmark::State& state, size_t bytes)
{
    BenchSupport::CPtySimulator sim(bytes, static_cast<uint32_t>(kBaud));
    if (!sim.Serve(state, kPort))
        return;
    CConnWizardSettings settings;
    settings.deviceType = 4;
    settings.portKind = Device::PORT_SERIAL;
    settings.scanAll = false;
    settings.comPort = kPort;
    settings.Store(CConnWizardSettings::DefaultKey());

    CBrelmoraApp app;
    app.ReadSettings();
    CMainFrame frame(app);
    frame.resize(1000, 700);
    frame.show();
    // The project is never saved; the wizard is finished with Return twice.
    AppMessages::SetQuestionSink([](const std::u16string&) { return AppMessages::answerNo; });
    AppMessages::SetMessageSink([](const SAppMessage&) {});
    frame.ConnectionUi().SetSheetObserver([](CDevSelectSheet& sheet) {
        auto* timer = new QTimer(&sheet);
        QObject::connect(timer, &QTimer::timeout, &sheet, [&sheet] {
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &sheet;
            if (sheet.currentId() == CDevSelectSheet::kPortPageId ||
                sheet.button(QWizard::FinishButton)->isEnabled())
                QTest::keyClick(target, Qt::Key_Return);
        });
        timer->start(20);
    });
    CPaintWatch watch;
    qApp->installEventFilter(&watch);

    double lineSeconds = 0;
    double wallSeconds = 0;
    qint64 maxGap = 0;
    bool connected = false;
    for (auto _ : state) {
        // The first round connects through the wizard, which is not timed.
        if (!connected) {
            state.PauseTiming();
            frame.Connection().Connect(true);
            connected = frame.Connection().GetDevice() != nullptr;
            state.ResumeTiming();
            if (!connected) {
                state.SkipWithError("the simulator was not found");
                break;
            }
        }
        const uint64_t before = TracedBytes();
        watch.Begin(&frame.ConnectionUi());
        QElapsedTimer wall;
        wall.start();
        const SDownloadReport report = frame.Connection().DownloadSeries(frame.GetDocument());
        const double seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
        if (report.result != EDownloadResult::Ok) {
            state.SkipWithError("download failed");
            break;
        }
        state.PauseTiming();
        lineSeconds += static_cast<double>(TracedBytes() - before) * 10.0 / kBaud;
        wallSeconds += seconds;
        maxGap = std::max(maxGap, watch.maxGapMs);
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    qApp->removeEventFilter(&watch);
    AppMessages::SetQuestionSink(nullptr);
    AppMessages::SetMessageSink(nullptr);
    const double n = static_cast<double>(std::max<int64_t>(1, static_cast<int64_t>(state.iterations())));
    const double line = lineSeconds / n;
    const double budget = 1.02 * line + 0.5;
    state.counters["series_bytes"] = static_cast<double>(sim.SeriesBytes());
    state.counters["line_s"] = line;
    state.counters["budget_s"] = budget;
    state.counters["ratio"] = (wallSeconds / n) / budget;
    state.counters["max_paint_gap_ms"] = static_cast<double>(maxGap);
    frame.Connection().Disconnect();
    sim.Stop();
}

void BM_Desktop16KiB(benchmark::State& state)
{
    RunDesktopDownload(state, 16u << 10);
}

void BM_Desktop64KiB(benchmark::State& state)
{
    RunDesktopDownload(state, 64u << 10);
}

} // namespace

BENCHMARK(BM_Desktop16KiB)->Name("DesktopDownload/16KiB_38400baud")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Desktop64KiB)->Name("DesktopDownload/64KiB_38400baud")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("BRELMORA_NO_SPLASH", "1");
    // Every transfer is traced, so the bytes on the line are counted exactly.
    g_trace = "/tmp/brelmora-bench-desktop-trace-" + std::to_string(getpid()) + ".txt";
    setenv("BRELMORA_TRACE", g_trace.c_str(), 1);
    QApplication application(argc, argv);
    const int result = BenchSupport::RunWithPrivateRegistry(argc, argv, "");
    Device::StopDeviceThread();
    std::remove(g_trace.c_str());
    return result;
}
