#include "window_driver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ui/main_window.h"
#include "ui/report_list.h"
#include "ui/results_window.h"
#include "ui/toolkit.h"

namespace velmora::testing {

ModalAnswer::ModalAnswer(std::function<void(QWidget*)> answer)
    : answer_(std::move(answer)), timer_(new QTimer) {
    timer_->setInterval(5);
    QObject::connect(timer_, &QTimer::timeout, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || answered_) {
            return;
        }
        timer_->stop();
        answered_ = true;
        answer_(modal);
    });
    timer_->start();
}

ModalAnswer::~ModalAnswer() {
    delete timer_;
}

std::function<void(QWidget*)> ChooseFileInDialog(const QString& path) {
    return [path](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (dialog == nullptr) {
            modal->close();  // not the dialog expected: the test sees no rows
            return;
        }
        // selectFile drops the file list's selection, which the dialog restores
        // from the last time and would prefer to the typed name.
        dialog->selectFile(path);
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
        // QFileDialog hides accept(); through QDialog it still checks the file.
        static_cast<QDialog*>(dialog)->accept();
    };
}

std::function<void(QWidget*)> CancelFileDialog() {
    return [](QWidget* modal) {
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        }
    };
}

std::function<void(QWidget*)> AcknowledgeMessage(SeenMessage& seen) {
    return [&seen](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box == nullptr) {
            modal->close();
            return;
        }
        seen.seen = true;
        seen.icon = box->icon();
        seen.caption = box->windowTitle();
        seen.text = box->text();
        seen.buttons = box->standardButtons();
        seen.application_modal = box->windowModality() == Qt::ApplicationModal;
        seen.wait_cursor = QApplication::overrideCursor() != nullptr;
        box->button(QMessageBox::Ok)->click();
    };
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Rows RowsOf(const ReportList& list) {
    Rows rows;
    for (int row = 0; row < RowCount(list); ++row) {
        rows.append({QByteArray::fromStdString(GetCellText(list, row, 0)),
                     QByteArray::fromStdString(GetCellText(list, row, 1))});
    }
    return rows;
}

void BatchWindowFixture::Open() {
    QVERIFY(folder_.emplace().isValid());
    main_ = new MainWindow;
    main_->show();
    QVERIFY(QTest::qWaitForWindowActive(main_));
}

void BatchWindowFixture::Close() {
    delete main_;
    folder_.reset();
}

void BatchWindowFixture::AnswerBatchDialog(const std::function<void(QWidget*)>& answer) {
    const ModalAnswer dialog(answer);
    QTest::mouseClick(main_->按钮2, Qt::LeftButton);
    QVERIFY(dialog.Answered());
}

SeenMessage BatchWindowFixture::Save() {
    SeenMessage seen;
    const ModalAnswer answer(AcknowledgeMessage(seen));
    QTest::mouseClick(Results()->按钮1, Qt::LeftButton);
    return seen;
}

ResultsWindow* BatchWindowFixture::Results() const {
    return main_->findChild<ResultsWindow*>();
}

ReportList& BatchWindowFixture::List() const {
    return *Results()->超级列表框1;
}

}  // namespace velmora::testing
