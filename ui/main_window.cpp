#include "ui/main_window.h"

#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <limits>
#include <string>
#include <string_view>

#include "core/survey_math.h"
#include "text/files.h"
#include "text/number_text.h"
#include "text/program_directory.h"
#include "text/results.h"
#include "ui/batch_rows.h"
#include "ui/gbk.h"
#include "ui/program_icon.h"
#include "ui/report_list.h"
#include "ui/results_window.h"
#include "ui/toolkit.h"
#include "ui/ui_texts.h"

namespace velmora {

namespace {

// A fixed frame with a title bar and a close box, and no minimise or
// maximise button.
constexpr Qt::WindowFlags kFixedFrame = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                        Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

QLabel* MakeLabel(QWidget* parent, const char* name, QRect place, std::string_view text,
                  bool word_wrap) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromUtf8(name));
    label->setGeometry(place);
    // Plain text: an ampersand or an angle bracket is shown as it stands.
    label->setTextFormat(Qt::PlainText);
    label->setText(GbkToUnicode(text));
    label->setWordWrap(word_wrap);
    label->setAlignment(word_wrap ? Qt::AlignLeft | Qt::AlignTop
                                  : Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QLineEdit* MakeEditBox(QWidget* parent, const char* name, QRect place, std::string_view text) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromUtf8(name));
    edit->setGeometry(place);
    edit->setMaxLength(std::numeric_limits<int>::max());  // no length limit
    SetEditText(*edit, text);
    edit->setCursorPosition(0);
    return edit;
}

}  // namespace

MainWindow::MainWindow(QWidget* owner) : QWidget(owner, kFixedFrame) {
    setObjectName(QStringLiteral("MainWindow"));
    PrepareFixedWindow(*this, texts::kMainCaption);
    setWindowIcon(ProgramIcon());

    CreateControls();
    setTabOrder(编辑框1, 按钮1_单算);
    setTabOrder(按钮1_单算, 按钮2);
    setTabOrder(按钮2, 编辑框2);
    编辑框1->setFocus();

    KeepOuterSize(*this, kOuterSize);
    CentreOnScreen(*this, kOuterSize);

    connect(按钮1_单算, &QPushButton::clicked, this, [this] { ConvertOneAngle(); });
    connect(按钮2, &QPushButton::clicked, this, [this] { ConvertFileOfAngles(); });
    标签3->installEventFilter(this);
}

// Created from the bottom of the form's list up, so that the first control
// of the list lies on top.
void MainWindow::CreateControls() {
    通用对话框1 = new QFileDialog(this);
    通用对话框1->setObjectName(QStringLiteral("通用对话框1"));
    // Qt's own dialog behaves the same on every desktop; the chosen file and
    // its folder must exist.
    通用对话框1->setOption(QFileDialog::DontUseNativeDialog);
    通用对话框1->setFileMode(QFileDialog::ExistingFile);
    通用对话框1->setAcceptMode(QFileDialog::AcceptOpen);

    标签3 = MakeLabel(this, "标签3", QRect(0, 136, 400, 32), texts::kAboutText, true);
    标签3->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    标签3->setLineWidth(1);
    标签3->setCursor(Qt::PointingHandCursor);
    标签4 = MakeLabel(this, "标签4", QRect(8, 40, 64, 32), texts::kRadiansLabel, false);
    标签2 = MakeLabel(this, "标签2", QRect(216, 8, 152, 32), texts::kExampleLabel, true);
    标签1 = MakeLabel(this, "标签1", QRect(8, 8, 64, 32), texts::kAngleLabel, false);
    编辑框2 = MakeEditBox(this, "编辑框2", QRect(78, 48, 112, 20), "");
    按钮2 = MakeButton(this, "按钮2", QRect(224, 88, 104, 32), texts::kBatchButton);
    按钮1_单算 = MakeButton(this, "按钮1_单算", QRect(48, 88, 104, 32), texts::kConvertButton);
    编辑框1 = MakeEditBox(this, "编辑框1", QRect(78, 10, 112, 20), texts::kDefaultAngle);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // Esc closes the window and so ends the program.
    if (!CloseOnEscape(*this, *event)) {
        QWidget::keyPressEvent(event);
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == 标签3 && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        OpenProgramPage();
    }
    return QWidget::eventFilter(watched, event);  // the press goes on as usual
}

void MainWindow::ConvertOneAngle() {
    const SurveyMath survey_math;
    // The whole text, untrimmed: reading skips leading white space itself and
    // ignores whatever follows the number.
    const std::string text = GetEditText(*编辑框1);
    const double packed = TextToNumber(text);
    const double radians = survey_math.DmsToRad(packed);
    SetEditText(*编辑框2, NumberToText(radians));
}

void MainWindow::ConvertFileOfAngles() {
    // Cancelling the dialog ends the command: the file chosen last is not
    // converted again and no window opens.
    if (!ChooseFile(*通用对话框1)) {
        return;
    }
    const std::string file_name = ChosenFileName(*通用对话框1);
    const WaitCursor wait;
    const std::string block = ReadWholeFile(file_name);
    const std::string_view text = BatchTextOfFile(block);
    // The results window belongs to this one; while this one is hidden there
    // is nowhere to show rows.
    if (!LoadWindow(results_window_, this)) {
        return;
    }
    ConvertLinesIntoList(results_window_->超级列表框1->Rows(), text);
}

void MainWindow::OpenProgramPage() {
    const QString directory = QFile::decodeName(QByteArray::fromStdString(ProgramDirectory()));
    OpenWebAddress(QUrl::fromLocalFile(directory + QLatin1Char('/') + kHelpPageName));
}

}  // namespace velmora
