// Hostile files through the window's real batch handler, chosen in the file
// dialog as a user would: each gives its defined rows (or none), the list
// shows them without trouble, and the command neither waits, nor reads what
// it need not, nor reports anything. A batch of a million lines then saves
// exactly the bytes the converter writes for the same file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "text/program_directory.h"
#include "text/results.h"
#include "ui/batch_rows.h"
#include "ui/main_window.h"
#include "ui/report_list.h"
#include "ui/results_window.h"
#include "ui/toolkit.h"
#include "window_driver.h"

namespace velmora {

using testing::AcknowledgeMessage;
using testing::ChooseFileInDialog;
using testing::ModalAnswer;
using testing::Rows;
using testing::RowsOf;
using testing::SeenMessage;

namespace {

// Bytes this process has asked read() and its kin for so far.
qint64 BytesReadSoFar() {
    std::ifstream io("/proc/self/io");
    std::string key;
    qint64 value = -1;
    while (io >> key >> value) {
        if (key == "rchar:") {
            return value;
        }
    }
    return -1;
}

// A mixed field book: angles with and without blanks, empty lines, GBK text,
// letters, numbers too large, tabs and ideographic spaces, drawn from a fixed
// sequence so every run converts the same file.
std::string MixedLines(int count) {
    static constexpr const char* kShapes[] = {
        "123.456789",
        "  30.6  ",
        "",
        "\t180",
        "\xA1\xA1"
        "1\xA1\xA1",
        "12.59abc",
        "1e400",
        "-1e400",
        "\xBD\xC7\xB6\xC8",
        "-0.0001",
        "359.595999",
        "abc",
    };
    std::string text;
    std::uint32_t state = 20240521;
    for (int i = 0; i < count; ++i) {
        state = state * 1664525u + 1013904223u;
        const std::size_t shape = (state >> 16) % std::size(kShapes);
        if (shape == 0) {
            text += std::to_string(state % 360) + "." + std::to_string(state % 59999);
        } else {
            text += kShapes[shape];
        }
        text += "\r\n";
    }
    return text;
}

// Runs release from another thread if the test is still running after a
// generous while, so that a command waiting on a pipe makes the test fail
// instead of hanging it.
class HangGuard {
  public:
    explicit HangGuard(std::function<void()> release)
        : release_(std::move(release)), thread_([this] { Run(); }) {}
    ~HangGuard() {
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    HangGuard(const HangGuard&) = delete;
    HangGuard& operator=(const HangGuard&) = delete;

    bool Released() const { return released_; }

  private:
    void Run() {
        std::unique_lock lock(mutex_);
        if (!wake_.wait_for(lock, std::chrono::seconds(30), [this] { return done_; })) {
            released_ = true;
            release_();
        }
    }

    std::function<void()> release_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::atomic<bool> released_ = false;
    std::thread thread_;
};

}  // namespace

class HostileBatchTest : public QObject, private testing::BatchWindowFixture {
    Q_OBJECT

  private slots:
    void init() { Open(); }
    void cleanup() { Close(); }

    void cutAndMalformedTextsGiveTheirRowsAndShowThem_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Rows>("rows");
        // Column 0 of the last row as the list displays it, by the code page's
        // table: 0x80 is the euro sign, 0xFF a private-use character, a lead
        // byte without a valid second byte the replacement character. Only a
        // lead byte at the very end has nothing to show.
        QTest::addColumn<QString>("shown");
        QTest::newRow("NUL bytes only") << QByteArray(64 * 1024, '\0') << Rows{} << QString();
        QTest::newRow("NUL as the second byte of a GBK pair")
            << QByteArray(
                   "180\r\n\xBD\0"
                   "1\r\n",
                   9)
            << Rows{{"180", "3.1415926535"}, {"\xBD", "0"}} << QString();
        QTest::newRow("invalid GBK") << QByteArray("1\r\n\x80\x80\xFF\xFF\r\n")
                                     << Rows{{"1", "0.01745329251944"}, {"\x80\x80\xFF\xFF", "0"}}
                                     << QString::fromUtf16(u"\u20AC\u20AC\uF8F5\uF8F5");
        QTest::newRow("truncated GBK at the end of the file")
            << QByteArray("1\r\n\xBD\xC7\xB6")
            << Rows{{"1", "0.01745329251944"}, {"\xBD\xC7\xB6", "0"}} << QString::fromUtf16(u"角");
        QTest::newRow("lead byte takes the CR of CR LF")
            << QByteArray("1\r\n\xBD\r\n2\r\n")
            << Rows{{"1", "0.01745329251944"}, {"\xBD\r\n2", "0"}}
            << QString::fromUtf16(u"\uFFFD\r\n2");
        const QString angles = QStringLiteral("123.456789\r\n30.6\r\n");
        QTest::newRow("UTF-16 LE with its mark")
            << QByteArray("\xFF\xFE") +
                   QByteArray(reinterpret_cast<const char*>(angles.utf16()), angles.size() * 2)
            << Rows{{"\xFF\xFE"
                     "1",
                     "0"}}
            << QString::fromUtf16(u"\uF8F5\uFFFD1");
        QByteArray big_endian("\xFE\xFF");
        for (QChar c : angles) {
            big_endian.append('\0').append(static_cast<char>(c.unicode()));
        }
        QTest::newRow("UTF-16 BE with its mark")
            << big_endian << Rows{{"\xFE\xFF", "0"}} << QString::fromUtf16(u"\uFFFD\uF8F5");
    }

