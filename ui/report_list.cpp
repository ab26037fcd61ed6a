#include "ui/report_list.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <functional>
#include <utility>

#include "ui/gbk.h"

namespace velmora {

// ---- ReportModel ----------------------------------------------------------

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

// ---- ReportList -----------------------------------------------------------

namespace {

// A row is selected as a whole, but like a classic report list without
// full-row selection only its first cell is drawn highlighted, and only
// while the list has the focus.
class FirstCellSelectionDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (!(option.state & QStyle::State_Selected) || ShowsSelection(option, index)) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        // The view has already filled the whole selected row with the
        // highlight; this cell paints it over as an unselected one.
        QStyleOptionViewItem plain = option;
        plain.state &= ~QStyle::State_Selected;
        painter->fillRect(plain.rect, plain.palette.brush(QPalette::Base));
        QStyledItemDelegate::paint(painter, plain, index);
    }

  private:
    static bool ShowsSelection(const QStyleOptionViewItem& option, const QModelIndex& index) {
        return index.column() == 0 && option.widget != nullptr && option.widget->hasFocus();
    }
};

}  // namespace

ReportList::ReportList(std::vector<ReportColumn> columns, QWidget* parent) : QTableView(parent) {
    std::vector<int> widths;
    for (const ReportColumn& column : columns) {
        widths.push_back(column.width);
    }
    model_ = new ReportModel(std::move(columns), this);
    setModel(model_);
    setItemDelegate(new FirstCellSelectionDelegate(this));

    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setShowGrid(true);
    setWordWrap(false);
    // Tab leaves the list for the next control instead of walking the cells.
    setTabKeyNavigation(false);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);

    // Fixed row heights and no row header: the view then never measures
    // rows, which keeps a million of them quick to show and to scroll.
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 4);

    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(true);  // the buttons press, but nothing follows
    header->setSortIndicatorShown(false);
    header->setStretchLastSection(false);
    header->setHighlightSections(false);
    for (std::size_t column = 0; column < widths.size(); ++column) {
        header->resizeSection(static_cast<int>(column), widths[column]);
    }
}

void ReportList::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    viewport()->update();  // the selection appears with the focus
}

void ReportList::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    viewport()->update();  // and disappears without it
}

}  // namespace velmora
