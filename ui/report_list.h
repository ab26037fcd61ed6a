// The report list of the results window: the view that shows the rows of a
// ReportModel with a header and grid lines.
#pragma once

#include <QTableView>
#include <vector>

#include "ui/report_model.h"

namespace velmora {

// The list control: a report view with a header, grid lines, single row
// selection shown on the first cell only and only while it has the focus.
class ReportList : public QTableView {
    Q_OBJECT

  public:
    explicit ReportList(std::vector<ReportColumn> columns, QWidget* parent = nullptr);

    ReportModel& Rows() { return *model_; }
    const ReportModel& Rows() const { return *model_; }

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    ReportModel* model_;
};

}  // namespace velmora
