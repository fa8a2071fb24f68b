// The schedule pages of the main window over a real database file: the
// Schedule and Calculate (Prepayment) buttons replacing a schedule whole or
// not at all, the year groups with their texts and sums, grouping switched
// off and on, and the running totals of the rows as shown.

#include "GroupedTableView.h"
#include "LoanMath.h"
#include "MainWindowFixture.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>

#include <csignal>
#include <cstdio>

using namespace calvora;
using calvora::platform::GroupedTableModel;
using calvora::store::Query;

namespace {

// 100,000.00 at 6 % over 360 months, the payment already calculated.
const QString WorkedExample = QStringLiteral(
    "UPDATE tblMortgage SET HouseAmount=1000000000, DownPayment=0, LoanAmount=1000000000, InterestRate=6, "
    "TermInMonth=360, MonthlyPayment=5995505, TotalPayment=2158381800, TotalInterest=1158381800");

// The stored schedule of a mortgage, one text per month: the date and the six figures.
QStringList storedSchedule(const StoreFixture &store, int mortgageId)
{
    return store.rows(QStringLiteral("SELECT PayDate, ifnull(Interest, 0), ifnull(Principal, 0), "
                                     "ifnull(PrincipalLeft, 0), ifnull(ActualInterest, 0), ifnull(ActualPrincipal, 0), "
                                     "ifnull(ActualLeft, 0) FROM tblAmortization WHERE MortgageID=%1 ORDER BY AmortID")
                          .arg(mortgageId),
                      QLatin1Char(' '));
}

QString stored(const StoreFixture &store, const char *column, int mortgageId = 1)
{
    return store
        .value(QStringLiteral("SELECT %1 FROM tblMortgage WHERE MortgageID=%2").arg(QLatin1String(column)).arg(mortgageId))
        .toString();
}

// The shown data row of a view whose month text is month ("Mar 2005").
int shownRowOf(const GroupedTableModel &view, const QString &month)
{
    int monthColumn = view.columnIndex(u"tvAmortPayDate");
    if (monthColumn < 0)
        monthColumn = view.columnIndex(u"tvPrepayMonth");
    for (int p = 0; p < view.shownRowCount(); ++p) {
        if (view.shownRowKind(p) == GroupedTableModel::RowKind::Data &&
            view.cellText(view.shownRowIndex(p), monthColumn) == month)
            return p;
    }
    return -1;
}

QString cell(const GroupedTableModel &view, const QString &month, const char *column)
{
    const int position = shownRowOf(view, month);
    if (position < 0)
        return QStringLiteral("(no row %1)").arg(month);
    return view.cellText(view.shownRowIndex(position), view.columnIndex(QString::fromLatin1(column)));
}

class ScheduleFixture : public MainWindowFixture
{
public:
    // One mortgage (the worked example starting in startYear/startMonth,
    // prepaying prepayment ten-thousandths) and a second one with a
    // schedule row of its own that must never be touched.
    ScheduleFixture(int startYear, int startMonth, qint64 prepayment)
    {
        store.addMortgages({{1, QStringLiteral("First"), startYear, startMonth}, {2, QStringLiteral("Other"), 2010, 6}});
        store.exec({WorkedExample + QStringLiteral(", Prepayment=%1 WHERE MortgageID=1").arg(prepayment),
                    QStringLiteral("INSERT INTO tblAmortization (MortgageID, PayDate, Principal) VALUES (2, '2010-06-01', 123)")});
    }

    void schedule() { button("btnGenerate")->click(); }
    GroupedTableModel &amort() { return window->tvAmort; }
    GroupedTableModel &prepay() { return window->tvPrepay; }
};

} // namespace

class TestSchedulePages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void workedExampleRows_data();
    void workedExampleRows();
    void workedExampleResults_data();
    void workedExampleResults();
    void generatingTwiceKeepsOneSchedule();
    void newMortgageGetsItsOwnSchedule();
    void failedGenerationLeavesEverythingAsItWas_data();
    void failedGenerationLeavesEverythingAsItWas();
    void killedGenerationLeavesTheOldSchedule();
    void lockedFileLeavesTheOldSchedule();
    void typedPrepaymentReachesTheSchedule();

    void groupRowsAndFooters_data();
    void groupRowsAndFooters();
    void groupsFollowTheFirstPaymentMonth();
    void groupingOffAndOn();
    void closedYearOpensAgainOnPageChange();

    void runningTotals_data();
    void runningTotals();
    void runningTotalsAfterPayoff();
    void yearEditsStep();
};

