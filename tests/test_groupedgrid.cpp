// The grouped table (model and grid) over a schedule in a real database file,
// and the stepping year edit and the month lookup box with real events.

#include "Connection.h"
#include "DBLookupCombo.h"
#include "DBSpinEdit.h"
#include "DataSource.h"
#include "DateTime.h"
#include "ErrorHandler.h"
#include "Field.h"
#include "Format.h"
#include "FormSupport.h"
#include "GroupedTableModel.h"
#include "GroupedTableView.h"
#include "Query.h"
#include "StoreFixture.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <optional>

using namespace calvora;
using calvora::platform::GroupedTableModel;
using calvora::platform::GroupedTableView;
using calvora::store::Query;
using RowKind = GroupedTableModel::RowKind;
using SummaryPlace = GroupedTableModel::SummaryPlace;

namespace {

qint64 cents(qint64 amountInCents) { return amountInCents * 100; } // raw ten-thousandths

// Mortgage 1 pays from November 2004 to December 2005; the file holds the
// months of 2004 between the first and the second half of 2005. Mortgage 2
// must never show.
//   2004: Principal 617.25 each, Interest 500.00 and 499.50, Prepayment -0.50 each
//   2005: Principal 620.00 each, Interest 480.00 each, no Prepayment
//   PrincipalLeft 1,000.00 on every row
QString scheduleRows()
{
    QStringList rows;
    auto add2005 = [&rows](int from, int to) {
        for (int month = from; month <= to; ++month)
            rows << QStringLiteral("(1, '2005-%1-01', 6200000, 4800000, 10000000, NULL)").arg(month, 2, 10, QLatin1Char('0'));
    };
    add2005(1, 6);
    rows << QStringLiteral("(1, '2004-11-01', 6172500, 5000000, 10000000, -5000)")
         << QStringLiteral("(1, '2004-12-01', 6172500, 4995000, 10000000, -5000)")
         << QStringLiteral("(2, '2004-12-01', 99990000, 99990000, 99990000, 99990000)");
    add2005(7, 12);
    return rows.join(QStringLiteral(", "));
}

// The schedule query with its calculated PayYear, and the grouped table over
// it: grouped and sorted by the year, every group open.
class ScheduleFixture
{
public:
    explicit ScheduleFixture(const QString &rows = scheduleRows(), int mortgage = 1)
    {
        if (!rows.isEmpty())
            store.exec({QStringLiteral("INSERT INTO tblAmortization "
                                       "(MortgageID, PayDate, Principal, Interest, PrincipalLeft, Prepayment) VALUES ") +
                        rows});
        connection.setDatabasePath(store.path());
        connection.setRegionalSettings(RegionalSettings::usEnglish());
        query.setSql(QStringLiteral("SELECT * FROM tblAmortization\nWHERE MortgageID=:MortgageID"));
        query.addCalculatedField({"PayYear", store::FieldType::Integer});
        query.onCalcFields = [](Query &q) {
            q.field(u"PayYear").setInteger(decodeDate(q.field(u"PayDate").asDate()).year);
        };
        query.setParameter(QStringLiteral("MortgageID"), mortgage);
        source.setDataSet(&query);

        auto column = [](const char *name, const char *caption, const char *field, bool visible, int width,
                         int minWidth) {
            GroupedTableModel::Column c;
            c.name = QString::fromLatin1(name);
            c.caption = QString::fromLatin1(caption);
            c.field = QString::fromLatin1(field);
            c.visible = visible;
            c.width = width;
            c.minWidth = minWidth;
            return c;
        };
        year = model.addColumn(column("tvYear", "Year", "PayYear", false, 40, 30));
        month = model.addColumn(column("tvMonth", "Month", "PayDate", true, 80, 60));
        principal = model.addColumn(column("tvPrincipal", "", "Principal", true, 90, 70));
        interest = model.addColumn(column("tvInterest", "", "Interest", true, 90, 70));
        prepayment = model.addColumn(column("tvPrepayment", "", "Prepayment", true, 80, 60));
        left = model.addColumn(column("tvLeft", "", "PrincipalLeft", false, 80, 60));
        // The principal paid up to a row, over the rows as shown.
        GroupedTableModel::Column paidSoFar = column("tvPaid", "Paid so far", "", true, 100, 80);
        paidSoFar.currencyCell = true;
        paidSoFar.onGetDisplayText = [this](int record, QString &text) {
            const int position = model.shownPosition(record);
            if (position < 0)
                return;
            Currency sum;
            for (int p = 0; p <= position; ++p)
                sum += model.shownAmount(p, principal).value_or(Currency());
            text = QString::fromStdString(formatMoney(sum, connection.regionalSettings()));
        };
        paid = model.addColumn(paidSoFar);

        // Footer items interleaved with the others: their index counts footer items only.
        model.addSummary({QStringLiteral("Principal"), QStringLiteral("tvPrincipal"), {}, SummaryPlace::Footer});
        model.addSummary({QStringLiteral("Principal"), QStringLiteral("tvPrincipal"),
                          QStringLiteral("Principal = $,0.00"), SummaryPlace::GroupRow});
        model.addSummary({QStringLiteral("Interest"), QStringLiteral("tvInterest"), QStringLiteral(",0.00"),
                          SummaryPlace::Footer});
        model.addSummary({QStringLiteral("Interest"), QStringLiteral("tvInterest"),
                          QStringLiteral("Interest = $,0.00"), SummaryPlace::GroupRow});
        model.addSummary({QStringLiteral("Principal"), QStringLiteral("tvPrincipal"), {}, SummaryPlace::GroupFooter});
        model.addSummary({QStringLiteral("Prepayment"), QStringLiteral("tvPrepayment"), {}, SummaryPlace::GroupFooter});
        model.addSummary({QStringLiteral("PrincipalLeft"), QStringLiteral("tvLeft"), {}, SummaryPlace::Footer});
        model.addSummary({QStringLiteral("Prepayment"), QStringLiteral("tvPrepayment"), {}, SummaryPlace::Footer});

        model.setDataSource(&source);
        model.setSortColumn(year);
        model.groupBy(year);
        query.open();
        model.expandAll();
    }

