// The window services the command handlers are written against: a thin layer
// over Qt that speaks in GBK Texts, rows and columns, so that each handler
// reads as its plain list of steps. Rows and columns count from 0.
#pragma once

#include <QPointer>
#include <QRect>
#include <QSize>
#include <QUrl>
#include <QWidget>
#include <string>
#include <string_view>

#include "ui/report_list.h"
#include "ui/ui_texts.h"

class QFileDialog;
class QKeyEvent;
class QLineEdit;
class QPushButton;

namespace velmora {

// Creates the window (owned by owner, when given), shows and activates it,
// and returns true. A window that is already open is brought forward, keeps
// its contents and is not made twice. An owner that is not open: nothing
// happens, false. The window must be constructible from its owner.
template <class Window>
bool LoadWindow(QPointer<Window>& window, QWidget* owner = nullptr) {
    if (owner != nullptr && !owner->isVisible()) {
        return false;
    }
    if (window.isNull()) {
        window = new Window(owner);
        window->show();
    } else if (window->isMinimized()) {
        window->showNormal();
    }
    window->raise();
    window->activateWindow();
    return true;
}

// Destroys the window once the running handler has returned, without asking.
void UnloadWindow(QWidget& window);

// Runs the modal file-open dialog; true when the user chose a file.
bool ChooseFile(QFileDialog& dialog);
// The full path of the file chosen in the dialog, in the file system's
// encoding (ready for ReadWholeFile).
std::string ChosenFileName(const QFileDialog& dialog);

// The icon flags of a message box.
enum class MessageIcon { kNone = 0, kWarning = 48, kInformation = 64 };

// A message box with an OK button, modal to the whole program, centred on
// parent. Returns when the user has answered it.
void ShowMessage(QWidget* parent, std::string_view text, MessageIcon icon,
                 std::string_view caption = texts::kDefaultMessageCaption);

// Asks the desktop to open the address; failures are silent.
void OpenWebAddress(const QUrl& address);

// The whole text of an edit box, and replacing it whole.
std::string GetEditText(const QLineEdit& edit);
void SetEditText(QLineEdit& edit, std::string_view text);

// The report list's rows, kept by its ReportModel. A missing row or column
// reads as the empty text and is not written.
int AppendRow(ReportList& list);
void SetCellText(ReportList& list, int row, int column, std::string_view text);
std::string GetCellText(const ReportList& list, int row, int column);
int RowCount(const ReportList& list);

// Runs the event loop until the last window is gone; returns the exit code.
int RunEventLoop();

// The common start of both windows: destroyed when closed (the next time it
// is loaded it is new and empty), the caption, and the face colour of the
// buttons behind the controls.
void PrepareFixedWindow(QWidget& window, std::string_view caption);

// A push button at place (in the parent's client area) that is never a
// default button: Enter presses nothing.
QPushButton* MakeButton(QWidget* parent, const char* name, QRect place, std::string_view text);

// Closes the window when the key is Esc without modifiers; true when it did.
// Enter and every other key are left to the window.
bool CloseOnEscape(QWidget& window, const QKeyEvent& key);

// Keeps the frame of a top-level window at outer size, whatever frame the
// window system draws: the client area is the outer size less the frame, and
// follows the frame when the window manager reports it late. Without a frame
// (offscreen) the client area takes the whole size.
void KeepOuterSize(QWidget& window, QSize outer);
// Places the window's frame of outer size in the middle of its screen.
void CentreOnScreen(QWidget& window, QSize outer);

// Shows the wait cursor over the whole program while it lives.
class WaitCursor {
  public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace velmora