void TestSchedulePages::initTestCase() { platform::initApplication(); }

void TestSchedulePages::workedExampleRows_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("expected");
    QTest::newRow("1") << 1 << QStringLiteral("2005-03-01 5000000 995505 999004495 5000000 1995505 998004495");
    QTest::newRow("2") << 2 << QStringLiteral("2005-04-01 4995022 1000483 998004012 4990022 2005483 995999012");
    QTest::newRow("32, the tie") << 32 << QStringLiteral("2007-10-01 4833545 1161960 965546940 4666337 2329168 930938319");
    QTest::newRow("251") << 251 << QStringLiteral("2026-01-01 2531656 3463849 502867449 52168 6943337 3490227");
    QTest::newRow("252, payoff") << 252 << QStringLiteral("2026-02-01 2514337 3481168 499386281 17451 3490227 0");
    QTest::newRow("253") << 253 << QStringLiteral("2026-03-01 2496931 3498574 495887707 0 0 0");
    QTest::newRow("360") << 360 << QStringLiteral("2035-02-01 29830 5965675 231 0 0 0");
}

void TestSchedulePages::workedExampleRows()
{
    QFETCH(int, row);
    QFETCH(QString, expected);
    ScheduleFixture f(2005, 3, 1000000);
    f.show();
    f.schedule();
    QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(QLatin1Char('\n'))));
    const QStringList rows = storedSchedule(f.store, 1);
    QCOMPARE(rows.size(), 360);
    QCOMPARE(rows.at(row - 1), expected);
}

void TestSchedulePages::workedExampleResults_data()
{
    QTest::addColumn<qint64>("prepayment");
    QTest::addColumn<QStringList>("results"); // ActualMonthly, ActualTerm, ActualTotal, ActualTotalInterest, InterestSaved
    QTest::newRow("100.00 prepaid") << qint64(1000000)
                                    << QStringList{QStringLiteral("6995505"), QStringLiteral("252"), QStringLiteral("1759379433"),
                                                   QStringLiteral("759379433"), QStringLiteral("399002367")};
    // Both schedules agree; the last remainder 0.0231 is never paid off.
    QTest::newRow("nothing prepaid") << qint64(0)
                                     << QStringList{QStringLiteral("5995505"), QStringLiteral("0"), QStringLiteral("2158381800"),
                                                    QStringLiteral("1158382031"), QStringLiteral("-231")};
}

void TestSchedulePages::workedExampleResults()
{
    QFETCH(qint64, prepayment);
    QFETCH(QStringList, results);
    ScheduleFixture f(2005, 3, prepayment);
    TfrmMain &window = f.show();
    // The Prepayment page's Calculate runs the same generation.
    window.findChild<QTabWidget *>(QStringLiteral("pgMort"))->setCurrentIndex(3);
    QTest::mouseClick(f.button("btnReGenerate"), Qt::LeftButton);
    QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(QLatin1Char('\n'))));
    QVERIFY(!window.qMortgage.isEditing());
    QStringList actual;
    for (const char *column : {"ActualMonthly", "ActualTerm", "ActualTotal", "ActualTotalInterest", "InterestSaved"})
        actual << stored(f.store, column);
    QCOMPARE(actual, results);
    QCOMPARE(f.child<QLineEdit>("CvDBCurrencyEdit3")->text(), QString::fromLatin1(prepayment ? "$699.55" : "$599.55"));
    QCOMPARE(window.qAmortization.recordCount(), 360);
    QCOMPARE(window.qAmortization.currentRow(), 0);
}