    // Each shown row as a short label: "Year : 2004" for a group row, the
    // month of the payment ("2004-11") for a data row.
    QStringList shownRows() const
    {
        QStringList labels;
        for (int p = 0; p < model.shownRowCount(); ++p) {
            const int index = model.shownRowIndex(p);
            if (model.shownRowKind(p) == RowKind::Group) {
                const QString text = model.groupRowText(index);
                labels << text.left(text.indexOf(QStringLiteral(" (")));
            } else {
                labels << model.cellText(index, month).left(7);
            }
        }
        return labels;
    }

    // The record whose payment falls in that month ("2005-01").
    int record(const QString &payMonth) const
    {
        for (int r = 0; r < model.recordCount(); ++r) {
            if (model.cellText(r, month).startsWith(payMonth))
                return r;
        }
        return -1;
    }

    // The item of that month's row in a column, as a grid finds it.
    QModelIndex item(const QString &payMonth, int column) const
    {
        for (int g = 0; g < model.groupCount(); ++g) {
            const QModelIndex group = model.groupIndex(g);
            for (int row = 0; row < model.rowCount(group); ++row) {
                const QModelIndex cell = model.index(row, month, group);
                if (model.kindOf(cell) == RowKind::Data && cell.data().toString().startsWith(payMonth))
                    return cell.siblingAtColumn(column);
            }
        }
        return {};
    }

    StoreFixture store;
    store::Connection connection;
    Query query{connection, QStringLiteral("qAmortization")};
    store::DataSource source;
    GroupedTableModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::QtTest};
    int year = -1, month = -1, principal = -1, interest = -1, prepayment = -1, left = -1, paid = -1;
};

QStringList payMonths(int year, int from, int to)
{
    QStringList months;
    for (int m = from; m <= to; ++m)
        months << QStringLiteral("%1-%2").arg(year).arg(m, 2, 10, QLatin1Char('0'));
    return months;
}

const QString kYear2004 = QStringLiteral("Year : 2004");
const QString kYear2005 = QStringLiteral("Year : 2005");

using Step = void (*)(ScheduleFixture &);

// The first mortgage with the given start year and month (0: empty), and a
// window to put the controls on.
class MortgageFixture
{
public:
    MortgageFixture(int startYear, int startMonth)
    {
        store.addMortgages({{1, QStringLiteral("First"), startYear, startMonth}});
        connection.setDatabasePath(store.path());
        connection.setRegionalSettings(RegionalSettings::usEnglish());
        mortgage.setSql(QStringLiteral("SELECT * FROM tblMortgage\nORDER BY NameSequence"));
        months.setSql(QStringLiteral("SELECT * FROM tblMonth\nORDER BY MonthID"));
        mortgageSource.setDataSet(&mortgage);
        monthSource.setDataSet(&months);
        platform::setErrorSink([this](const QString &message) { errors << message; });
    }
    ~MortgageFixture() { platform::resetErrorSink(); }

