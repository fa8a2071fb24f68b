// The schedule chart window over the main window's schedule views on a real
// database file: the balance series month by month against the stored rows,
// the yearly bars against sums taken from the file, the payoff mark, a redraw
// when another mortgage is selected or a schedule generated, the empty
// schedule, months that do not fit their columns, the picture written to a
// file, and closing.

#include "DBGrid.h"
#include "Errors.h"
#include "MainWindowFixture.h"
#include "ScheduleChart.h"

#include <QBarSet>
#include <QChart>
#include <QCheckBox>
#include <QDate>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QDir>
#include <QPushButton>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QTemporaryDir>

using namespace calvora;

namespace {

// 100,000.00 at 6 % over 360 months, the payment already calculated.
const QString WorkedExample = QStringLiteral(
    "UPDATE tblMortgage SET HouseAmount=1000000000, DownPayment=0, LoanAmount=1000000000, InterestRate=6, "
    "TermInMonth=360, MonthlyPayment=5995505, TotalPayment=2158381800, TotalInterest=1158381800");

// A stored amount (ten-thousandths) as the chart plots it.
double plotted(const QString &raw)
{
    return double(raw.toLongLong()) / 10000.0;
}

// Where the chart puts a month ("2004-03-01") on its time axis, in years.
double yearsOf(const QString &isoDate)
{
    const QDate date = QDate::fromString(isoDate, Qt::ISODate);
    return date.year() + (date.month() - 1) / 12.0;
}

class ChartFixture : public MainWindowFixture
{
public:
    // "First" is the worked example from January 2004 prepaying prepayment
    // ten-thousandths a month; "Other" the same loan from June 2010, without
    // a schedule until one is generated.
    explicit ChartFixture(qint64 prepayment = 1000000)
    {
        store.addMortgages({{1, QStringLiteral("First"), 2004, 1}, {2, QStringLiteral("Other"), 2010, 6}});
        store.exec({WorkedExample + QStringLiteral(", Prepayment=%1").arg(prepayment)});
    }

    void schedule() { button("btnGenerate")->click(); }
    void select(int row) const
    {
        auto *grid = child<platform::DBGrid>("dgMortgage");
        grid->setCurrentIndex(grid->model()->index(row, 0));
    }
    TfrmChart &openChart()
    {
        chart = std::make_unique<TfrmChart>(
            window->tvAmort, window->tvPrepay,
            [this] { return window->qMortgage.field(u"MortgageName").asString(); },
            RegionalSettings::usEnglish(), window.get());
        chart->show();
        return *chart;
    }
    QStringList storedMonths(const QString &columns, int mortgageId = 1) const
    {
        return store.rows(
            QStringLiteral("SELECT %1 FROM tblAmortization WHERE MortgageID=%2 ORDER BY PayDate")
                .arg(columns)
                .arg(mortgageId));
    }

    std::unique_ptr<TfrmChart> chart;
};

template <class T> T *seriesNamed(QChart *chart, const char *name)
{
    for (QAbstractSeries *series : chart->series()) {
        if (series->objectName() == QLatin1String(name))
            return qobject_cast<T *>(series);
    }
    return nullptr;
}

QBarSet *barSet(QChart *chart, const char *name)
{
    auto *bars = seriesNamed<QStackedBarSeries>(chart, "serYears");
    for (QBarSet *set : bars ? bars->barSets() : QList<QBarSet *>()) {
        if (set->objectName() == QLatin1String(name))
            return set;
    }
    return nullptr;
}

} // namespace

class TestChart : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void balanceFollowsTheStoredMonths_data();
    void balanceFollowsTheStoredMonths();
    void yearBarsSumTheStoredMonths_data();
    void yearBarsSumTheStoredMonths();
    void payoffMarksTheLastPayingMonth_data();
    void payoffMarksTheLastPayingMonth();
    void followsSelectionAndGeneration();
    void leavesOutMonthsThatDoNotFit();
    void savesThePicture();
    void unwritablePictureGivesAMessage();
    void saveButtonWritesTheChosenFile();
    void balanceNearTheLargestAmount();
    void closes_data();
    void closes();
};

void TestChart::initTestCase()
{
    platform::initApplication();
}

void TestChart::balanceFollowsTheStoredMonths_data()
{
    QTest::addColumn<QString>("series");
    QTest::addColumn<QString>("column");
    QTest::addColumn<bool>("grouped");
    QTest::newRow("payment schedule, by year")
        << QStringLiteral("serBalance") << QStringLiteral("PrincipalLeft") << true;
    QTest::newRow("prepayment schedule, by year")
        << QStringLiteral("serPrepaidBalance") << QStringLiteral("ActualLeft") << true;
    // Without grouping, and with every year closed, the months keep their order.
    QTest::newRow("payment schedule, flat")
        << QStringLiteral("serBalance") << QStringLiteral("PrincipalLeft") << false;
}