void TestSchedulePages::generatingTwiceKeepsOneSchedule()
{
    ScheduleFixture f(2005, 3, 1000000);
    f.show();
    f.schedule();
    const QStringList first = storedSchedule(f.store, 1);
    f.schedule();
    QVERIFY(f.errors.isEmpty());
    QCOMPARE(storedSchedule(f.store, 1), first);
    QCOMPARE(f.store.value(QStringLiteral("SELECT count(*) FROM tblAmortization")).toInt(), 361);
    QCOMPARE(storedSchedule(f.store, 2), QStringList{QStringLiteral("2010-06-01 0 123 0 0 0 0")});
}

void TestSchedulePages::newMortgageGetsItsOwnSchedule()
{
    // On an empty file the window begins a new record; its schedule must
    // belong to it once stored, not to a mortgage 0.
    MainWindowFixture f;
    TfrmMain &window = f.show();
    QVERIFY(window.qMortgage.state() == Query::State::Insert);
    window.qMortgage.field(u"LoanAmount").setCurrency(Currency::fromRaw(1000000000));
    window.qMortgage.field(u"TermInMonth").setInteger(12);
    window.qMortgage.field(u"InterestRate").setDouble(6);
    f.button("btnCalculate")->click();
    f.button("btnGenerate")->click();
    QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(QLatin1Char('\n'))));
    const int id = f.store.value(QStringLiteral("SELECT MortgageID FROM tblMortgage")).toInt();
    QVERIFY(id > 0);
    QCOMPARE(storedSchedule(f.store, id).size(), 12);
    QCOMPARE(f.store.value(QStringLiteral("SELECT count(*) FROM tblAmortization WHERE MortgageID=0")).toInt(), 0);
}

void TestSchedulePages::failedGenerationLeavesEverythingAsItWas_data()
{
    QTest::addColumn<QString>("change");     // made to the record on screen, not stored
    QTest::addColumn<QString>("fileChange"); // made to the file before the click
    QTest::addColumn<QString>("error");
    QTest::newRow("term 0") << QStringLiteral("TermInMonth=0") << QString()
                            << QStringLiteral("Could not convert variant of type (Null) into type (Currency)");
    QTest::newRow("no start year") << QStringLiteral("StartYear=0") << QString()
                                   << QStringLiteral("Invalid argument to date encode");
    QTest::newRow("a row fails to post")
        << QStringLiteral("Prepayment=2000000")
        << QStringLiteral("CREATE TRIGGER full BEFORE INSERT ON tblAmortization WHEN "
                          "(SELECT count(*) FROM tblAmortization WHERE MortgageID=NEW.MortgageID) >= 100 "
                          "BEGIN SELECT RAISE(ABORT, 'the disk is full'); END")
        << QStringLiteral("Could not add the record to tblAmortization: the disk is full");
    QTest::newRow("the payment overflows") << QStringLiteral("Prepayment=9223372036854775807") << QString()
                                           << QStringLiteral("Floating point overflow");
}

void TestSchedulePages::failedGenerationLeavesEverythingAsItWas()
{
    QFETCH(QString, change);
    QFETCH(QString, fileChange);
    QFETCH(QString, error);
    ScheduleFixture f(2005, 3, 1000000);
    TfrmMain &window = f.show();
    f.schedule();
    const QStringList before = storedSchedule(f.store, 1);
    const QString footerBefore = f.prepay().footerText(f.prepay().columnIndex(u"tvPrepayMonth"));
    QCOMPARE(footerBefore, QStringLiteral("P&I = $175,937.94"));
    if (!fileChange.isEmpty())
        f.store.exec({fileChange});

    // A change on screen that is not stored yet.
    const QString column = change.section(QLatin1Char('='), 0, 0);
    const qint64 value = change.section(QLatin1Char('='), 1).toLongLong();
    window.qMortgage.edit();
    store::Field &field = window.qMortgage.field(column);
    if (field.type() == store::FieldType::Money)
        field.setCurrency(Currency::fromRaw(value));
    else
        field.setInteger(value);
    const QString onScreen = field.asString();
    const QString inFile = stored(f.store, column.toLatin1().constData());

    f.schedule();
    QCOMPARE(f.errors, QStringList{error});
    // The old schedule, whole, in the file and in both grids.
    QCOMPARE(storedSchedule(f.store, 1), before);
    QCOMPARE(window.qAmortization.recordCount(), 360);
    QCOMPARE(f.prepay().footerText(f.prepay().columnIndex(u"tvPrepayMonth")), footerBefore);
    QVERIFY(f.amort().groupCount() > 0 && f.amort().isExpanded(0));
    QVERIFY(f.child<platform::GroupedTableView>("grdAmort")->model() == &f.amort());
    // The record as it was before the click: still being edited, unstored.
    QVERIFY(window.qMortgage.isEditing());
    QCOMPARE(field.asString(), onScreen);
    QCOMPARE(stored(f.store, column.toLatin1().constData()), inFile);
    QCOMPARE(stored(f.store, "ActualTerm"), QStringLiteral("252"));

    // Once the cause is gone the next generation goes through.
    if (!fileChange.isEmpty())
        f.store.exec({QStringLiteral("DROP TRIGGER full")});
    window.qMortgage.cancel();
    f.schedule();
    QCOMPARE(f.errors.size(), 1);
    QCOMPARE(storedSchedule(f.store, 1), before);
}

