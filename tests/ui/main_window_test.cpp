// MainWindow: its controls as laid out in the form, its keys, the single
// conversion and the about label.
#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "text/program_directory.h"
#include "ui/main_window.h"
#include "ui/toolkit.h"

namespace velmora {

// Catches the addresses the program asks the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT

  public:
    QList<QUrl> opened;

  public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        window_ = new MainWindow;
        window_->show();
        QVERIFY(QTest::qWaitForWindowActive(window_));
    }

    void cleanup() { delete window_; }

    void controlsHaveTheirKindPlaceAndText_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QRect>("place");
        QTest::addColumn<QString>("text");
        auto row = [](const char16_t* name, const char* kind, QRect place, const char16_t* text) {
            const QString control = QString::fromUtf16(name);
            QTest::newRow(control.toUtf8().constData())
                << control << QString::fromLatin1(kind) << place << QString::fromUtf16(text);
        };
        row(u"标签3", "QLabel", QRect(0, 136, 400, 32),
            u"   本工具是为想学习测绘编程的读者写的一个示例。\n"
            u"   欢迎访问本程序的说明页，单击这里即可打开。");
        row(u"标签4", "QLabel", QRect(8, 40, 64, 32), u"转化为弧度：");
        row(u"标签2", "QLabel", QRect(216, 8, 152, 32),
            u"例如角度123°45′67.89″输入的格式为123.456789");
        row(u"标签1", "QLabel", QRect(8, 8, 64, 32), u"输入角度：");
        row(u"编辑框2", "QLineEdit", QRect(78, 48, 112, 20), u"");
        row(u"按钮2", "QPushButton", QRect(224, 88, 104, 32), u"批量转换");
        row(u"按钮1_单算", "QPushButton", QRect(48, 88, 104, 32), u"角度转化弧度");
        row(u"编辑框1", "QLineEdit", QRect(78, 10, 112, 20), u"123.456789");
    }

    void controlsHaveTheirKindPlaceAndText() {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QRect, place);
        QFETCH(QString, text);
        QWidget* control = window_->findChild<QWidget*>(name);
        QVERIFY(control != nullptr);
        QCOMPARE(QString::fromLatin1(control->metaObject()->className()), kind);
        QCOMPARE(control->geometry(), place);
        QCOMPARE(control->property("text").toString(), text);
    }

    void labelsShowTheirTextAsItStands() {
        const QList<QLabel*> labels = window_->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
        QCOMPARE(labels.size(), 4);  // 标签1 to 标签4: the loop checks each
        for (QLabel* label : labels) {
            QCOMPARE(label->textFormat(), Qt::PlainText);
            QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        }
        QCOMPARE(window_->标签1->alignment(), Qt::AlignLeft | Qt::AlignVCenter);
        QVERIFY(!window_->标签1->wordWrap());
        QCOMPARE(window_->标签2->alignment(), Qt::AlignLeft | Qt::AlignTop);
        QVERIFY(window_->标签2->wordWrap());
    }

    void editBoxesTakeAnyLengthAndStartWithTheCaretInFront() {
        QCOMPARE(window_->编辑框1->cursorPosition(), 0);
        const QString long_text(100000, QLatin1Char('9'));
        window_->编辑框1->setText(long_text);
        QCOMPARE(window_->编辑框1->text(), long_text);
    }

    void fileDialogOpensOnlyExistingFilesWithQtsOwnDialog() {
        QFileDialog* dialog = window_->通用对话框1;
        QCOMPARE(dialog->objectName(), QStringLiteral("通用对话框1"));
        QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
        QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
        QVERIFY(!dialog->isVisible());
    }

    void windowHasAFixedFrameOfItsOuterSizeCentredOnTheScreen() {
        QCOMPARE(window_->windowTitle(), QStringLiteral("Velmora"));
        QCOMPARE(window_->frameGeometry().size(), QSize(405, 202));
        QCOMPARE(window_->minimumSize(), window_->maximumSize());
        const QRect screen = window_->screen()->geometry();
        QCOMPARE(window_->frameGeometry().topLeft(),
                 QPoint((screen.width() - 405) / 2, (screen.height() - 202) / 2));
        const Qt::WindowFlags flags = window_->windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(window_->parentWidget() == nullptr);
        QVERIFY(!window_->windowIcon().isNull());
    }

    void tabWalksTheFourStopsAndWrapsBothWays() {
        QCOMPARE(QApplication::focusWidget(), window_->编辑框1);
        const QList<QWidget*> forward = {window_->按钮1_单算, window_->按钮2, window_->编辑框2,
                                         window_->编辑框1};
        for (QWidget* expected : forward) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), expected);
        }
        const QList<QWidget*> backward = {window_->编辑框2, window_->按钮2, window_->按钮1_单算,
                                          window_->编辑框1};
        for (QWidget* expected : backward) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget(), expected);
        }
    }

    void singleConversionShowsTheRadians_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("default angle") << "123.456789"
                                       << "2.160174089302";
        QTest::newRow("sixty minutes make a degree") << "30.6"
                                                     << "0.5410520681028";
        QTest::newRow("empty") << ""
                               << "0";
        QTest::newRow("letters") << "abc"
                                 << "0";
        QTest::newRow("degree sign alone") << QString::fromUtf16(u"°") << "0";
        QTest::newRow("leading blanks, trailing letters") << "  12.59abc"
                                                          << "0.2266019148215";
        QTest::newRow("too large") << "1e400"
                                   << "1.#INF";
        QTest::newRow("too large, negative") << "-1e400"
                                             << "-1.#INF";
        QTest::newRow("full-width digits and point")
            << QString::fromUtf16(u"１２３．４５６７８９") << "2.160174089302";
    }

    void singleConversionShowsTheRadians() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        window_->编辑框2->setText(QStringLiteral("old result"));
        window_->编辑框1->setText(typed);
        QTest::mouseClick(window_->按钮1_单算, Qt::LeftButton);
        QCOMPARE(window_->编辑框2->text(), shown);
        QCOMPARE(window_->编辑框1->text(), typed);  // the input is left as typed
    }

    void enterPressesNothing() {
        for (QWidget* control : {static_cast<QWidget*>(window_->编辑框1),
                                 static_cast<QWidget*>(window_->按钮1_单算)}) {
            control->setFocus();
            QTest::keyClick(control, Qt::Key_Return);
            QTest::keyClick(control, Qt::Key_Enter, Qt::KeypadModifier);
        }
        QCOMPARE(window_->编辑框2->text(), QString());
        QVERIFY(window_->isVisible());
    }

    void escapeInEitherEditBoxClosesTheWindowAndEndsTheProgram_data() {
        QTest::addColumn<QString>("edit_box");
        QTest::newRow("input") << QStringLiteral("编辑框1");
        QTest::newRow("result") << QStringLiteral("编辑框2");
    }

    void escapeInEitherEditBoxClosesTheWindowAndEndsTheProgram() {
        QFETCH(QString, edit_box);
        QPointer<MainWindow> window = window_;
        auto* edit = window_->findChild<QLineEdit*>(edit_box);
        edit->setFocus();
        QTimer::singleShot(0, edit, [edit] { QTest::keyClick(edit, Qt::Key_Escape); });
        // Should the window stay, the loop is ended with a code of its own.
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        guard.start(10000);
        QCOMPARE(RunEventLoop(), 0);
        QTRY_VERIFY(window.isNull());  // closing destroys it
        window_ = nullptr;
    }

    void aboutLabelOpensTheHelpPageBesideTheProgram() {
        QLabel* about = window_->标签3;
        QCOMPARE(about->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(about->frameShape(), QFrame::Panel);
        QCOMPARE(about->frameShadow(), QFrame::Sunken);
        QCOMPARE(about->lineWidth(), 1);
        QVERIFY(about->wordWrap());
        for (const QString& line : about->text().split(QLatin1Char('\n'))) {
            QVERIFY(line.startsWith(QLatin1String("   ")) && line.at(3) != QLatin1Char(' '));
        }

        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        QTest::mousePress(about, Qt::RightButton, {}, QPoint(20, 10));
        QVERIFY(catcher.opened.isEmpty());
        QTest::mousePress(about, Qt::LeftButton, Qt::ControlModifier, QPoint(20, 10));
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

        const QString directory = QString::fromStdString(ProgramDirectory());
        QCOMPARE(catcher.opened,
                 QList<QUrl>{QUrl::fromLocalFile(directory + QStringLiteral("/help.html"))});
    }

    void helpPageIsShippedBesideTheProgram() {
        QFile page(QStringLiteral(VELMORA_PROGRAM_BUILD_DIR "/help.html"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        QVERIFY(html.contains(QStringLiteral("123.456789")));
        QVERIFY(html.contains(QString::fromUtf16(u"Velmora结果.txt")));
    }

  private:
    MainWindow* window_ = nullptr;
};

}  // namespace velmora

QTEST_MAIN(velmora::MainWindowTest)
#include "main_window_test.moc"
