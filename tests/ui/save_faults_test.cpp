// Saving from ResultsWindow when the write fails, through the real save
// handler: the user is told "保存失败！", the previous results file keeps every
// byte, no temporary file is left beside it, and the window stays open with
// all its rows, so that once the cause is gone the same rows save.
//
// A write failing halfway and a failing flush are made by this program's own
// write() and fsync(): defined here, they take the place of the C library's
// for every caller in the process, the save's file writer included, and pass
// each call on unchanged unless a fault is armed for the directory that the
// file lies in. The writer under test is the one the program ships.
//
// A shell's file size limit is this process's own RLIMIT_FSIZE, lowered for
// the one save, with SIGXFSZ set as the program's start-up sets it.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QMap>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "../text/small_disk.h"
#include "text/files.h"
#include "text/program_directory.h"
#include "ui/main_window.h"
#include "ui/report_list.h"
#include "ui/results_window.h"
#include "ui/toolkit.h"
#include "window_driver.h"

namespace {

// A fault for the files of one directory, armed while armed_fault points to it.
struct ArmedFault {
    std::string directory;         // with a trailing slash
    std::size_t write_budget = 0;  // bytes stored before every further write fails
    bool fail_flush = false;
    std::size_t stored = 0;
};
std::atomic<ArmedFault*> armed_fault = nullptr;

// The armed fault when fd is a file in its directory, otherwise null.
ArmedFault* FaultFor(int fd) {
    ArmedFault* fault = armed_fault.load();
    if (fault == nullptr) {
        return nullptr;
    }
    char path[4096];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t size = ::readlink(link.c_str(), path, sizeof path);
    if (size <= 0 ||
        std::string_view(path, static_cast<std::size_t>(size)).substr(0, fault->directory.size()) !=
            fault->directory) {
        return nullptr;
    }
    return fault;
}

template <class Function>
Function* NextDefinition(const char* name) {
    return reinterpret_cast<Function*>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" ssize_t write(int fd, const void* bytes, size_t count) {
    static auto* const next = NextDefinition<ssize_t(int, const void*, size_t)>("write");
    const int saved_errno = errno;
    ArmedFault* fault = FaultFor(fd);
    errno = saved_errno;
    if (fault == nullptr) {
        return next(fd, bytes, count);
    }
    // Stores what the budget allows, as a disk filling up does, then fails.
    if (fault->stored >= fault->write_budget) {
        errno = ENOSPC;
        return -1;
    }
    const ssize_t n = next(fd, bytes, std::min(count, fault->write_budget - fault->stored));
    fault->stored += n > 0 ? static_cast<std::size_t>(n) : 0;
    return n;
}

extern "C" int fsync(int fd) {
    static auto* const next = NextDefinition<int(int)>("fsync");
    const ArmedFault* fault = FaultFor(fd);
    if (fault != nullptr && fault->fail_flush) {
        errno = EIO;
        return -1;
    }
    return next(fd);
}

namespace velmora {

using testing::ChooseFileInDialog;
using testing::kResultsFile;
using testing::Rows;
using testing::RowsOf;
using testing::SeenMessage;

enum class Fault {
    kDirectoryCannotExist,
    kNameTakenByDirectory,
    kWriteFailsHalfway,
    kFlushFails,
    kDiskFull,
    kFileSizeLimit
};

}  // namespace velmora

Q_DECLARE_METATYPE(velmora::Fault)

namespace velmora {

namespace {

using FileContents = QMap<QString, QByteArray>;

// Every file under root, hidden ones included (a temporary file's name
// starts with a dot), by its path below root.
FileContents FilesUnder(const QString& root) {
    FileContents files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(root).relativeFilePath(path), testing::ReadBytes(path));
    }
    return files;
}

const QByteArray kPreviousResults = "30.6------0.5410520681028\r\n";
const QByteArray kAngles = "180\r\n\r\n 1 \r\n";
const Rows kRows = {{"180", "3.1415926535"}, {"", "0"}, {" 1 ", "0.01745329251944"}};
const QByteArray kSaved = "180------3.1415926535\r\n------0\r\n 1 ------0.01745329251944\r\n";

}  // namespace

class SaveFaultsTest : public QObject, private testing::BatchWindowFixture {
    Q_OBJECT