void TestSchedulePages::killedGenerationLeavesTheOldSchedule()
{
    // A long schedule generated in a child process that is killed part-way.
    ScheduleFixture f(2005, 3, 1000000);
    f.show();
    f.schedule();
    const QStringList before = storedSchedule(f.store, 1);
    QCOMPARE(before.size(), 360);
    f.window.reset();

    const PaymentResults longLoan = CalculatePayments({Currency::fromRaw(1000000000), 6.0, 32767});
    f.store.exec({QStringLiteral("UPDATE tblMortgage SET TermInMonth=32767, MonthlyPayment=%1, TotalInterest=%2 "
                                 "WHERE MortgageID=1")
                      .arg(longLoan.monthlyPayment.raw())
                      .arg(longLoan.totalInterest.raw())});
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("CALVORA_GENERATE_IN"), f.store.folder());
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForStarted(10000));
    QVERIFY(child.waitForReadyRead(30000));
    QCOMPARE(child.readLine().trimmed(), QByteArray("generating"));
    QTest::qWait(20); // well inside the 32,767 months
    ::kill(pid_t(child.processId()), SIGKILL);
    QVERIFY(child.waitForFinished(10000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);

    QCOMPARE(f.store.value(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    QCOMPARE(storedSchedule(f.store, 1), before);
    QCOMPARE(stored(f.store, "TermInMonth"), QStringLiteral("32767"));
    QCOMPARE(stored(f.store, "ActualTerm"), QStringLiteral("252"));
}

void TestSchedulePages::lockedFileLeavesTheOldSchedule()
{
    ScheduleFixture f(2005, 3, 1000000);
    TfrmMain &window = f.show();
    f.schedule();
    const QStringList before = storedSchedule(f.store, 1);
    {
        OtherProgramLock lock(f.store.path());
        QVERIFY(lock.isHeld());
        f.schedule();
        QCOMPARE(f.errors.size(), 1);
        QVERIFY2(f.errors.first().contains(QStringLiteral("in use by another program")), qPrintable(f.errors.first()));
        QCOMPARE(window.qAmortization.recordCount(), 360);
    }
    QCOMPARE(storedSchedule(f.store, 1), before);
    f.schedule();
    QCOMPARE(f.errors.size(), 1);
    QCOMPARE(storedSchedule(f.store, 1), before);
}

void TestSchedulePages::typedPrepaymentReachesTheSchedule()
{
    ScheduleFixture f(2005, 3, 0);
    TfrmMain &window = f.show();
    window.findChild<QTabWidget *>(QStringLiteral("pgMort"))->setCurrentIndex(3);
    auto *prepayment = f.child<QLineEdit>("edtPrepmt");
    QTest::mouseClick(prepayment, Qt::LeftButton);
    QCOMPARE(prepayment->selectedText(), QStringLiteral("0.00"));
    QTest::keyClicks(prepayment, QStringLiteral("100"));
    QTest::mouseClick(f.button("btnReGenerate"), Qt::LeftButton);
    QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(QLatin1Char('\n'))));
    QCOMPARE(stored(f.store, "Prepayment"), QStringLiteral("1000000"));
    QCOMPARE(stored(f.store, "ActualTerm"), QStringLiteral("252"));
    QCOMPARE(f.child<QLineEdit>("CvDBCurrencyEdit7")->text(), QStringLiteral("$39,900.24"));
    QCOMPARE(f.child<QLineEdit>("edtPrepayment")->text(), QStringLiteral("$100.00"));
}

