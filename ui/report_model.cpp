#include "ui/report_model.h"

#include <functional>
#include <utility>

#include "ui/gbk.h"

namespace velmora {

namespace {

// The most bytes of a cell that the view is given to show. A column is a few
// hundred pixels wide, but a file without CR LF is one line of any length,
// and laying out a line of ten million characters takes the view seconds and
// gigabytes on every repaint. A cell keeps all its bytes; only what is drawn
// stops here, with an ellipsis saying that more follows.
constexpr std::size_t kMaxShownBytes = 4096;

// The cell's text as the view shows it: whole when short, otherwise its
// first characters up to kMaxShownBytes and an ellipsis.
QString ShownText(std::string_view cell) {
    if (cell.size() <= kMaxShownBytes) {
        return GbkToUnicode(cell);
    }
    // Cut between characters by the same rule as the line cutting: a byte
    // 0x80-0xFF begins a two-byte character (it is not the last byte here).
    std::size_t end = 0;
    while (end < kMaxShownBytes) {
        const std::size_t width = static_cast<unsigned char>(cell[end]) >= 0x80 ? 2 : 1;
        if (end + width > kMaxShownBytes) {
            break;
        }
        end += width;
    }
    return GbkToUnicode(cell.substr(0, end)) + QChar(0x2026);
}

}  // namespace

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
            return ShownText(CellText(index.row(), index.column()));
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
