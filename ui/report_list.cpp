#include "ui/report_list.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <utility>

namespace velmora {

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