void TestSchedulePages::groupRowsAndFooters_data()
{
    QTest::addColumn<bool>("prepaymentView");
    QTest::addColumn<QString>("firstGroup");
    QTest::addColumn<QStringList>("footer"); // column name, text
    QTest::addColumn<QStringList>("firstGroupFooter");
    QTest::newRow("payment view")
        << false
        << QStringLiteral("Year : 2004 (Payment this year (P&I) = $7,194.61, Principal = $1,228.01, Interest = $5,966.59)")
        << QStringList{QStringLiteral("tvAmortPrincipal"), QStringLiteral("P = $99,999.98"),
                       QStringLiteral("tvAmortInterest"), QStringLiteral("I = $115,838.20"),
                       QStringLiteral("tvAmortPayDate"), QStringLiteral("P&I = $215,838.18")}
        << QStringList{QStringLiteral("tvAmortPrincipal"), QStringLiteral("$1,228.01"),
                       QStringLiteral("tvAmortInterest"), QStringLiteral("$5,966.59")};
    QTest::newRow("prepayment view")
        << true
        << QStringLiteral("Year : 2004 (Payment this year (P&I) = $8,394.61, Principal = $2,461.57, Interest = $5,933.04)")
        << QStringList{QStringLiteral("tvPrepayMonth"), QStringLiteral("P&I = $175,937.94"),
                       QStringLiteral("tvPrepayActualInterest"), QStringLiteral("I = $75,937.94")}
        << QStringList{QStringLiteral("tvPrepayActualPrincipal"), QStringLiteral("$2,461.57"),
                       QStringLiteral("tvPrepayActualInterest"), QStringLiteral("$5,933.04")};
}

void TestSchedulePages::groupRowsAndFooters()
{
    QFETCH(bool, prepaymentView);
    QFETCH(QString, firstGroup);
    QFETCH(QStringList, footer);
    QFETCH(QStringList, firstGroupFooter);
    ScheduleFixture f(2004, 1, 1000000);
    f.show();
    f.schedule();
    const GroupedTableModel &view = prepaymentView ? f.prepay() : f.amort();
    QCOMPARE(view.groupCount(), 30);
    QCOMPARE(view.groupRowText(0), firstGroup);
    for (int i = 0; i < footer.size(); i += 2)
        QCOMPARE(view.footerText(view.columnIndex(footer.at(i))), footer.at(i + 1));
    for (int i = 0; i < firstGroupFooter.size(); i += 2)
        QCOMPARE(view.groupFooterText(0, view.columnIndex(firstGroupFooter.at(i))), firstGroupFooter.at(i + 1));
    // Footer values of hidden columns count too: 2 and 3 are what generation reads.
    if (prepaymentView) {
        QCOMPARE(view.footerValue(0)->raw(), 999999769);
        QCOMPARE(view.footerValue(2)->raw(), 1759379433);
        QCOMPARE(view.footerValue(3)->raw(), 759379433);
        // Every year after the payoff shows zeros.
        QCOMPARE(view.groupRowText(29),
                 QStringLiteral("Year : 2033 (Payment this year (P&I) = $0.00, Principal = $0.00, Interest = $0.00)"));
    }
}

void TestSchedulePages::groupsFollowTheFirstPaymentMonth()
{
    ScheduleFixture f(2004, 3, 0);
    f.show();
    f.schedule();
    QCOMPARE(f.amort().groupCount(), 31);
    QVERIFY(f.amort().groupRowText(30).startsWith(QStringLiteral("Year : 2034 (Payment this year (P&I) = $1,199.10,")));
    // 10 months in 2004, 12 in each year between, 2 in 2034: the shown rows
    // are the group rows and every month.
    QCOMPARE(f.amort().shownRowCount(), 31 + 360);
    QCOMPARE(f.amort().shownRowKind(11), GroupedTableModel::RowKind::Group);
    QCOMPARE(f.amort().shownRowKind(31 + 360 - 3), GroupedTableModel::RowKind::Group);
}