void TestChart::balanceFollowsTheStoredMonths()
{
    QFETCH(QString, series);
    QFETCH(QString, column);
    QFETCH(bool, grouped);
    ChartFixture f;
    TfrmMain &window = f.show();
    f.schedule();
    QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(QLatin1Char('\n'))));
    if (!grouped) {
        auto *group = f.child<QCheckBox>("chkGroup");
        QTest::mouseClick(group, Qt::LeftButton, {}, QPoint(5, group->height() / 2));
        QVERIFY(!window.tvAmort.isGrouped());
    }
    for (int g = 0; g < window.tvPrepay.groupCount(); ++g)
        window.tvPrepay.setExpanded(g, false);
    window.qAmortization.moveTo(17);

    TfrmChart &chart = f.openChart();
    // Reading the schedule leaves the schedule's current month where it was.
    QCOMPARE(window.qAmortization.currentRow(), 17);
    QCOMPARE(chart.windowTitle(), QStringLiteral("Schedule Chart – First"));

    auto *line = seriesNamed<QLineSeries>(chart.balanceChart(), series.toLatin1().constData());
    QVERIFY(line);
    const QStringList stored = f.storedMonths(QStringLiteral("PayDate, ifnull(%1, 0)").arg(column));
    QCOMPARE(stored.size(), 360);
    const QList<QPointF> points = line->points();
    QCOMPARE(points.size(), stored.size());
    for (int i = 0; i < stored.size(); ++i) {
        const QStringList row = stored[i].split(QLatin1Char('|'));
        QCOMPARE(points[i].x(), yearsOf(row[0]));
        QCOMPARE(points[i].y(), plotted(row[1]));
    }
    QVERIFY(chart.findChild<QLabel *>(QStringLiteral("lblNoSchedule"))->isHidden());
}

void TestChart::yearBarsSumTheStoredMonths_data()
{
    QTest::addColumn<bool>("withPrepayment");
    QTest::addColumn<QString>("principal");
    QTest::addColumn<QString>("interest");
    QTest::newRow("payment schedule") << false << QStringLiteral("Principal") << QStringLiteral("Interest");
    QTest::newRow("prepayment schedule")
        << true << QStringLiteral("ActualPrincipal") << QStringLiteral("ActualInterest");
}

void TestChart::yearBarsSumTheStoredMonths()
{
    QFETCH(bool, withPrepayment);
    QFETCH(QString, principal);
    QFETCH(QString, interest);
    ChartFixture f;
    f.show();
    f.schedule();
    TfrmChart &chart = f.openChart();
    if (withPrepayment) {
        auto *box = chart.findChild<QCheckBox *>(QStringLiteral("chkPrepaidYears"));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        QVERIFY(box->isChecked());
    }

    // SQLite sums the stored integers exactly.
    const QStringList sums = f.store.rows(
        QStringLiteral(
            "SELECT substr(PayDate, 1, 4), sum(ifnull(%1, 0)), sum(ifnull(%2, 0)) FROM tblAmortization "
            "WHERE MortgageID=1 GROUP BY substr(PayDate, 1, 4) ORDER BY 1")
            .arg(principal, interest));
    QCOMPARE(sums.size(), 30); // January 2004 to December 2033
    QBarSet *principalBars = barSet(chart.yearChart(), "setPrincipal");
    QBarSet *interestBars = barSet(chart.yearChart(), "setInterest");
    QVERIFY(principalBars && interestBars);
    QCOMPARE(principalBars->count(), sums.size());
    QCOMPARE(interestBars->count(), sums.size());
    const std::vector<ChartYear> &years = chart.chartData().years;
    QCOMPARE(int(years.size()), sums.size());
    for (int i = 0; i < sums.size(); ++i) {
        const QStringList row = sums[i].split(QLatin1Char('|'));
        const ChartYear &year = years[std::size_t(i)];
        QCOMPARE(year.year, row[0].toInt());
        QCOMPARE((withPrepayment ? year.actualPrincipal : year.principal).raw(), row[1].toLongLong());
        QCOMPARE((withPrepayment ? year.actualInterest : year.interest).raw(), row[2].toLongLong());
        QCOMPARE(principalBars->at(i), plotted(row[1]));
        QCOMPARE(interestBars->at(i), plotted(row[2]));
    }
}

void TestChart::payoffMarksTheLastPayingMonth_data()
{
    QTest::addColumn<qint64>("prepayment");
    QTest::addColumn<bool>("paysOff");
    QTest::newRow("100.00 prepaid") << qint64(1000000) << true;
    // Without prepayment the last month leaves a remainder: no payoff.
    QTest::newRow("nothing prepaid") << qint64(0) << false;
}