  private slots:
    void initTestCase() {
        // As the program starts. The signal is put back to its default
        // first, so that a disposition inherited from whoever started the
        // tests cannot hide a start-up that leaves it alone.
        std::signal(SIGXFSZ, SIG_DFL);
        FailWritesBeyondFileSizeLimit();
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &file_size_limit_) == 0);
    }

    void init() {
        QVERIFY(inputs_.emplace().isValid());
        Open();
    }

    void cleanup() {
        armed_fault = nullptr;
        ::setrlimit(RLIMIT_FSIZE, &file_size_limit_);
        Close();
        disk_.reset();
        inputs_.reset();
    }

    void failedSaveLosesNothingAndTheNextSaveSucceeds_data() {
        QTest::addColumn<Fault>("fault");
        QTest::newRow("program directory under a regular file") << Fault::kDirectoryCannotExist;
        QTest::newRow("results file's name taken by a directory") << Fault::kNameTakenByDirectory;
        QTest::newRow("write fails halfway") << Fault::kWriteFailsHalfway;
        QTest::newRow("flush fails") << Fault::kFlushFails;
        QTest::newRow("disk full") << Fault::kDiskFull;
        QTest::newRow("shell file size limit") << Fault::kFileSizeLimit;
    }

    void failedSaveLosesNothingAndTheNextSaveSucceeds() {
        QFETCH(Fault, fault);
        const QString directory = ProgramDirectoryFor(fault);
        if (directory.isEmpty()) {
            QSKIP(disk_->why_not().c_str());
        }
        OverrideProgramDirectory(directory.toStdString());
        QVERIFY(testing::WriteBytes(directory + "/" + kResultsFile, kPreviousResults));
        RunBatch();
        QPointer<ResultsWindow> results = Results();

        CauseFault(fault);
        const FileContents before = FilesUnder(WatchedFolder(fault));
        const SeenMessage failure = Save();
        QVERIFY(failure.seen);
        QCOMPARE(failure.icon, QMessageBox::Warning);
        QCOMPARE(failure.caption, QString::fromUtf16(u"失败"));
        QCOMPARE(failure.text, QString::fromUtf16(u"保存失败！"));
        if (fault == Fault::kWriteFailsHalfway) {
            QCOMPARE(fault_.stored, fault_.write_budget);  // half was on disk when it failed
        }
        // Every file as it was, and none added.
        QCOMPARE(FilesUnder(WatchedFolder(fault)), before);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!results.isNull());
        QVERIFY(results->isVisible());
        QCOMPARE(RowsOf(*results->超级列表框1), kRows);

        RemoveCause(fault);
        const SeenMessage success = Save();
        QCOMPARE(success.text, QString::fromUtf16(u"保存成功！"));
        const QString saved = ProgramDirectory().c_str() + QStringLiteral("/") + kResultsFile;
        QCOMPARE(testing::ReadBytes(saved), kSaved);
        for (const QString& name : FilesUnder(WatchedFolder(fault)).keys()) {
            QVERIFY2(!name.endsWith(QStringLiteral(".tmp")), qPrintable(name));
        }
        QTRY_VERIFY(results.isNull());
    }

  private:
    // Where the results file is to be saved, with the previous results in it;
    // empty when a small disk cannot be had here.
    QString ProgramDirectoryFor(Fault fault) {
        if (fault != Fault::kDiskFull) {
            return folder_->path();
        }
        disk_.emplace(64 * 1024);
        return disk_->mounted() ? QString::fromStdString(disk_->path()) : QString();
    }

    // The folder whose files a failed save must leave as they were.
    QString WatchedFolder(Fault fault) const {
        return fault == Fault::kDiskFull ? QString::fromStdString(disk_->path()) : folder_->path();
    }

    void CauseFault(Fault fault) {
        const QString results = folder_->filePath(kResultsFile);
        switch (fault) {
            case Fault::kDirectoryCannotExist:
                // Root is not stopped by permissions, but nobody can make a
                // directory inside a regular file.
                OverrideProgramDirectory(
                    folder_->filePath(kResultsFile + QStringLiteral("/results")).toStdString());
                break;
            case Fault::kNameTakenByDirectory:
                QVERIFY(QFile::remove(results));
                QVERIFY(QDir(folder_->path()).mkdir(kResultsFile));
                QVERIFY(testing::WriteBytes(results + "/kept.txt", kPreviousResults));
                break;
            case Fault::kWriteFailsHalfway:
                Arm(kSaved.size() / 2, false);
                break;
            case Fault::kFlushFails:
                Arm(SIZE_MAX, true);
                break;
            case Fault::kDiskFull:
                QVERIFY(FillDisk());
                break;
            case Fault::kFileSizeLimit:
                LimitFileSize(kSaved.size() / 2);
                break;
        }
    }

    void RemoveCause(Fault fault) {
        switch (fault) {
            case Fault::kDirectoryCannotExist:
                OverrideProgramDirectory(folder_->path().toStdString());
                break;
            case Fault::kNameTakenByDirectory:
                QVERIFY(QDir(folder_->filePath(kResultsFile)).removeRecursively());
                break;
            case Fault::kWriteFailsHalfway:
            case Fault::kFlushFails:
                armed_fault = nullptr;
                break;
            case Fault::kDiskFull:
                QVERIFY(QFile::remove(QString::fromStdString(disk_->Path("filler"))));
                break;
            case Fault::kFileSizeLimit:
                QVERIFY(::setrlimit(RLIMIT_FSIZE, &file_size_limit_) == 0);
                break;
        }
    }

    void Arm(std::size_t write_budget, bool fail_flush) {
        fault_ = {.directory = folder_->path().toStdString() + "/",
                  .write_budget = write_budget,
                  .fail_flush = fail_flush};
        armed_fault = &fault_;
    }

    // As `ulimit -f` does in the shell: no file of this process may grow
    // past bytes, while the results file already on disk is smaller.
    void LimitFileSize(rlim_t bytes) {
        QVERIFY(static_cast<rlim_t>(kPreviousResults.size()) < bytes);
        const rlimit lowered{bytes, file_size_limit_.rlim_max};
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &lowered) == 0);
    }

    // Fills the small disk to its last byte.
    bool FillDisk() {
        const int filler =
            ::open(disk_->Path("filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        const std::string page(4096, 'f');
        while (filler >= 0 && ::write(filler, page.data(), page.size()) > 0) {
        }
        const bool full = errno == ENOSPC;
        ::close(filler);
        return full;
    }

    void RunBatch() {
        const QString path = inputs_->filePath(QStringLiteral("angles.txt"));
        QVERIFY(testing::WriteBytes(path, kAngles));
        AnswerBatchDialog(ChooseFileInDialog(path));
    }

    std::optional<QTemporaryDir> inputs_;  // the batch's input, apart from the results
    std::optional<testing::SmallDisk> disk_;
    ArmedFault fault_;
    rlimit file_size_limit_{};  // as the tests started
};

}  // namespace velmora

QTEST_MAIN(velmora::SaveFaultsTest)
#include "save_faults_test.moc"
