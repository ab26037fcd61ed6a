// Drives the program's modal windows from a test: the file dialog and the
// message boxes run nested event loops inside the handler under test, so
// they are answered from a timer once they have appeared.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMessageBox>
#include <QPair>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <optional>

class QTimer;
class QWidget;

namespace velmora {
class MainWindow;
class ReportList;
class ResultsWindow;
}  // namespace velmora

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

// The name of the results file that a save writes in the program directory.
inline const QString kResultsFile = QString::fromUtf16(u"Velmora结果.txt");

// A list's rows, each as the bytes of its two cells.
using Rows = QList<QPair<QByteArray, QByteArray>>;
Rows RowsOf(const ReportList& list);

// What a test of the batch and its results starts from: an empty folder for
// its files and the main window, shown and active. The test class derives
// from it beside QObject, calls Open() from init() and Close() from cleanup().
class BatchWindowFixture {
  protected:
    // Fails the test when the folder or the window cannot be had.
    void Open();
    void Close();

    // Clicks the batch button and answers the file dialog with answer; fails
    // the test when no dialog appears.
    void AnswerBatchDialog(const std::function<void(QWidget*)>& answer);
    // Clicks the results window's save button and presses OK on the message
    // box that tells how the save went.
    SeenMessage Save();

    // The results window the batch opened, or null.
    ResultsWindow* Results() const;
    ReportList& List() const;

    std::optional<QTemporaryDir> folder_;
    MainWindow* main_ = nullptr;
};

}  // namespace velmora::testing
