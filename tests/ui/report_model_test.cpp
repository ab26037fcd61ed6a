// The compact row storage behind the results list: cells keep exact bytes
// through replacement, and the view hears of appended rows in one step.
#include <QSignalSpy>
#include <QTest>

#include "ui/report_list.h"

namespace velmora {

class ReportModelTest : public QObject {
    Q_OBJECT

  private slots:
    void cellsKeepTheirBytesThroughReplacement() {
        ReportModel model({{"a", 150, Qt::AlignLeft}, {"b", 150, Qt::AlignHCenter}});
        QCOMPARE(model.AppendRow(), 0);
        QCOMPARE(model.AppendRow(), 1);
        model.SetCellText(0, 0, "123.456789");
        model.SetCellText(0, 1, "2.160174089302");
        model.SetCellText(1, 0, std::string_view("\0x", 2));  // any bytes at all
        model.SetCellText(0, 0, "30.6");                      // shorter: written in place
        model.SetCellText(0, 1, "0.5410520681028 and more");  // longer: moved
        QCOMPARE(model.CellText(0, 0), std::string_view("30.6"));
        QCOMPARE(model.CellText(0, 1), std::string_view("0.5410520681028 and more"));
        QCOMPARE(model.CellText(1, 0), std::string_view("\0x", 2));
        QCOMPARE(model.CellText(1, 1), std::string_view());

        // A cell's own bytes may be copied into another, however the arena grows.
        for (int i = 0; i < 100; ++i) {
            model.SetCellText(1, 1, model.CellText(0, 1));
            model.SetCellText(0, 1, std::string(model.CellText(1, 1)) + "!");
        }
        const std::string grown = "0.5410520681028 and more" + std::string(99, '!');
        QCOMPARE(model.CellText(1, 1), std::string_view(grown));
        QCOMPARE(model.CellText(0, 1), std::string_view(grown + "!"));
    }

    void missingCellsReadEmptyAndAreNotWritten() {
        ReportModel model({{"a", 150, Qt::AlignLeft}, {"b", 150, Qt::AlignHCenter}});
        model.AppendRow();
        for (const auto& [row, column] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 2}}) {
            model.SetCellText(row, column, "x");
            QCOMPARE(model.CellText(row, column), std::string_view());
        }
        QCOMPARE(model.CellText(0, 0), std::string_view());
        QCOMPARE(model.StoredRowCount(), 1);
    }

    void viewHearsOfAppendedRowsOnceTheHandlerHasReturned() {
        ReportModel model({{"a", 150, Qt::AlignLeft}, {"b", 150, Qt::AlignHCenter}});
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        for (int i = 0; i < 1000; ++i) {
            model.SetCellText(model.AppendRow(), 0, "1");
        }
        QCOMPARE(model.rowCount(), 0);  // nothing announced while the handler runs
        QCOMPARE(model.StoredRowCount(), 1000);
        QTRY_COMPARE(inserted.count(), 1);
        QCOMPARE(inserted.at(0).at(1).toInt(), 0);
        QCOMPARE(inserted.at(0).at(2).toInt(), 999);
        QCOMPARE(model.rowCount(), 1000);

        // Rows already shown tell the view when a cell changes.
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.SetCellText(5, 1, "0");
        QCOMPARE(changed.count(), 1);
        QCOMPARE(model.index(5, 1).data().toString(), QStringLiteral("0"));
    }
};

}  // namespace velmora

QTEST_GUILESS_MAIN(velmora::ReportModelTest)
#include "report_model_test.moc"