void TestChart::payoffMarksTheLastPayingMonth()
{
    QFETCH(qint64, prepayment);
    QFETCH(bool, paysOff);
    ChartFixture f(prepayment);
    f.show();
    f.schedule();
    TfrmChart &chart = f.openChart();

    const QStringList paying =
        f.storedMonths(QStringLiteral("PayDate, ifnull(ActualLeft, 0)") +
                       QStringLiteral(" , ifnull(ActualPrincipal, 0) + ifnull(ActualInterest, 0)"));
    QString lastPaying;
    QString leftAfter;
    for (const QString &month : paying) {
        const QStringList row = month.split(QLatin1Char('|'));
        if (row[2].toLongLong() != 0) {
            lastPaying = row[0];
            leftAfter = row[1];
        }
    }
    QCOMPARE(leftAfter == QStringLiteral("0"), paysOff);

    auto *payoff = seriesNamed<QScatterSeries>(chart.balanceChart(), "serPayoff");
    QVERIFY(payoff);
    if (!paysOff) {
        QCOMPARE(payoff->count(), 0);
        QCOMPARE(chart.chartData().payoffIndex, -1);
        return;
    }
    QCOMPARE(payoff->count(), 1);
    QCOMPARE(payoff->at(0), QPointF(yearsOf(lastPaying), 0.0));
    QCOMPARE(payoff->pointLabelsFormat(),
             QStringLiteral("Paid off ") +
                 QDate::fromString(lastPaying, Qt::ISODate).toString(QStringLiteral("MMM yyyy")));
}

void TestChart::followsSelectionAndGeneration()
{
    ChartFixture f;
    TfrmMain &window = f.show();
    f.select(1); // "Other", no schedule yet
    QCOMPARE(f.current("MortgageName"), QStringLiteral("Other"));
    TfrmChart &chart = f.openChart();
    auto *balance = seriesNamed<QLineSeries>(chart.balanceChart(), "serBalance");
    auto *empty = chart.findChild<QLabel *>(QStringLiteral("lblNoSchedule"));
    QVERIFY(balance && empty);
    QCOMPARE(balance->count(), 0);
    QCOMPARE(barSet(chart.yearChart(), "setPrincipal")->count(), 0);
    QVERIFY(empty->isVisible());
    QCOMPARE(empty->text(), QStringLiteral("No schedule yet: click Schedule on the Payment Schedule page."));
    QCOMPARE(chart.windowTitle(), QStringLiteral("Schedule Chart – Other"));

    f.schedule();
    QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(QLatin1Char('\n'))));
    QTRY_COMPARE(balance->count(), 360);
    QCOMPARE(balance->at(0).x(), yearsOf(QStringLiteral("2010-06-01")));
    QVERIFY(!empty->isVisible());

    f.select(0); // "First": its schedule is not generated either
    QTRY_COMPARE(chart.windowTitle(), QStringLiteral("Schedule Chart – First"));
    QTRY_COMPARE(balance->count(), 0);
    QVERIFY(empty->isVisible());

    f.schedule();
    QTRY_COMPARE(balance->count(), 360);
    QCOMPARE(balance->at(0).x(), yearsOf(QStringLiteral("2004-01-01")));

    // A larger prepayment, generated again, pays off earlier.
    const int payoff = chart.chartData().payoffIndex;
    window.qMortgage.edit();
    window.qMortgage.field(u"Prepayment").setCurrency(Currency::fromRaw(5000000));
    QTest::mouseClick(f.button("btnReGenerate"), Qt::LeftButton);
    QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(QLatin1Char('\n'))));
    QTRY_VERIFY(chart.chartData().payoffIndex < payoff);
    QVERIFY(chart.chartData().payoffIndex > 0);
}

