// The batch conversion into ResultsWindow and saving its rows, driven
// through the real handlers: the file dialog and the message boxes are
// answered as a user would.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "text/program_directory.h"
#include "text/results.h"
#include "ui/main_window.h"
#include "ui/report_list.h"
#include "ui/results_window.h"
#include "ui/toolkit.h"
#include "window_driver.h"

namespace velmora {

using testing::CancelFileDialog;
using testing::ChooseFileInDialog;
using testing::kResultsFile;
using testing::Rows;
using testing::RowsOf;
using testing::SeenMessage;

class ResultsWindowTest : public QObject, private testing::BatchWindowFixture {
    Q_OBJECT

  private slots:
    void init() { Open(); }
    void cleanup() { Close(); }

    // ---- batch conversion ----------------------------------------------

    void batchListsEveryLineAsReadBesideItsRadians() {
        RunBatch(
            "123.456789\r\n"
            "  123.456789  \r\n"
            "\r\n"
            "\t30.6\r\n"
            "12.59abc\r\n");
        const ReportList& list = List();
        const Rows expected = {{"123.456789", "2.160174089302"},
                               {"  123.456789  ", "2.160174089302"},
                               {"", "0"},
                               {"\t30.6", "0.5410520681028"},
                               {"12.59abc", "0.2266019148215"}};
        QCOMPARE(RowsOf(list), expected);
        // The same engine as the converter: each row is what it writes.
        for (const auto& [angle, radians] : expected) {
            QCOMPARE(QByteArray::fromStdString(RadiansTextOfLine(angle.toStdString())), radians);
        }
        // The view hears of the rows once the handler has returned.
        QTRY_COMPARE(list.model()->rowCount(), 5);
        QCOMPARE(list.model()->index(1, 0).data().toString(), QStringLiteral("  123.456789  "));
        QCOMPARE(list.model()->index(1, 1).data().toString(), QStringLiteral("2.160174089302"));
        QCOMPARE(QApplication::overrideCursor(), nullptr);  // the wait cursor is gone
    }

    void fileShapesGiveTheirRows_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Rows>("rows");
        QTest::newRow("empty file") << QByteArray() << Rows{};
        QTest::newRow("final line without CR LF")
            << QByteArray("1\r\n180") << Rows{{"1", "0.01745329251944"}, {"180", "3.1415926535"}};
        QTest::newRow("LF line ends are one line")
            << QByteArray("180\n1\n") << Rows{{"180\n1\n", "3.1415926535"}};
        QTest::newRow("byte-order mark is not part of the first line")
            << QByteArray(
                   "\xEF\xBB\xBF"
                   "180\r\n\xEF\xBB\xBF"
                   "1\r\n")
            << Rows{{"180", "3.1415926535"},
                    {"\xEF\xBB\xBF"
                     "1",
                     "0"}};
        QTest::newRow("text ends at the first NUL")
            << QByteArray(
                   "180\r\n1\0"
                   "2\r\n",
                   10)
            << Rows{{"180", "3.1415926535"}, {"1", "0.01745329251944"}};
    }

    void fileShapesGiveTheirRows() {
        QFETCH(QByteArray, file);
        QFETCH(Rows, rows);
        RunBatch(file);
        QVERIFY(Results() != nullptr);  // even an empty file opens the window
        QCOMPARE(RowsOf(List()), rows);
    }

    void cellsKeepTheirBytesAndShowThemAsGbk() {
        // 角度 in GBK, then the same word in UTF-8, then an ideographic space.
        RunBatch(
            "\xbd\xc7\xb6\xc8\r\n\xe8\xa7\x92\xe5\xba\xa6\r\n\xa1\xa1"
            "1\xa1\xa1\r\n");
        const Rows rows = RowsOf(List());
        QCOMPARE(rows.value(0).first, QByteArray("\xbd\xc7\xb6\xc8"));
        QCOMPARE(rows.value(1).first, QByteArray("\xe8\xa7\x92\xe5\xba\xa6"));
        QCOMPARE(rows.value(2), qMakePair(QByteArray("\xa1\xa1"
                                                     "1\xa1\xa1"),
                                          QByteArray("0.01745329251944")));
        QTRY_COMPARE(List().model()->rowCount(), 3);
        QCOMPARE(List().model()->index(0, 0).data().toString(), QString::fromUtf16(u"角度"));
    }

