// The rows of the results list: a table model over compact row storage. A
// batch may bring a million rows, so the cells live in one byte arena instead
// of one object per cell, and a view learns of appended rows in one
// announcement instead of one per row. Needs Qt Core only (no widgets, no
// display), so the batch code built on it runs wherever Qt Core does.
#pragma once

#include <QAbstractTableModel>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// One column of a report list: its GBK title, width in pixels and the
// alignment of its cells.
struct ReportColumn {
    std::string title;
    int width = 0;
    Qt::Alignment alignment = Qt::AlignLeft;
};

// Rows of GBK cells. Every cell keeps the exact bytes it was given; the view
// sees them decoded for display only, a very long cell only in its first
// few thousand bytes.
class ReportModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    explicit ReportModel(std::vector<ReportColumn> columns, QObject* parent = nullptr);

    // Adds an empty row after the last and returns its index. The view hears
    // of it once the running handler has returned (see PublishPendingRows).
    int AppendRow();
    // Replaces a cell's bytes; a missing row or column changes nothing.
    void SetCellText(int row, int column, std::string_view text);
    // A cell's bytes; a missing row or column gives the empty text.
    std::string_view CellText(int row, int column) const;
    // Every stored row, announced to the view or not yet.
    int StoredRowCount() const;
    // Announces the rows appended since the last announcement in one step.
    void PublishPendingRows();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    struct Cell {
        std::size_t offset = 0;
        std::size_t size = 0;
    };

    bool HasCell(int row, int column) const;
    bool PointsIntoArena(std::string_view text) const;
    Cell& CellAt(int row, int column);
    const Cell& CellAt(int row, int column) const;

    std::vector<ReportColumn> columns_;
    std::string arena_;        // the bytes of every cell, back to back
    std::vector<Cell> cells_;  // row-major, columnCount() per row
    int announced_rows_ = 0;   // rows the view has been told about
    bool publish_scheduled_ = false;
};

}  // namespace velmora