    void open()
    {
        mortgage.open();
        months.open();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    QVariant stored(const char *column) const { return mortgage.field(QString::fromLatin1(column)).value(); }

    StoreFixture store;
    store::Connection connection;
    Query mortgage{connection, QStringLiteral("qMortgage")};
    Query months{connection, QStringLiteral("qMonth")};
    store::DataSource mortgageSource{QStringLiteral("dsMortgage")};
    store::DataSource monthSource{QStringLiteral("dsMonth")};
    QWidget window;
    QStringList errors;
};

} // namespace

Q_DECLARE_METATYPE(Step)
Q_DECLARE_METATYPE(std::optional<qint64>)

class TestGroupedGrid : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { platform::initApplication(); }

    void summaryTexts_data();
    void summaryTexts();
    void footerValues_data();
    void footerValues();
    void emptyScheduleHasNoFigures();
    void shownRows_data();
    void shownRows();
    void displayTextHandlerReadsTheShownRows_data();
    void displayTextHandlerReadsTheShownRows();
    void shownAmounts_data();
    void shownAmounts();
    void emptyPayDateFallsInYear1899();

    void gridOpensAndClosesGroups_data();
    void gridOpensAndClosesGroups();
    void gridFollowsTheModelsExpansion();
    void gridColumnsFillTheWidth_data();
    void gridColumnsFillTheWidth();

    void spinEditSteps_data();
    void spinEditSteps();
    void spinEditRefuses_data();
    void spinEditRefuses();

    void lookupComboShowsTheColumn_data();
    void lookupComboShowsTheColumn();
    void lookupComboWritesTheChosenKey_data();
    void lookupComboWritesTheChosenKey();
};

// ---------------------------------------------------------------- the model

void TestGroupedGrid::summaryTexts_data()
{
    QTest::addColumn<int>("place");
    QTest::addColumn<int>("group");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("expected");
    const int groupRow = int(SummaryPlace::GroupRow), groupFooter = int(SummaryPlace::GroupFooter),
              footer = int(SummaryPlace::Footer);
    QTest::newRow("group row with number patterns") << groupRow << 0 << QString()
        << QStringLiteral("Year : 2004 (Principal = $1,234.50, Interest = $999.50)");
    QTest::newRow("second group row") << groupRow << 1 << QString()
        << QStringLiteral("Year : 2005 (Principal = $7,440.00, Interest = $5,760.00)");
    QTest::newRow("group footer in currency format") << groupFooter << 0 << QStringLiteral("tvPrincipal") << QStringLiteral("$1,234.50");
    QTest::newRow("negative group footer") << groupFooter << 0 << QStringLiteral("tvPrepayment") << QStringLiteral("-$1.00");
    QTest::newRow("group footer of empty values") << groupFooter << 1 << QStringLiteral("tvPrepayment") << QStringLiteral("$0.00");
    QTest::newRow("group footer without summary") << groupFooter << 0 << QStringLiteral("tvInterest") << QString();
    QTest::newRow("footer in currency format") << footer << -1 << QStringLiteral("tvPrincipal") << QStringLiteral("$8,674.50");
    QTest::newRow("footer with number pattern") << footer << -1 << QStringLiteral("tvInterest") << QStringLiteral("6,759.50");
    QTest::newRow("footer under a hidden column") << footer << -1 << QStringLiteral("tvLeft") << QStringLiteral("$14,000.00");
    QTest::newRow("negative footer") << footer << -1 << QStringLiteral("tvPrepayment") << QStringLiteral("-$1.00");
    QTest::newRow("footer without summary") << footer << -1 << QStringLiteral("tvMonth") << QString();
}

