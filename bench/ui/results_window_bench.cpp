// Measures a batch of a million lines through the real handlers: from
// accepting the file dialog to the list showing its rows, scrolling through
// them, saving them, and the peak memory of the whole process.
//
//   results_window_bench [line count]      (default 1000000; runs offscreen)
#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "text/program_directory.h"
#include "ui/main_window.h"
#include "ui/report_list.h"
#include "ui/results_window.h"
#include "window_driver.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Packed angles as a field book holds them, some with blanks around them.
QByteArray AnglesFile(int lines) {
    std::mt19937 random(20240521);
    std::uniform_int_distribution<int> degrees(0, 359), minutes(0, 59), seconds(0, 5999);
    QByteArray file;
    char line[48];
    for (int i = 0; i < lines; ++i) {
        const char* blanks = (i % 10 == 0) ? "  " : "";
        std::snprintf(line, sizeof line, "%s%d.%02d%04d%s\r\n", blanks, degrees(random),
                      minutes(random), seconds(random), blanks);
        file.append(line);
    }
    return file;
}

long PeakResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmHWM:") {
            status >> value;
            return value;
        }
        status.ignore(1 << 12, '\n');
    }
    return -1;
}

}  // namespace

int main(int argc, char* argv[]) {
    const int lines = argc > 1 ? std::atoi(argv[1]) : 1000000;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("angles.txt"));
    if (!velmora::testing::WriteBytes(path, AnglesFile(lines))) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    velmora::OverrideProgramDirectory(folder.path().toStdString());

    auto* main_window = new velmora::MainWindow;
    main_window->show();
    QApplication::processEvents();

    // Batch: the clock starts when the dialog is answered.
    Clock::time_point accepted;
    {
        const velmora::testing::ModalAnswer choose([&](QWidget* modal) {
            accepted = Clock::now();
            velmora::testing::ChooseFileInDialog(path)(modal);
        });
        main_window->按钮2->click();
    }
    auto* results = main_window->findChild<velmora::ResultsWindow*>();
    velmora::ReportList& list = *results->超级列表框1;
    while (list.model()->rowCount() < lines) {
        QApplication::processEvents();
    }
    list.viewport()->repaint();
    const double shown_ms = MillisecondsSince(accepted);

    // Scrolling: page by page from the top, then a jump to the end and back,
    // each step painted at once.
    constexpr int kScrollSteps = 200;
    const Clock::time_point scroll_start = Clock::now();
    QScrollBar* bar = list.verticalScrollBar();
    for (int step = 0; step < kScrollSteps; ++step) {
        if (step == kScrollSteps / 2) {
            bar->setValue(bar->maximum());
        } else {
            bar->triggerAction(step < kScrollSteps / 2 ? QAbstractSlider::SliderPageStepAdd
                                                       : QAbstractSlider::SliderPageStepSub);
        }
        list.viewport()->repaint();
    }
    const double scroll_ms = MillisecondsSince(scroll_start) / kScrollSteps;

    // Save: from the click to the message box that reports the outcome.
    double save_ms = 0;
    velmora::testing::SeenMessage outcome;
    const Clock::time_point clicked = Clock::now();
    {
        const velmora::testing::ModalAnswer acknowledge([&](QWidget* modal) {
            save_ms = MillisecondsSince(clicked);
            velmora::testing::AcknowledgeMessage(outcome)(modal);
        });
        results->按钮1->click();
    }

    const qint64 saved_bytes = QFile(folder.filePath(velmora::testing::kResultsFile)).size();
    std::printf("lines                         %d\n", lines);
    std::printf("dialog accepted -> rows shown %.0f ms\n", shown_ms);
    std::printf("one scroll step, painted      %.2f ms\n", scroll_ms);
    std::printf("save (click -> message)       %.0f ms, %lld bytes, %s\n", save_ms,
                static_cast<long long>(saved_bytes), qPrintable(outcome.text));
    std::printf("peak resident memory (VmHWM)  %.0f MB\n", PeakResidentKilobytes() / 1024.0);
    delete main_window;
    return 0;
}