    void cutAndMalformedTextsGiveTheirRowsAndShowThem() {
        QFETCH(QByteArray, file);
        QFETCH(Rows, rows);
        QFETCH(QString, shown);
        RunBatchOn(NewFile(std::string_view(file.constData(), file.size())));
        QVERIFY(Results() != nullptr);
        QCOMPARE(RowsOf(List()), rows);
        ShowAllRows();
        if (!rows.isEmpty()) {
            QCOMPARE(DisplayedAt(rows.size() - 1, 0), shown);
        }
    }

    void singleLongLineIsOneRowHoldingItAll() {
        // 100 MiB without a CR LF: one cell of that size. Leading blank and a
        // packed angle in front, then digits all the way.
        std::string line = " 123.456789";
        constexpr std::size_t kSize = std::size_t{100} << 20;
        line.reserve(kSize);
        while (line.size() < kSize) {
            line.push_back(static_cast<char>('0' + line.size() % 10));
        }
        RunBatchOn(NewFile(line));
        QCOMPARE(RowCount(List()), 1);
        QVERIFY(List().Rows().CellText(0, 0) == line);  // not QCOMPARE: 100 MiB to print
        QCOMPARE(GetCellText(List(), 0, 1), RadiansTextOfLine(line));
        // The list shows the start of the line and an ellipsis, not all of it.
        ShowAllRows();
        const QString displayed = DisplayedAt(0, 0);
        QVERIFY(displayed.startsWith(QStringLiteral(" 123.4567891234")));
        QVERIFY(displayed.endsWith(QChar(0x2026)));
        QVERIFY(displayed.size() <= 4097);
    }

    void manyEmptyLinesAreEachARow() {
        constexpr int kLines = 10'000'000;
        std::string file;
        file.reserve(2 * kLines);
        for (int i = 0; i < kLines; ++i) {
            file += "\r\n";
        }
        RunBatchOn(NewFile(file));
        file = std::string();
        const ReportModel& rows = List().Rows();
        QCOMPARE(rows.StoredRowCount(), kLines);
        for (int row = 0; row < kLines; ++row) {
            if (!rows.CellText(row, 0).empty() || rows.CellText(row, 1) != "0") {
                QFAIL(qPrintable(QStringLiteral("row %1 is not an empty line beside 0").arg(row)));
            }
        }
        ShowAllRows();
        List().scrollToBottom();
        List().viewport()->repaint();
        QCOMPARE(DisplayedAt(kLines - 1, 1), QStringLiteral("0"));
    }

    void namedPipeGivesNoRowsWithoutWaiting_data() {
        QTest::addColumn<bool>("writer_holds_it");
        QTest::newRow("nobody writes") << false;
        QTest::newRow("a writer holds it open with angles in it") << true;
    }