void TestSchedulePages::groupingOffAndOn()
{
    ScheduleFixture f(2004, 1, 1000000);
    f.show();
    f.schedule();
    auto *group = f.child<QCheckBox>("chkGroup");
    QTest::mouseClick(group, Qt::LeftButton, {}, QPoint(5, group->height() / 2));
    QVERIFY(!group->isChecked());
    QVERIFY(!f.amort().isGrouped());
    QCOMPARE(f.amort().shownRowCount(), 360);
    QCOMPARE(f.amort().footerText(f.amort().columnIndex(u"tvAmortPayDate")), QStringLiteral("P&I = $215,838.18"));
    // The prepayment view keeps its own grouping.
    QVERIFY(f.prepay().isGrouped());

    QTest::mouseClick(group, Qt::LeftButton, {}, QPoint(5, group->height() / 2));
    QVERIFY(f.amort().isGrouped());
    QCOMPARE(f.amort().groupCount(), 30);
    for (int year = 0; year < 30; ++year)
        QVERIFY(f.amort().isExpanded(year));
    QCOMPARE(f.amort().shownRowCount(), 390);

    // The switch survives another mortgage becoming current.
    auto *grp = f.child<QCheckBox>("chkGrp");
    grp->click();
    f.window->qMortgage.next();
    f.window->qMortgage.first();
    QVERIFY(!f.prepay().isGrouped());
    QVERIFY(f.amort().isGrouped());
}

void TestSchedulePages::closedYearOpensAgainOnPageChange()
{
    ScheduleFixture f(2004, 1, 1000000);
    TfrmMain &window = f.show();
    f.schedule();
    auto *pages = window.findChild<QTabWidget *>(QStringLiteral("pgMort"));
    pages->setCurrentIndex(1);
    auto *grid = f.child<platform::GroupedTableView>("grdAmort");
    // The person closes 2004 with the keyboard on its group row.
    grid->setFocus();
    grid->setCurrentIndex(f.amort().groupIndex(0));
    QTest::keyClick(grid, Qt::Key_Left);
    QVERIFY(!f.amort().isExpanded(0));
    QCOMPARE(f.amort().shownPosition(0), -1);
    pages->setCurrentIndex(4);
    QVERIFY(!f.amort().isExpanded(0)); // only the page shown opens its groups
    pages->setCurrentIndex(1);
    QVERIFY(f.amort().isExpanded(0));
    QVERIFY(grid->isExpanded(f.amort().groupIndex(0)));
}

void TestSchedulePages::runningTotals_data()
{
    QTest::addColumn<bool>("grouped");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("principalPaid");
    QTest::addColumn<QString>("interestPaid");
    QTest::newRow("Jan 2004") << true << QStringLiteral("Jan 2004") << QStringLiteral("$99.55") << QStringLiteral("$500.00");
    QTest::newRow("Feb 2004") << true << QStringLiteral("Feb 2004") << QStringLiteral("$199.60") << QStringLiteral("$999.50");
    QTest::newRow("Jan 2005 starts again") << true << QStringLiteral("Jan 2005") << QStringLiteral("$105.69") << QStringLiteral("$493.86");
    QTest::newRow("Feb 2005") << true << QStringLiteral("Feb 2005") << QStringLiteral("$211.91") << QStringLiteral("$987.19");
    QTest::newRow("Mar 2005") << true << QStringLiteral("Mar 2005") << QStringLiteral("$318.66") << QStringLiteral("$1,479.99");
    QTest::newRow("Dec 2004 = the year's footer") << true << QStringLiteral("Dec 2004") << QStringLiteral("$1,228.01") << QStringLiteral("$5,966.59");
    QTest::newRow("flat Mar 2005") << false << QStringLiteral("Mar 2005") << QStringLiteral("$1,546.67") << QStringLiteral("$7,446.59");
    QTest::newRow("flat last month = the footer") << false << QStringLiteral("Dec 2033") << QStringLiteral("$99,999.98") << QStringLiteral("$115,838.20");
}