void TestGroupedGrid::summaryTexts()
{
    QFETCH(int, place);
    QFETCH(int, group);
    QFETCH(QString, column);
    QFETCH(QString, expected);
    ScheduleFixture f;
    const int at = f.model.columnIndex(column);
    switch (SummaryPlace(place)) {
    case SummaryPlace::GroupRow:
        QCOMPARE(f.model.groupRowText(group), expected);
        QCOMPARE(f.model.data(f.model.groupIndex(group)).toString(), expected);
        break;
    case SummaryPlace::GroupFooter: {
        QCOMPARE(f.model.groupFooterText(group, at), expected);
        const QModelIndex parent = f.model.groupIndex(group);
        const QModelIndex footerRow = f.model.index(f.model.rowCount(parent) - 1, at, parent);
        QCOMPARE(f.model.kindOf(footerRow), RowKind::GroupFooter);
        QCOMPARE(footerRow.data().toString(), expected);
        break;
    }
    case SummaryPlace::Footer:
        QCOMPARE(f.model.footerText(at), expected);
        break;
    }
}

void TestGroupedGrid::footerValues_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<std::optional<qint64>>("expected");
    QTest::newRow("principal") << 0 << std::optional<qint64>(cents(867450));
    QTest::newRow("interest, after a group-row item") << 1 << std::optional<qint64>(cents(675950));
    QTest::newRow("hidden column still counted") << 2 << std::optional<qint64>(cents(1400000));
    QTest::newRow("negative sum") << 3 << std::optional<qint64>(cents(-100));
    QTest::newRow("no such item") << 4 << std::optional<qint64>();
}

void TestGroupedGrid::footerValues()
{
    QFETCH(int, index);
    QFETCH(std::optional<qint64>, expected);
    ScheduleFixture f;
    QCOMPARE(f.model.footerValueCount(), 4);
    const std::optional<Currency> value = f.model.footerValue(index);
    QCOMPARE(value.has_value(), expected.has_value());
    if (expected)
        QCOMPARE(value->raw(), *expected);
}

void TestGroupedGrid::emptyScheduleHasNoFigures()
{
    ScheduleFixture f(scheduleRows(), 99);
    QCOMPARE(f.model.recordCount(), 0);
    QCOMPARE(f.model.groupCount(), 0);
    QCOMPARE(f.model.shownRowCount(), 0);
    for (int i = 0; i < f.model.footerValueCount(); ++i)
        QVERIFY2(!f.model.footerValue(i), qPrintable(QString::number(i)));
    for (int column : {f.principal, f.interest, f.left, f.prepayment})
        QCOMPARE(f.model.footerText(column), QString());
}

void TestGroupedGrid::shownRows_data()
{
    QTest::addColumn<Step>("step");
    QTest::addColumn<QStringList>("expected");
    const QStringList all = QStringList{kYear2004} + payMonths(2004, 11, 12) + QStringList{kYear2005} +
                            payMonths(2005, 1, 12);
    QTest::newRow("grouped, every group open, years in order")
        << Step([](ScheduleFixture &) {}) << all;
    QTest::newRow("first group closed")
        << Step([](ScheduleFixture &f) { f.model.setExpanded(0, false); })
        << QStringList{kYear2004, kYear2005} + payMonths(2005, 1, 12);
    QTest::newRow("last group closed")
        << Step([](ScheduleFixture &f) { f.model.setExpanded(1, false); })
        << QStringList{kYear2004} + payMonths(2004, 11, 12) + QStringList{kYear2005};
    QTest::newRow("not grouped: data rows only")
        << Step([](ScheduleFixture &f) { f.model.groupBy(-1); })
        << payMonths(2004, 11, 12) + payMonths(2005, 1, 12);
    QTest::newRow("not grouped and not sorted: the file's order")
        << Step([](ScheduleFixture &f) { f.model.groupBy(-1); f.model.setSortColumn(-1); })
        << payMonths(2005, 1, 6) + payMonths(2004, 11, 12) + payMonths(2005, 7, 12);
    QTest::newRow("grouped without a sort column: one group per year")
        << Step([](ScheduleFixture &f) { f.model.setSortColumn(-1); f.model.expandAll(); }) << all;
    QTest::newRow("grouping off and on: the groups return closed")
        << Step([](ScheduleFixture &f) { f.model.groupBy(-1); f.model.groupBy(f.year); })
        << QStringList{kYear2004, kYear2005};
    QTest::newRow("closed group stays closed when the rows are read again")
        << Step([](ScheduleFixture &f) { f.model.setExpanded(0, false); f.query.requery(); })
        << QStringList{kYear2004, kYear2005} + payMonths(2005, 1, 12);
}