    void namedPipeGivesNoRowsWithoutWaiting() {
        QFETCH(bool, writer_holds_it);
        const QString path = folder_->filePath(QStringLiteral("pipe"));
        const std::string name = path.toStdString();
        QCOMPARE(::mkfifo(name.c_str(), 0600), 0);
        // Opened for reading and writing, the pipe has a writer that has not
        // finished: a reader would wait until it closes.
        std::atomic<int> writer = writer_holds_it ? ::open(name.c_str(), O_RDWR | O_CLOEXEC) : -1;
        if (writer_holds_it) {
            QVERIFY(writer >= 0);
            QCOMPARE(::write(writer, "180\r\n", 5), 5);
        }
        {
            const HangGuard guard([&] {
                // Whatever waits on the pipe sees its end.
                const int fd = writer.exchange(-1);
                ::close(fd >= 0 ? fd : ::open(name.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
            });
            RunBatchOn(path);
            QVERIFY2(!guard.Released(), "the batch waited for the pipe's writer");
        }
        if (writer >= 0) {
            ::close(writer);
        }
        // A pipe is not a file of angles: it reads as a file that cannot be
        // read, an empty list and no message.
        QVERIFY(Results() != nullptr);
        QCOMPARE(RowCount(List()), 0);
    }

    void sparseFileOfThreeGibibytesIsRefusedWithoutReading() {
        const QString path = NewFile("");
        QCOMPARE(::truncate(path.toLocal8Bit().constData(), 3LL << 30), 0);
        const qint64 read_before = BytesReadSoFar();
        QVERIFY(read_before >= 0);
        RunBatchOn(path);
        // Far less than the file: it was refused by its size, not read.
        QVERIFY(BytesReadSoFar() - read_before < (qint64{16} << 20));
        QVERIFY(Results() != nullptr);
        QCOMPARE(RowCount(List()), 0);
    }

    void millionLinesSaveAsTheConverterWritesThem() {
        constexpr int kLines = 1'000'000;
        const QString input = NewFile(MixedLines(kLines));
        OverrideProgramDirectory(folder_->path().toStdString());
        RunBatchOn(input);
        QCOMPARE(RowCount(List()), kLines);

        const SeenMessage saved = Save();
        QCOMPARE(saved.text, QString::fromUtf16(u"保存成功！"));

        const QString converted = folder_->filePath(QStringLiteral("converted.txt"));
        QProcess converter;
        converter.start(QStringLiteral(VELMORA_CONVERT_EXE), {"-o", converted, input});
        QVERIFY(converter.waitForFinished(120000));
        QCOMPARE(converter.exitCode(), 0);
        const QByteArray results = testing::ReadBytes(folder_->filePath(testing::kResultsFile));
        QCOMPARE(results.count("\r\n"), kLines);
        QVERIFY(results == testing::ReadBytes(converted));  // not QCOMPARE: 20 MB to print
    }

  private:
    QString NewFile(std::string_view bytes) {
        const QString path = folder_->filePath(QStringLiteral("input-%1.txt").arg(++files_made_));
        // Without a copy: the largest file is 100 MiB.
        const QByteArray unowned =
            QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
        if (!testing::WriteBytes(path, unowned)) {
            qWarning("cannot write %s", qPrintable(path));
        }
        return path;
    }

    // Runs the batch command, choosing path in the file dialog. Fails the
    // test when the dialog does not take the path or when the command shows
    // any message box (which is then closed).
    void RunBatchOn(const QString& path) {
        bool refused = false;
        SeenMessage unexpected;
        std::optional<ModalAnswer> after_dialog;
        AnswerBatchDialog([&](QWidget* modal) {
            ChooseFileInDialog(path)(modal);
            if (modal->isVisible()) {
                refused = true;
                static_cast<QDialog*>(modal)->reject();
            }
            after_dialog.emplace(AcknowledgeMessage(unexpected));
        });
        QVERIFY2(!refused, "the file dialog did not accept the path");
        QVERIFY2(!unexpected.seen, qPrintable(unexpected.text));
    }

    // Lets the view take every row and paint the visible ones.
    void ShowAllRows() {
        ReportList& list = List();
        QTRY_COMPARE_WITH_TIMEOUT(list.model()->rowCount(), RowCount(list), 60000);
        list.viewport()->repaint();
    }

    QString DisplayedAt(int row, int column) const {
        return List().model()->index(row, column).data().toString();
    }

    int files_made_ = 0;
};

}  // namespace velmora

QTEST_MAIN(velmora::HostileBatchTest)
#include "hostile_batch_test.moc"
