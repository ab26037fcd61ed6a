#include "ui/results_window.h"

#include <QKeyEvent>
#include <QPushButton>
#include <string>

#include "text/files.h"
#include "text/lines.h"
#include "text/program_directory.h"
#include "ui/batch_rows.h"
#include "ui/gbk.h"
#include "ui/report_list.h"
#include "ui/toolkit.h"
#include "ui/ui_texts.h"

namespace velmora {

namespace {

// An owned window with a fixed frame, a title bar and a close box only.
constexpr Qt::WindowFlags kOwnedFixedFrame = Qt::Dialog | Qt::CustomizeWindowHint |
                                             Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                             Qt::WindowCloseButtonHint;

}  // namespace

ResultsWindow::ResultsWindow(QWidget* owner) : QWidget(owner, kOwnedFixedFrame) {
    setObjectName(QStringLiteral("ResultsWindow"));
    // Closing destroys it: the next batch opens a new, empty one.
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(GbkToUnicode(texts::kResultsCaption));
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    setAutoFillBackground(true);

    // Created from the bottom of the form's list up.
    按钮1 = new QPushButton(GbkToUnicode(texts::kSaveButton), this);
    按钮1->setObjectName(QStringLiteral("按钮1"));
    按钮1->setGeometry(208, 224, 88, 24);
    按钮1->setAutoDefault(false);
    按钮1->setDefault(false);

    超级列表框1 = new ReportList(ResultsColumns(), this);
    超级列表框1->setObjectName(QStringLiteral("超级列表框1"));
    超级列表框1->setGeometry(8, 0, 304, 216);

    setTabOrder(超级列表框1, 按钮1);
    超级列表框1->setFocus();

    KeepOuterSize(*this, kOuterSize);
    CentreOnScreen(*this, kOuterSize);

    connect(按钮1, &QPushButton::clicked, this, [this] { SaveResults(); });
}

void ResultsWindow::keyPressEvent(QKeyEvent* event) {
    // Esc closes the window; Enter is left alone.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ResultsWindow::SaveResults() {
    const std::string text = JoinedRows(超级列表框1->Rows());
    // On Linux the GBK name is stored in the file system's encoding, so the
    // user finds the file under the name the program speaks of.
    const std::string path =
        ProgramDirectory() + "/" + GbkToFileSystemName(texts::kResultsFileName);
    bool saved = false;
    {
        const WaitCursor wait;
        saved = WriteWholeFile(path, TextToBytes(text));
    }
    if (saved) {
        ShowMessage(this, texts::kSavedMessage, MessageIcon::kInformation, texts::kSavedCaption);
        UnloadWindow(*this);
    } else {
        // The window stays open with every row, so the user can remove the
        // cause and save again.
        ShowMessage(this, texts::kSaveFailedMessage, MessageIcon::kWarning,
                    texts::kSaveFailedCaption);
    }
}

}  // namespace velmora