    void selectionShowsOnTheFirstCellOnlyWhileTheListHasTheFocus() {
        RunBatch("180\r\n1\r\n");
        ReportList& list = List();
        QVERIFY(QTest::qWaitForWindowActive(Results()));
        QTRY_COMPARE(list.model()->rowCount(), 2);
        list.selectRow(1);
        const QRect first = list.visualRect(list.model()->index(1, 0));
        const QRect second = list.visualRect(list.model()->index(1, 1));
        // Sample the cells away from their text: right end of the left-aligned
        // first cell, left end of the centred second cell.
        const auto colour_at = [&](QPoint point) {
            return list.viewport()->grab().toImage().pixelColor(point);
        };
        const QPoint first_blank(first.right() - 6, first.center().y());
        const QPoint second_blank(second.left() + 6, second.center().y());
        const QColor highlight = list.palette().color(QPalette::Active, QPalette::Highlight);
        const QColor base = list.palette().color(QPalette::Active, QPalette::Base);

        // The style may shade the highlight slightly.
        const auto near = [](QColor a, QColor b) {
            return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) +
                       qAbs(a.blue() - b.blue()) <=
                   12;
        };

        list.setFocus();
        QVERIFY(near(colour_at(first_blank), highlight));
        QVERIFY(near(colour_at(second_blank), base));
        Results()->按钮1->setFocus();
        QVERIFY(near(colour_at(first_blank), base));
        QVERIFY(list.selectionModel()->isRowSelected(1, {}));  // hidden, not lost
    }

    void secondBatchAppendsToTheOpenWindow() {
        RunBatch("1\r\n");
        QPointer<ResultsWindow> first = Results();
        RunBatch("180\r\n30.6\r\n");
        QCOMPARE(Results(), first.data());
        QCOMPARE(RowsOf(List()), (Rows{{"1", "0.01745329251944"},
                                       {"180", "3.1415926535"},
                                       {"30.6", "0.5410520681028"}}));
        QTRY_COMPARE(List().model()->rowCount(), 3);
    }

    void cancellingTheDialogDoesNothing() {
        Cancel();
        QVERIFY(Results() == nullptr);  // no window opens

        RunBatch("1\r\n");
        Cancel();
        // The file chosen last is not converted again.
        QCOMPARE(RowsOf(List()), (Rows{{"1", "0.01745329251944"}}));
    }

    // ---- the window ----------------------------------------------------

    void resultsWindowIsAnOwnedFixedWindowWithItsControls() {
        RunBatch("");
        ResultsWindow* results = Results();
        QVERIFY(results->isWindow());
        QCOMPARE(results->parentWidget(), main_);
        QCOMPARE(results->windowType(), Qt::Dialog);
        QCOMPARE(results->windowTitle(), QString());
        QVERIFY(!(results->windowFlags() & Qt::WindowMinMaxButtonsHint));
        QCOMPARE(results->frameGeometry().size(), QSize(323, 281));
        QCOMPARE(results->minimumSize(), results->maximumSize());
        const QRect screen = results->screen()->geometry();
        QCOMPARE(results->frameGeometry().topLeft(),
                 QPoint((screen.width() - 323) / 2, (screen.height() - 281) / 2));

        QCOMPARE(results->按钮1->objectName(), QStringLiteral("按钮1"));
        QCOMPARE(results->按钮1->geometry(), QRect(208, 224, 88, 24));
        QCOMPARE(results->按钮1->text(), QString::fromUtf16(u"保 存"));

        ReportList& list = List();
        QCOMPARE(list.objectName(), QStringLiteral("超级列表框1"));
        QCOMPARE(list.geometry(), QRect(8, 0, 304, 216));
        QCOMPARE(list.model()->headerData(0, Qt::Horizontal).toString(),
                 QString::fromUtf16(u"角度"));
        QCOMPARE(list.model()->headerData(1, Qt::Horizontal).toString(),
                 QString::fromUtf16(u"弧度"));
        QCOMPARE(list.horizontalHeader()->sectionSize(0), 150);
        QCOMPARE(list.horizontalHeader()->sectionSize(1), 150);
        QVERIFY(list.showGrid());
        QVERIFY(!list.isSortingEnabled());
        QCOMPARE(list.selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(list.editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(list.verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    }

    void columnsAlignAndHeaderClicksDoNothing() {
        RunBatch("180\r\n1\r\n");
        ReportList& list = List();
        QTRY_COMPARE(list.model()->rowCount(), 2);
        const auto alignment = [&](int column) {
            return list.model()
                ->index(0, column)
                .data(Qt::TextAlignmentRole)
                .value<Qt::Alignment>();
        };
        QCOMPARE(alignment(0) & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
        QCOMPARE(alignment(1) & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);

        QHeaderView* header = list.horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(1) + 20, header->height() / 2));
        QVERIFY(!list.selectionModel()->hasSelection());
        QCOMPARE(RowsOf(list), (Rows{{"180", "3.1415926535"}, {"1", "0.01745329251944"}}));
    }

    void listHasTheFocusFirstAndTabMovesToTheButtonAndBack() {
        RunBatch("1\r\n");
        ResultsWindow* results = Results();
        QVERIFY(QTest::qWaitForWindowActive(results));
        QTRY_COMPARE(QApplication::focusWidget(), &List());
        QTest::keyClick(&List(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), results->按钮1);
        QTest::keyClick(results->按钮1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), &List());
        // Enter on the button saves nothing: no message box, window stays.
        results->按钮1->setFocus();
        QTest::keyClick(results->按钮1, Qt::Key_Return);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QVERIFY(Results() != nullptr);
    }

    void escapeClosesOnlyTheResultsWindowAndTheNextBatchStartsEmpty() {
        RunBatch("1\r\n");
        QPointer<ResultsWindow> results = Results();
        QTest::keyClick(&List(), Qt::Key_Escape);
        QTRY_VERIFY(results.isNull());
        QVERIFY(main_->isVisible());
        RunBatch("180\r\n");
        QCOMPARE(RowsOf(List()), (Rows{{"180", "3.1415926535"}}));
    }

    void closingTheMainWindowTakesTheResultsWindowWithIt() {
        RunBatch("1\r\n");
        QPointer<ResultsWindow> results = Results();
        main_->close();
        QTRY_VERIFY(results.isNull());
        main_ = nullptr;
    }

    // ---- saving --------------------------------------------------------

    void saveWritesEveryRowAndClosesTheWindow_data() {
        QTest::addColumn<QByteArrayList>("files");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("two rows") << QByteArrayList{"123.456789\r\n30.6\r\n"}
                                  << QByteArray(
                                         "123.456789------2.160174089302\r\n"
                                         "30.6------0.5410520681028\r\n");
        QTest::newRow("empty line and untrimmed angle")
            << QByteArrayList{"\r\n 180 \r\n"}
            << QByteArray("------0\r\n 180 ------3.1415926535\r\n");
        QTest::newRow("two batches, in list order")
            << QByteArrayList{"1\r\n", "180\r\n"}
            << QByteArray("1------0.01745329251944\r\n180------3.1415926535\r\n");
        QTest::newRow("empty list") << QByteArrayList{""} << QByteArray();
    }

    void saveWritesEveryRowAndClosesTheWindow() {
        QFETCH(QByteArrayList, files);
        QFETCH(QByteArray, saved);
        OverrideProgramDirectory(folder_->path().toStdString());
        // A file from an earlier save is replaced, not extended.
        QVERIFY(testing::WriteBytes(folder_->filePath(kResultsFile), "old results, longer\r\n"));
        for (const QByteArray& file : files) {
            RunBatch(file);
        }
        QPointer<ResultsWindow> results = Results();

        const SeenMessage message = Save();
        QVERIFY(message.seen);
        QCOMPARE(message.icon, QMessageBox::Information);
        QCOMPARE(message.caption, QString::fromUtf16(u"成功"));
        QCOMPARE(message.text, QString::fromUtf16(u"保存成功！"));
        QCOMPARE(message.buttons, QMessageBox::Ok);
        QVERIFY(message.application_modal);
        QVERIFY(!message.wait_cursor);
        QCOMPARE(testing::ReadBytes(folder_->filePath(kResultsFile)), saved);
        QTRY_VERIFY(results.isNull());
    }

    void failedSaveWarnsAndKeepsTheRowsForAnotherTry() {
        // Tests may run as root, whom permissions do not stop: a regular file
        // used as a directory makes the write fail for anyone.
        QVERIFY(testing::WriteBytes(folder_->filePath("plain-file"), "x"));
        OverrideProgramDirectory(folder_->filePath("plain-file/results").toStdString());
        RunBatch("180\r\n1\r\n");
        QPointer<ResultsWindow> results = Results();

        const SeenMessage failure = Save();
        QVERIFY(failure.seen);
        QCOMPARE(failure.icon, QMessageBox::Warning);
        QCOMPARE(failure.caption, QString::fromUtf16(u"失败"));
        QCOMPARE(failure.text, QString::fromUtf16(u"保存失败！"));
        QCOMPARE(failure.buttons, QMessageBox::Ok);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!results.isNull());
        QVERIFY(results->isVisible());
        QCOMPARE(RowsOf(List()), (Rows{{"180", "3.1415926535"}, {"1", "0.01745329251944"}}));

        // The cause removed, the same rows save.
        OverrideProgramDirectory(folder_->path().toStdString());
        QCOMPARE(Save().text, QString::fromUtf16(u"保存成功！"));
        QCOMPARE(testing::ReadBytes(folder_->filePath(kResultsFile)),
                 QByteArray("180------3.1415926535\r\n1------0.01745329251944\r\n"));
    }

  private:
    // Runs the batch command on a new file holding bytes.
    void RunBatch(const QByteArray& bytes) {
        const QString path = folder_->filePath(QStringLiteral("angles-%1.txt").arg(++files_made_));
        QVERIFY(testing::WriteBytes(path, bytes));
        AnswerBatchDialog(ChooseFileInDialog(path));
    }

    void Cancel() { AnswerBatchDialog(CancelFileDialog()); }

    int files_made_ = 0;
};

}  // namespace velmora

QTEST_MAIN(velmora::ResultsWindowTest)
#include "results_window_test.moc"