void TestGroupedGrid::shownRows()
{
    QFETCH(Step, step);
    QFETCH(QStringList, expected);
    ScheduleFixture f;
    step(f);
    QCOMPARE(f.shownRows(), expected);
    // Every shown data row knows its position; the others have none.
    int hidden = 0;
    for (int r = 0; r < f.model.recordCount(); ++r) {
        const int position = f.model.shownPosition(r);
        if (position < 0) {
            ++hidden;
            continue;
        }
        QCOMPARE(f.model.shownRowKind(position), RowKind::Data);
        QCOMPARE(f.model.shownRowIndex(position), r);
    }
    QCOMPARE(f.model.recordCount(), 14);
    QCOMPARE(hidden, int(14 - expected.filter(QRegularExpression(QStringLiteral("^\\d{4}-"))).size()));
}

void TestGroupedGrid::displayTextHandlerReadsTheShownRows_data()
{
    QTest::addColumn<Step>("step");
    QTest::addColumn<QString>("payMonth");
    QTest::addColumn<QString>("expected");
    const Step none = [](ScheduleFixture &) {};
    const Step close2004 = [](ScheduleFixture &f) { f.model.setExpanded(0, false); };
    QTest::newRow("first row") << none << QStringLiteral("2004-11") << QStringLiteral("$617.25");
    QTest::newRow("across the group row") << none << QStringLiteral("2005-01") << QStringLiteral("$1,854.50");
    QTest::newRow("after a closed group") << close2004 << QStringLiteral("2005-01") << QStringLiteral("$620.00");
    QTest::newRow("inside a closed group") << close2004 << QStringLiteral("2004-12") << QString();
}

void TestGroupedGrid::displayTextHandlerReadsTheShownRows()
{
    QFETCH(Step, step);
    QFETCH(QString, payMonth);
    QFETCH(QString, expected);
    ScheduleFixture f;
    step(f);
    const int record = f.record(payMonth);
    QVERIFY(record >= 0);
    QCOMPARE(f.model.cellText(record, f.paid), expected);
    // The item the grid draws for the row shows the same text, right-aligned like money.
    const QModelIndex item = f.item(payMonth, f.paid);
    QVERIFY(item.isValid());
    QCOMPARE(item.data().toString(), expected);
    QCOMPARE(item.data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
}

void TestGroupedGrid::shownAmounts_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("column");
    QTest::addColumn<std::optional<qint64>>("expected");
    // Shown rows: 0 "Year : 2004", 1 2004-11, 2 2004-12, 3 "Year : 2005", 4 2005-01, ...
    QTest::newRow("money of a data row") << 1 << QStringLiteral("tvPrincipal") << std::optional<qint64>(cents(61725));
    QTest::newRow("whole number as units") << 4 << QStringLiteral("tvYear") << std::optional<qint64>(cents(200500));
    QTest::newRow("group row has none") << 3 << QStringLiteral("tvPrincipal") << std::optional<qint64>();
    QTest::newRow("empty value") << 4 << QStringLiteral("tvPrepayment") << std::optional<qint64>();
    QTest::newRow("date column") << 1 << QStringLiteral("tvMonth") << std::optional<qint64>();
    QTest::newRow("column without a field") << 1 << QStringLiteral("tvPaid") << std::optional<qint64>();
}

void TestGroupedGrid::shownAmounts()
{
    QFETCH(int, position);
    QFETCH(QString, column);
    QFETCH(std::optional<qint64>, expected);
    ScheduleFixture f;
    const std::optional<Currency> amount = f.model.shownAmount(position, f.model.columnIndex(column));
    QCOMPARE(amount.has_value(), expected.has_value());
    if (expected)
        QCOMPARE(amount->raw(), *expected);
}

void TestGroupedGrid::emptyPayDateFallsInYear1899()
{
    ScheduleFixture f(QStringLiteral("(1, '2004-11-01', 10000, 0, 0, NULL), (1, NULL, 20000, 0, 0, NULL)"));
    QCOMPARE(f.shownRows(), (QStringList{QStringLiteral("Year : 1899"), QString(), kYear2004,
                                         QStringLiteral("2004-11")}));
    QCOMPARE(f.model.groupRowText(0), QStringLiteral("Year : 1899 (Principal = $2.00, Interest = $0.00)"));
}

// ----------------------------------------------------------------- the grid

namespace {

struct GridFixture
{
    explicit GridFixture(int width = 520)
    {
        view.setGroupedModel(&schedule.model);
        view.resize(width, 420);
        view.show();
        if (!QTest::qWaitForWindowExposed(&view))
            qWarning("the grid was not exposed");
    }
    // The middle of a group row's text, under the Principal column.
    QPoint groupRowCenter(int group) const
    {
        return view.visualRect(schedule.model.groupIndex(group).siblingAtColumn(schedule.principal)).center();
    }

