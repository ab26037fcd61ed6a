// The desktop program as it is shipped, started as its own process: what its
// start-up leaves in place for the rest of its life.
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <csignal>
#include <optional>

namespace velmora {

namespace {

// Whether the process ignores sig, read from the signal mask the system
// shows for it; nothing when the process is gone.
std::optional<bool> IgnoresSignal(qint64 pid, int sig) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigIgn:")) {
            // A hexadecimal mask in which signal n is bit n - 1.
            const quint64 mask = line.mid(7).trimmed().toULongLong(nullptr, 16);
            return (mask >> (sig - 1) & 1) != 0;
        }
    }
    return std::nullopt;
}

}  // namespace

class ProgramStartTest : public QObject {
    Q_OBJECT

  private slots:
    // A save that crosses the shell's file size limit must fail like a full
    // disk rather than end the program with its rows unsaved; what such a
    // save does is in save_faults_test, which starts the way the program
    // does. Here: the program really starts that way.
    void programKeepsRunningPastTheFileSizeLimit() {
        QProcess program;
        program.setProgram(QStringLiteral(VELMORA_PROGRAM_BUILD_DIR "/velmora"));
        // The signal's default action, as after `ulimit -f` in a shell,
        // whatever started the tests: otherwise an ignored disposition
        // inherited from them would pass for the program's own.
        program.setChildProcessModifier([] { ::signal(SIGXFSZ, SIG_DFL); });
        program.start();
        QVERIFY(program.waitForStarted());
        const qint64 pid = program.processId();

        // The program sets it as it starts; a bound on the wait keeps a
        // program that never does from hanging the test.
        QDeadlineTimer deadline(60'000);
        std::optional<bool> ignored = IgnoresSignal(pid, SIGXFSZ);
        while (ignored == false && !deadline.hasExpired()) {
            QThread::msleep(20);
            ignored = IgnoresSignal(pid, SIGXFSZ);
        }
        const bool still_running = !program.waitForFinished(0);
        program.kill();
        program.waitForFinished();
        QVERIFY2(still_running, program.readAllStandardError().constData());
        QCOMPARE(ignored, std::optional<bool>(true));
    }
};

}  // namespace velmora

QTEST_GUILESS_MAIN(velmora::ProgramStartTest)
#include "program_start_test.moc"
