#include "ui/toolkit.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include "ui/gbk.h"

namespace velmora {

void UnloadWindow(QWidget& window) {
    window.deleteLater();
}

bool ChooseFile(QFileDialog& dialog) {
    return dialog.exec() == QDialog::Accepted;
}

std::string ChosenFileName(const QFileDialog& dialog) {
    return QFile::encodeName(dialog.selectedFiles().value(0)).toStdString();
}

void ShowMessage(QWidget* parent, std::string_view text, MessageIcon icon,
                 std::string_view caption) {
    QMessageBox::Icon box_icon = QMessageBox::NoIcon;
    if (icon == MessageIcon::kWarning) {
        box_icon = QMessageBox::Warning;
    } else if (icon == MessageIcon::kInformation) {
        box_icon = QMessageBox::Information;
    }
    QMessageBox box(box_icon, GbkToUnicode(caption), GbkToUnicode(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void OpenWebAddress(const QUrl& address) {
    QDesktopServices::openUrl(address);
}

std::string GetEditText(const QLineEdit& edit) {
    return UnicodeToGbk(edit.text());
}

void SetEditText(QLineEdit& edit, std::string_view text) {
    edit.setText(GbkToUnicode(text));
}

int AppendRow(ReportList& list) {
    return list.Rows().AppendRow();
}

void SetCellText(ReportList& list, int row, int column, std::string_view text) {
    list.Rows().SetCellText(row, column, text);
}

std::string GetCellText(const ReportList& list, int row, int column) {
    return std::string(list.Rows().CellText(row, column));
}

int RowCount(const ReportList& list) {
    return list.Rows().StoredRowCount();
}

int RunEventLoop() {
    return QApplication::exec();
}

void PrepareFixedWindow(QWidget& window, std::string_view caption) {
    window.setAttribute(Qt::WA_DeleteOnClose);
    window.setWindowTitle(GbkToUnicode(caption));
    QPalette face = window.palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    window.setPalette(face);
    window.setAutoFillBackground(true);
}

QPushButton* MakeButton(QWidget* parent, const char* name, QRect place, std::string_view text) {
    auto* button = new QPushButton(GbkToUnicode(text), parent);
    button->setObjectName(QString::fromUtf8(name));
    button->setGeometry(place);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

bool CloseOnEscape(QWidget& window, const QKeyEvent& key) {
    if (key.key() != Qt::Key_Escape || key.modifiers() != Qt::NoModifier) {
        return false;
    }
    window.close();
    return true;
}

namespace {

// Re-fits the client area whenever the window may have learnt its frame:
// on X11 the window manager adds the frame after the window is shown.
class OuterSizeKeeper : public QObject {
  public:
    OuterSizeKeeper(QWidget& window, QSize outer)
        : QObject(&window), window_(window), outer_(outer) {
        window.installEventFilter(this);
        Fit();
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_) {
            switch (event->type()) {
                case QEvent::Show:
                case QEvent::Move:
                case QEvent::Resize:
                case QEvent::WindowActivate:
                    Fit();
                    break;
                default:
                    break;
            }
        }
        return false;
    }

  private:
    void Fit() {
        QMargins frame;
        if (const QWindow* handle = window_.windowHandle()) {
            frame = handle->frameMargins();
        }
        const QSize client = outer_.shrunkBy(frame);
        if (window_.minimumSize() != client || window_.maximumSize() != client) {
            window_.setFixedSize(client);
        }
    }

    QWidget& window_;
    QSize outer_;
};

}  // namespace

void KeepOuterSize(QWidget& window, QSize outer) {
    new OuterSizeKeeper(window, outer);
}

void CentreOnScreen(QWidget& window, QSize outer) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    const QRect area = screen->geometry();
    // Integer halves, as the frame's top left is a whole pixel.
    const int left = area.left() + (area.width() - outer.width()) / 2;
    const int top = area.top() + (area.height() - outer.height()) / 2;
    window.move(left, top);  // moves the frame, not the client area
}

WaitCursor::WaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor() {
    QApplication::restoreOverrideCursor();
}

}  // namespace velmora