    ScheduleFixture schedule;
    GroupedTableView view;
};

} // namespace

void TestGroupedGrid::gridOpensAndClosesGroups_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("open/close button") << QStringLiteral("button");
    QTest::newRow("Left and Right keys") << QStringLiteral("keys");
    QTest::newRow("double click") << QStringLiteral("double click");
}

void TestGroupedGrid::gridOpensAndClosesGroups()
{
    QFETCH(QString, how);
    GridFixture g;
    GroupedTableModel &model = g.schedule.model;
    const QModelIndex group = model.groupIndex(0);
    auto toggle = [&](bool open) {
        if (how == QStringLiteral("button")) {
            // The button is drawn at the row's left edge.
            QTest::mouseClick(g.view.viewport(), Qt::LeftButton, {},
                              QPoint(g.view.indentation() / 2, g.groupRowCenter(0).y()));
        } else if (how == QStringLiteral("keys")) {
            QTest::mouseClick(g.view.viewport(), Qt::LeftButton, {}, g.groupRowCenter(0));
            QTest::keyClick(&g.view, open ? Qt::Key_Right : Qt::Key_Left);
        } else {
            QTest::mouseDClick(g.view.viewport(), Qt::LeftButton, {}, g.groupRowCenter(0));
        }
    };
    QSignalSpy changes(&model, &GroupedTableModel::expansionChanged);
    toggle(false);
    QTRY_VERIFY(!model.isExpanded(0));
    QVERIFY(model.isExpanded(1));
    QVERIFY(!g.view.isExpanded(group));
    QCOMPARE(g.schedule.shownRows(), (QStringList{kYear2004, kYear2005} + payMonths(2005, 1, 12)));
    QVERIFY(changes.count() >= 1);
    toggle(true);
    QTRY_VERIFY(model.isExpanded(0));
    QVERIFY(g.view.isExpanded(group));
}

void TestGroupedGrid::gridFollowsTheModelsExpansion()
{
    GridFixture g;
    GroupedTableModel &model = g.schedule.model;
    model.setExpanded(1, false);
    QVERIFY(!g.view.isExpanded(model.groupIndex(1)));
    model.expandAll();
    QVERIFY(g.view.isExpanded(model.groupIndex(0)));
    QVERIFY(g.view.isExpanded(model.groupIndex(1)));
    // Rows read again keep their groups open in the grid.
    g.schedule.query.requery();
    QVERIFY(g.view.isExpanded(model.groupIndex(0)));
    QVERIFY(g.view.isExpanded(model.groupIndex(1)));

    // The footer line sits right under the rows, as wide as they are.
    const QWidget *footer = g.view.footerWidget();
    QVERIFY(footer && footer->isVisible());
    const QRect rows = g.view.viewport()->geometry();
    QCOMPARE(footer->geometry().top(), rows.bottom() + 1);
    QCOMPARE(footer->geometry().left(), rows.left());
    QCOMPARE(footer->width(), rows.width());
    QVERIFY(footer->height() > 0);
    QVERIFY(footer->geometry().bottom() < g.view.height());
}

void TestGroupedGrid::gridColumnsFillTheWidth_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("scrolls");
    QTest::addColumn<bool>("fits");
    QTest::newRow("wide") << QSize(700, 420) << false << true;
    QTest::newRow("just wider than designed") << QSize(460, 420) << false << true;
    QTest::newRow("short, with a vertical scroll bar") << QSize(600, 120) << true << true;
    QTest::newRow("narrower than the minimum widths") << QSize(200, 420) << false << false;
}

void TestGroupedGrid::gridColumnsFillTheWidth()
{
    QFETCH(QSize, size);
    QFETCH(bool, scrolls);
    QFETCH(bool, fits);
    GridFixture g(400);
    g.view.resize(size);
    QTRY_COMPARE(g.view.verticalScrollBar()->isVisible(), scrolls);
    const GroupedTableModel &model = g.schedule.model;
    const QHeaderView *header = g.view.header();
    auto shownWidth = [&] {
        int total = 0;
        for (int c = 0; c < model.columnCountTotal(); ++c)
            total += g.view.isColumnHidden(c) ? 0 : header->sectionSize(c);
        return total;
    };
    if (fits)
        QTRY_COMPARE(shownWidth(), g.view.viewport()->width());
    else
        QVERIFY(shownWidth() > g.view.viewport()->width());
    for (int c = 0; c < model.columnCountTotal(); ++c) {
        QCOMPARE(g.view.isColumnHidden(c), !model.column(c).visible);
        if (model.column(c).visible)
            QVERIFY2(header->sectionSize(c) >= model.column(c).minWidth, qPrintable(model.column(c).name));
    }
}

