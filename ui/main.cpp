// The desktop program: prepares the process, opens MainWindow and runs until
// the last window is gone.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <cfenv>

#include "text/files.h"
#include "text/program_directory.h"
#include "ui/main_window.h"
#include "ui/toolkit.h"

int main(int argc, char* argv[]) {
    velmora::FailWritesBeyondFileSizeLimit();
    // The program's directory is where the results file is written; it is
    // also the working directory, so relative names mean the same thing.
    const std::string& directory = velmora::InitProgramDirectory();
    QDir::setCurrent(QFile::decodeName(QByteArray::fromStdString(directory)));

    QApplication application(argc, argv);
    // X11 never shows an empty caption: Qt puts the application's name into
    // it, so the results window (whose caption is empty) reads "Velmora"
    // rather than the executable's file name.
    QApplication::setApplicationName(QStringLiteral("Velmora"));

    // The angle arithmetic is exact to the last digit only in the unit's
    // default state: extended precision, round to nearest, all exceptions
    // masked. Set after the toolkit has started, so that nothing it loaded
    // on the way can leave another state behind.
    std::fesetenv(FE_DFL_ENV);

    QPointer<velmora::MainWindow> main_window;
    velmora::LoadWindow(main_window);
    return velmora::RunEventLoop();
}
