// The window that lists a batch: each line of the file beside its value in
// radians, and the button that saves them to the results file.
#pragma once

#include <QSize>
#include <QWidget>

class QPushButton;

namespace velmora {

class ReportList;

class ResultsWindow : public QWidget {
    Q_OBJECT

  public:
    // Outer size of the window, frame included.
    static constexpr QSize kOuterSize{323, 281};

    // Owned by owner: kept above it, without a taskbar button of its own, and
    // destroyed with it.
    explicit ResultsWindow(QWidget* owner);

    // The form's controls, named as in the form.
    QPushButton* 按钮1;
    ReportList* 超级列表框1;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void SaveResults();
};

}  // namespace velmora
