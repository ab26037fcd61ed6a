#include "ui/report_model.h"

#include <functional>
#include <utility>

#include "ui/gbk.h"

namespace velmora {

ReportModel::ReportModel(std::vector<ReportColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)) {}

int ReportModel::AppendRow() {
    const int row = StoredRowCount();
    cells_.resize(cells_.size() + columns_.size());
    // Telling the view row by row would make it relayout a million times;
    // one queued announcement lets the handler finish first and the view
    // take all new rows at once.
    if (!publish_scheduled_) {
        publish_scheduled_ = true;
        QMetaObject::invokeMethod(this, &ReportModel::PublishPendingRows, Qt::QueuedConnection);
    }
    return row;
}

void ReportModel::SetCellText(int row, int column, std::string_view text) {
    if (!HasCell(row, column)) {
        return;
    }
    if (PointsIntoArena(text)) {
        // Another cell's bytes: the arena may move while it grows.
        const std::string copy(text);
        SetCellText(row, column, copy);
        return;
    }
    Cell& cell = CellAt(row, column);
    // A text that fits where the old one was is written over it; a longer one
    // goes to the end of the arena. Each batch row is written once per cell,
    // so the space left behind stays small.
    if (text.size() > cell.size) {
        cell.offset = arena_.size();
        arena_.append(text);
    } else {
        arena_.replace(cell.offset, text.size(), text);
    }
    cell.size = text.size();
    if (row < announced_rows_) {
        const QModelIndex changed = index(row, column);
        emit dataChanged(changed, changed, {Qt::DisplayRole});
    }
}

std::string_view ReportModel::CellText(int row, int column) const {
    if (!HasCell(row, column)) {
        return {};
    }
    const Cell& cell = CellAt(row, column);
    return std::string_view(arena_).substr(cell.offset, cell.size);
}

int ReportModel::StoredRowCount() const {
    return static_cast<int>(cells_.size() / columns_.size());
}

void ReportModel::PublishPendingRows() {
    publish_scheduled_ = false;
    const int stored = StoredRowCount();
    if (stored == announced_rows_) {
        return;
    }
    beginInsertRows(QModelIndex(), announced_rows_, stored - 1);
    announced_rows_ = stored;
    endInsertRows();
}

int ReportModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : announced_rows_;
}

int ReportModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant ReportModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= announced_rows_) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return GbkToUnicode(CellText(index.row(), index.column()));
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(
                columns_[static_cast<std::size_t>(index.column())].alignment | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant ReportModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columnCount()) {
        return {};
    }
    return GbkToUnicode(columns_[static_cast<std::size_t>(section)].title);
}

Qt::ItemFlags ReportModel::flags(const QModelIndex& index) const {
    // Selectable, never editable.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

bool ReportModel::HasCell(int row, int column) const {
    return row >= 0 && row < StoredRowCount() && column >= 0 && column < columnCount();
}

bool ReportModel::PointsIntoArena(std::string_view text) const {
    const std::less_equal<const char*> at_or_before;
    return !text.empty() && at_or_before(arena_.data(), text.data()) &&
           at_or_before(text.data(), arena_.data() + arena_.size());
}

ReportModel::Cell& ReportModel::CellAt(int row, int column) {
    return cells_[static_cast<std::size_t>(row) * columns_.size() +
                  static_cast<std::size_t>(column)];
}

const ReportModel::Cell& ReportModel::CellAt(int row, int column) const {
    return cells_[static_cast<std::size_t>(row) * columns_.size() +
                  static_cast<std::size_t>(column)];
}

}  // namespace velmora
