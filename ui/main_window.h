// The program's first window: the angle input with the single conversion,
// the batch conversion into ResultsWindow, and the about label that opens
// the program's help page.
#pragma once

#include <QPointer>
#include <QSize>
#include <QWidget>

class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora {

class ResultsWindow;

class MainWindow : public QWidget {
    Q_OBJECT

  public:
    // Outer size of the window, frame included.
    static constexpr QSize kOuterSize{405, 202};
    // The help page shipped beside the executable.
    static constexpr const char* kHelpPageName = "help.html";

    // A main window has no owner; the parameter is there so that LoadWindow
    // can create every window alike.
    explicit MainWindow(QWidget* owner = nullptr);

    // The form's controls, named as in the form. 通用对话框1 is the file-open
    // dialog, never shown except by the batch conversion.
    QFileDialog* 通用对话框1;
    QLabel* 标签3;
    QLabel* 标签4;
    QLabel* 标签2;
    QLabel* 标签1;
    QLineEdit* 编辑框2;
    QPushButton* 按钮2;
    QPushButton* 按钮1_单算;
    QLineEdit* 编辑框1;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CreateControls();
    void ConvertOneAngle();
    void ConvertFileOfAngles();
    void OpenProgramPage();

    QPointer<ResultsWindow> results_window_;
};

}  // namespace velmora