void TestSchedulePages::runningTotals()
{
    QFETCH(bool, grouped);
    QFETCH(QString, month);
    QFETCH(QString, principalPaid);
    QFETCH(QString, interestPaid);
    ScheduleFixture f(2004, 1, 1000000);
    f.show();
    f.schedule();
    if (!grouped)
        f.child<QCheckBox>("chkGroup")->click();
    QCOMPARE(cell(f.amort(), month, "tvAmortTotalPrincipal"), principalPaid);
    QCOMPARE(cell(f.amort(), month, "tvAmortTotalInterest"), interestPaid);
    // The grid shows the same texts it is given.
    auto *grid = f.child<platform::GroupedTableView>("grdAmort");
    QVERIFY(grid->model() == &f.amort());
}

void TestSchedulePages::runningTotalsAfterPayoff()
{
    ScheduleFixture f(2004, 1, 1000000);
    f.show();
    f.schedule();
    // The payoff is the 252nd month, Dec 2024: the rest of that year adds
    // nothing, later years show $0.00.
    const QString paid = cell(f.prepay(), QStringLiteral("Dec 2024"), "tvPrepayPrincipalPaid");
    QCOMPARE(cell(f.prepay(), QStringLiteral("Dec 2024"), "tvPrepayActualLeft"), QStringLiteral("$0.00"));
    QCOMPARE(cell(f.prepay(), QStringLiteral("Jan 2025"), "tvPrepayPrincipalPaid"), QStringLiteral("$0.00"));
    QCOMPARE(cell(f.prepay(), QStringLiteral("Jun 2030"), "tvPrepayInterestPaid"), QStringLiteral("$0.00"));
    QVERIFY(paid != QStringLiteral("$0.00"));
    QCOMPARE(f.prepay().groupFooterText(20, f.prepay().columnIndex(u"tvPrepayActualPrincipal")), paid);

    // A month inside a closed year has no place among the shown rows.
    f.amort().setExpanded(1, false);
    QString text = QStringLiteral("grid's own");
    const int record = f.amort().shownRowIndex(shownRowOf(f.amort(), QStringLiteral("Jan 2004")) ) + 12;
    f.window->tvAmortTotalPrincipalGetDisplayText(record, text);
    QCOMPARE(text, QStringLiteral("$0.00"));
}

void TestSchedulePages::yearEditsStep()
{
    ScheduleFixture f(2004, 1, 0);
    TfrmMain &window = f.show();
    window.findChild<QTabWidget *>(QStringLiteral("pgMort"))->setCurrentIndex(1);
    auto *year = f.child<QAbstractSpinBox>("edtYear");
    year->setFocus();
    QTest::keyClick(year, Qt::Key_PageUp);
    QTest::keyClick(year, Qt::Key_Up);
    QCOMPARE(f.current("StartYear"), QStringLiteral("2015"));
    QCOMPARE(f.child<QAbstractSpinBox>("edtActualYear")->text(), QStringLiteral("2015"));
    // The prepayment page only shows the year.
    f.child<QAbstractSpinBox>("edtActualYear")->stepBy(1);
    QCOMPARE(f.current("StartYear"), QStringLiteral("2015"));
    QVERIFY(f.errors.isEmpty());
}

// Started by killedGenerationLeavesTheOldSchedule: generates the schedule of
// the first mortgage in the folder given, saying when it begins.
static int generateInChild(const QString &folder, int argc, char *argv[])
{
    QApplication application(argc, argv);
    platform::initApplication();
    TfrmMain window(RegionalSettings::usEnglish(), folder);
    window.show();
    QApplication::processEvents();
    std::fputs("generating\n", stdout);
    std::fflush(stdout);
    window.findChild<QAbstractButton *>(QStringLiteral("btnGenerate"))->click();
    return 0;
}

int main(int argc, char *argv[])
{
    const QByteArray childFolder = qgetenv("CALVORA_GENERATE_IN");
    if (!childFolder.isEmpty())
        return generateInChild(QString::fromLocal8Bit(childFolder), argc, argv);
    QApplication application(argc, argv);
    TestSchedulePages test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_schedulepages.moc"