void TestChart::leavesOutMonthsThatDoNotFit()
{
    ChartFixture f;
    // Five stored months of "First": one without a date, one whose balance
    // is text.
    f.store.exec({QStringLiteral("INSERT INTO tblAmortization (MortgageID, PayDate, Principal, Interest, "
                                 "PrincipalLeft, ActualPrincipal, "
                                 "ActualInterest, ActualLeft) VALUES "
                                 "(1, '2010-11-01', 10001, 20002, 990000, 30003, 40004, 970000), "
                                 "(1, NULL, 1, 1, 1, 1, 1, 1), "
                                 "(1, '2010-12-01', 10005, 20006, 980000, 30007, 40008, 940000), "
                                 "(1, '2011-01-01', 10009, 20010, 'lots', 30011, 40012, 910000), "
                                 "(1, '2011-02-01', 10013, 20014, 960000, 30015, 40016, 880000)")});
    f.show();
    TfrmChart &chart = f.openChart();
    const ScheduleChartData &data = chart.chartData();
    QCOMPARE(data.unreadableMonths, 2);
    auto *balance = seriesNamed<QLineSeries>(chart.balanceChart(), "serBalance");
    QCOMPARE(balance->points(), (QList<QPointF>{{yearsOf(QStringLiteral("2010-11-01")), 99.0},
                                                {yearsOf(QStringLiteral("2010-12-01")), 98.0},
                                                {yearsOf(QStringLiteral("2011-02-01")), 96.0}}));
    QCOMPARE(int(data.years.size()), 2);
    QCOMPARE(data.years[0].principal.raw(), 10001 + 10005);
    QCOMPARE(data.years[1].actualInterest.raw(), 40016);
    auto *note = chart.findChild<QLabel *>(QStringLiteral("lblUnreadable"));
    QVERIFY(note->isVisible());
    QCOMPARE(note->text(),
             QStringLiteral(
                 "2 months of the schedule are not shown: their date or an amount does not fit its column."));
    // Nothing of it is written back.
    QCOMPARE(f.store.value(QStringLiteral("SELECT count(*) FROM tblAmortization WHERE PrincipalLeft='lots'"))
                 .toInt(),
             1);
}

void TestChart::savesThePicture()
{
    ChartFixture f;
    f.show();
    f.schedule();
    TfrmChart &chart = f.openChart();
    chart.resize(800, 640);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("chart.png"));
    chart.saveImage(path);
    QImage picture;
    QVERIFY(picture.load(path, "PNG"));
    const QWidget *charts = chart.findChild<QWidget *>(QStringLiteral("pnlCharts"));
    QCOMPARE(picture.size(), charts->size() * charts->devicePixelRatio());
    QVERIFY(charts->width() > 700);
    // The picture is the chart, not an empty panel: the balance line's blue is in it.
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    int blue = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        for (int x = 0; x < rgb.width(); ++x)
            blue += rgb.pixelColor(x, y) == QColor(0x00, 0x66, 0xCC);
    }
    QVERIFY2(blue > 300, qPrintable(QString::number(blue)));
}

void TestChart::unwritablePictureGivesAMessage()
{
    ChartFixture f;
    f.show();
    TfrmChart &chart = f.openChart();
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("missing/chart.png"));
    try {
        chart.saveImage(path);
        QFAIL("a picture in a missing folder was written");
    } catch (const Error &e) {
        QVERIFY2(QString::fromUtf8(e.what()).startsWith(QStringLiteral("Cannot write the chart to %1: ").arg(path)),
                 e.what());
    }
    QVERIFY(!QFile::exists(path));
}

void TestChart::saveButtonWritesTheChosenFile()
{
    // The file chosen is the file written, as PNG, replacing one that is
    // there; cancelling writes nothing.
    ChartFixture f;
    f.show();
    f.schedule();
    TfrmChart &chart = f.openChart();
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("picture"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    auto *save = chart.findChild<QPushButton *>(QStringLiteral("btnSave"));
    platform::setNextSaveFileNames({QString()});
    QTest::mouseClick(save, Qt::LeftButton);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("picture")});
    platform::setNextSaveFileNames({path});
    QTest::mouseClick(save, Qt::LeftButton);
    QImage picture;
    QVERIFY(picture.load(path, "PNG"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("picture")});
    QVERIFY(f.errors.isEmpty());
}

void TestChart::balanceNearTheLargestAmount()
{
    // A balance near the largest amount money holds: the axis's last step
    // lies beyond it and still gets its label.
    ChartFixture f;
    f.store.exec({QStringLiteral("INSERT INTO tblAmortization (MortgageID, PayDate, Principal, Interest, PrincipalLeft, "
                                 "ActualPrincipal, ActualInterest, ActualLeft) VALUES "
                                 "(1, '2004-01-01', 0, 0, 9000000000000000000, 0, 0, 9000000000000000000)")});
    f.show();
    TfrmChart &chart = f.openChart();
    QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(u'\n')));
    auto *balance = seriesNamed<QLineSeries>(chart.balanceChart(), "serBalance");
    QCOMPARE(balance->points().size(), 1);
    QCOMPARE(balance->points().first().y(), 900000000000000.0);
}

void TestChart::closes_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("Esc") << true;
    QTest::newRow("Close button") << false;
}

void TestChart::closes()
{
    QFETCH(bool, escape);
    ChartFixture f;
    f.show();
    TfrmChart &chart = f.openChart();
    chart.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&chart));
    if (escape)
        QTest::keyClick(&chart, Qt::Key_Escape);
    else
        QTest::mouseClick(chart.findChild<QPushButton *>(QStringLiteral("btnClose")), Qt::LeftButton);
    QVERIFY(!chart.isVisible());
    QVERIFY(f.window->isVisible());
}

QTEST_MAIN(TestChart)
#include "test_chart.moc"