// -------------------------------------------------------- the year spin edit

namespace {

// Steps the edit: a key by its name, "up button" / "down button" or
// "wheel up" / "wheel down".
void stepEdit(platform::DBSpinEdit &edit, const QString &how)
{
    if (how.startsWith(QStringLiteral("wheel"))) {
        const int delta = how.endsWith(QStringLiteral("up")) ? 120 : -120;
        const QPointF at = QPointF(edit.rect().center());
        QWheelEvent wheel(at, edit.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&edit, &wheel);
        return;
    }
    if (how.endsWith(QStringLiteral("button"))) {
        // The spin buttons stand one above the other at the right end.
        const int y = how.startsWith(QStringLiteral("up")) ? edit.height() / 4 : edit.height() * 3 / 4;
        QTest::mouseClick(&edit, Qt::LeftButton, {}, QPoint(edit.width() - 4, y));
        return;
    }
    static const QHash<QString, Qt::Key> keys{{QStringLiteral("Up"), Qt::Key_Up},
                                              {QStringLiteral("Down"), Qt::Key_Down},
                                              {QStringLiteral("PageUp"), Qt::Key_PageUp},
                                              {QStringLiteral("PageDown"), Qt::Key_PageDown},
                                              {QStringLiteral("1"), Qt::Key_1},
                                              {QStringLiteral("Backspace"), Qt::Key_Backspace},
                                              {QStringLiteral("Delete"), Qt::Key_Delete}};
    QTest::keyClick(&edit, keys.value(how), {});
}

struct SpinFixture : MortgageFixture
{
    explicit SpinFixture(int startYear) : MortgageFixture(startYear, 1)
    {
        edit = new platform::DBSpinEdit(&window);
        edit->setDataField(QStringLiteral("StartYear"));
        edit->setDataSource(&mortgageSource);
        open();
        edit->setFocus();
    }
    platform::DBSpinEdit *edit = nullptr;
};

} // namespace

void TestGroupedGrid::spinEditSteps_data()
{
    QTest::addColumn<int>("start"); // 0: empty
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("expected");
    QTest::newRow("Up") << 2004 << QStringLiteral("Up") << 2005;
    QTest::newRow("Down") << 2004 << QStringLiteral("Down") << 2003;
    QTest::newRow("PageUp clamped to the maximum") << 2095 << QStringLiteral("PageUp") << 2100;
    QTest::newRow("PageDown clamped to the minimum") << 1905 << QStringLiteral("PageDown") << 1900;
    QTest::newRow("PageUp by ten") << 2004 << QStringLiteral("PageUp") << 2014;
    QTest::newRow("Up at the maximum stays") << 2100 << QStringLiteral("Up") << 2100;
    QTest::newRow("Down from empty") << 0 << QStringLiteral("Down") << 2003;
    QTest::newRow("PageUp from empty") << 0 << QStringLiteral("PageUp") << 2014;
    QTest::newRow("up button") << 2004 << QStringLiteral("up button") << 2005;
    QTest::newRow("down button") << 2004 << QStringLiteral("down button") << 2003;
    QTest::newRow("wheel up") << 2004 << QStringLiteral("wheel up") << 2005;
    QTest::newRow("wheel down") << 2004 << QStringLiteral("wheel down") << 2003;
}

void TestGroupedGrid::spinEditSteps()
{
    QFETCH(int, start);
    QFETCH(QString, how);
    QFETCH(int, expected);
    SpinFixture f(start);
    QCOMPARE(f.edit->text(), start ? QString::number(start) : QString());
    stepEdit(*f.edit, how);
    QCOMPARE(f.stored("StartYear"), QVariant(qint64(expected)));
    QCOMPARE(f.mortgage.state(), Query::State::Edit);
    QCOMPARE(f.edit->text(), QString::number(expected));
    QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(QLatin1Char('\n'))));
}

