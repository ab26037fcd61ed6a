// Drives the program's modal windows from a test: the file dialog and the
// message boxes run nested event loops inside the handler under test, so
// they are answered from a timer once they have appeared.
#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

class QTimer;
class QWidget;

namespace velmora::testing {

// Answers the next modal window that appears with answer, once.
class ModalAnswer {
  public:
    explicit ModalAnswer(std::function<void(QWidget*)> answer);
    ~ModalAnswer();
    ModalAnswer(const ModalAnswer&) = delete;
    ModalAnswer& operator=(const ModalAnswer&) = delete;

    bool Answered() const { return answered_; }

  private:
    std::function<void(QWidget*)> answer_;
    QTimer* timer_;
    bool answered_ = false;
};

// What a message box showed before it was answered with OK.
struct SeenMessage {
    bool seen = false;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption;
    QString text;
    QMessageBox::StandardButtons buttons;
    bool application_modal = false;
    bool wait_cursor = false;  // the wait cursor still showing over the box
};

// Answers the file dialog by typing path and pressing Open.
std::function<void(QWidget*)> ChooseFileInDialog(const QString& path);
// Answers the file dialog with Cancel.
std::function<void(QWidget*)> CancelFileDialog();
// Records the message box into seen and presses OK.
std::function<void(QWidget*)> AcknowledgeMessage(SeenMessage& seen);

// Writes bytes to a new file; false when it cannot.
bool WriteBytes(const QString& path, const QByteArray& bytes);
QByteArray ReadBytes(const QString& path);

}  // namespace velmora::testing
