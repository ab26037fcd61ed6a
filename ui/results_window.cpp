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
    PrepareFixedWindow(*this, texts::kResultsCaption);

    // Created from the bottom of the form's list up.
    按钮1 = MakeButton(this, "按钮1", QRect(208, 224, 88, 24), texts::kSaveButton);

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
    if (!CloseOnEscape(*this, *event)) {
        QWidget::keyPressEvent(event);
    }
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