void TestGroupedGrid::spinEditRefuses_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("typed digit") << QStringLiteral("1") << false;
    QTest::newRow("Backspace") << QStringLiteral("Backspace") << false;
    QTest::newRow("Delete") << QStringLiteral("Delete") << false;
    QTest::newRow("Up while read-only") << QStringLiteral("Up") << true;
    QTest::newRow("wheel while read-only") << QStringLiteral("wheel down") << true;
}

void TestGroupedGrid::spinEditRefuses()
{
    QFETCH(QString, how);
    QFETCH(bool, readOnly);
    SpinFixture f(2004);
    f.edit->setReadOnly(readOnly);
    stepEdit(*f.edit, how);
    QCOMPARE(f.stored("StartYear"), QVariant(qint64(2004)));
    QCOMPARE(f.mortgage.state(), Query::State::Browse);
    QCOMPARE(f.edit->text(), QStringLiteral("2004"));
}

// ------------------------------------------------------ the month lookup box

namespace {

struct ComboFixture : MortgageFixture
{
    explicit ComboFixture(int startMonth) : MortgageFixture(2004, startMonth)
    {
        box = new platform::DBLookupCombo(&window);
        box->setDataField(QStringLiteral("StartMonth"));
        box->setKeyField(QStringLiteral("MonthID"));
        box->setListField(QStringLiteral("MonthName"));
        box->setListSource(&monthSource);
        box->setDataSource(&mortgageSource);
        open();
        box->setFocus();
    }
    platform::DBLookupCombo *box = nullptr;
};

} // namespace

void TestGroupedGrid::lookupComboShowsTheColumn_data()
{
    QTest::addColumn<int>("month"); // 0: empty
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");
    QTest::newRow("March") << 3 << 2 << QStringLiteral("Mar");
    QTest::newRow("December") << 12 << 11 << QStringLiteral("Dec");
    QTest::newRow("key not in the list") << 13 << -1 << QString();
    QTest::newRow("empty column") << 0 << -1 << QString();
}

void TestGroupedGrid::lookupComboShowsTheColumn()
{
    QFETCH(int, month);
    QFETCH(int, index);
    QFETCH(QString, text);
    ComboFixture f(month);
    QCOMPARE(f.box->count(), 12);
    QCOMPARE(f.box->currentIndex(), index);
    QCOMPARE(f.box->currentText(), text);
}

void TestGroupedGrid::lookupComboWritesTheChosenKey_data()
{
    QTest::addColumn<int>("month"); // 0: empty
    QTest::addColumn<QString>("keys");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<int>("expected"); // 0: unchanged, record not edited
    QTest::newRow("Down") << 3 << QStringLiteral("Down") << false << 4;
    QTest::newRow("Up") << 3 << QStringLiteral("Up") << false << 2;
    QTest::newRow("End") << 3 << QStringLiteral("End") << false << 12;
    QTest::newRow("typed first letter") << 3 << QStringLiteral("D") << false << 12;
    QTest::newRow("Down from an empty column") << 0 << QStringLiteral("Down") << false << 1;
    QTest::newRow("Up at the first item") << 1 << QStringLiteral("Up") << false << 0;
    QTest::newRow("read-only") << 3 << QStringLiteral("Down") << true << 0;
}

void TestGroupedGrid::lookupComboWritesTheChosenKey()
{
    QFETCH(int, month);
    QFETCH(QString, keys);
    QFETCH(bool, readOnly);
    QFETCH(int, expected);
    ComboFixture f(month);
    f.box->setReadOnly(readOnly);
    const QVariant before = f.stored("StartMonth");
    static const QHash<QString, Qt::Key> named{{QStringLiteral("Down"), Qt::Key_Down},
                                               {QStringLiteral("Up"), Qt::Key_Up},
                                               {QStringLiteral("End"), Qt::Key_End}};
    if (named.contains(keys))
        QTest::keyClick(f.box, named.value(keys));
    else
        QTest::keyClicks(f.box, keys);
    if (expected == 0) {
        QCOMPARE(f.stored("StartMonth"), before);
        QCOMPARE(f.mortgage.state(), Query::State::Browse);
        return;
    }
    QCOMPARE(f.stored("StartMonth"), QVariant(qint64(expected)));
    QCOMPARE(f.mortgage.state(), Query::State::Edit);
    QCOMPARE(f.box->currentIndex(), expected - 1);
    QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestGroupedGrid)
#include "test_groupedgrid.moc"
