// The Compare Mortgages window over a real database file: the figures of two
// mortgages stored by the main window's Calculate and Schedule and their
// differences, mortgages whose inputs changed afterwards or that were never
// calculated, values that do not fit their column, and ticking mortgages
// with the keyboard and the mouse.

#include "Connection.h"
#include "Format.h"
#include "LoanMath.h"
#include "MainWindowFixture.h"
#include "Schedule.h"
#include "fCompare.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

using namespace calvora;
using Standing = ComparisonTable::Standing;

namespace {

const QString Dash = QStringLiteral("\u2014");

// Three mortgages in list order: "Home" (the worked example, 100.00
// prepaid), "Condo" (120,000.00 at 5.5 %, 50.00 prepaid) and "Cabin", whose
// inputs were entered but which was never calculated.
const QStringList Inputs{
    QStringLiteral(
        "UPDATE tblMortgage SET HouseAmount=1200000000, DownPayment=200000000, LoanAmount=1000000000, "
        "InterestRate=6, TermInMonth=360, Prepayment=1000000 WHERE MortgageID=1"),
    QStringLiteral(
        "UPDATE tblMortgage SET HouseAmount=1500000000, DownPayment=300000000, LoanAmount=1200000000, "
        "InterestRate=5.5, TermInMonth=360, Prepayment=500000 WHERE MortgageID=2"),
    QStringLiteral(
        "UPDATE tblMortgage SET HouseAmount=800000000, DownPayment=100000000, LoanAmount=700000000, "
        "InterestRate=7, TermInMonth=180 WHERE MortgageID=3"),
};

QString money(Currency value)
{
    return QString::fromStdString(formatMoney(value, RegionalSettings::usEnglish()));
}
QString signedMoney(Currency value)
{
    if (value.isZero())
        return money(value);
    return value < Currency() ? QStringLiteral("\u2212") + money(-value) : QLatin1Char('+') + money(value);
}
QString month(int year, int month, int later)
{
    return QString::fromStdString(
        formatDate("mmm yyyy", incMonth(encodeDate(year, month, 1), later), RegionalSettings::usEnglish()));
}

// A copy of the file the main window calculated, to change at will.
class CompareFixture
{
public:
    explicit CompareFixture(const QString &master)
    {
        QFile::remove(store.path());
        QFile::copy(master, store.path());
        QFile::setPermissions(store.path(), QFile::ReadOwner | QFile::WriteOwner);
        connection.setDatabasePath(store.path());
        connection.setRegionalSettings(RegionalSettings::usEnglish());
    }

    ComparisonTable compare(const QList<qint32> &ids)
    {
        return CompareMortgages(connection, ids, RegionalSettings::usEnglish());
    }

    StoreFixture store;
    store::Connection connection;
};

QStringList headerNames(const QTableWidget &grid)
{
    QStringList names;
    for (int column = 1; column < grid.columnCount(); ++column)
        names << grid.horizontalHeaderItem(column)->text().section(QLatin1Char('\n'), 0, 0);
    return names;
}

} // namespace

class TestCompare : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void figures_data();
    void figures();
    void standing_data();
    void standing();
    void foreignValues_data();
    void foreignValues();
    void missingFile();

    void ticking_data();
    void ticking();
    void staleColumnIsTinted();
    void closing_data();
    void closing();

private:
    QTemporaryDir m_masterDir;
    QString m_master;
};

void TestCompare::initTestCase()
{
    platform::initApplication();
    // Home and Condo calculated and scheduled through the main window's own
    // buttons, so the file holds exactly what the program stores.
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("Home"), 2005, 3},
                          {2, QStringLiteral("Condo"), 2006, 1},
                          {3, QStringLiteral("Cabin"), 2007, 7}});
    for (const QString &statement : Inputs)
        f.store.exec({statement});
    TfrmMain &window = f.show();
    for (int row : {0, 1}) {
        window.qMortgage.moveTo(row);
        QTest::mouseClick(f.button("btnCalculate"), Qt::LeftButton);
        f.button("btnGenerate")->click();
    }
    QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(QLatin1Char('\n'))));
    QCOMPARE(f.store.value(QStringLiteral("SELECT count(*) FROM tblMortgage WHERE ActualTerm > 0")).toInt(),
             2);
    f.window.reset();
    m_master = m_masterDir.filePath(QStringLiteral("Mortgage.mdb"));
    QVERIFY(QFile::copy(f.store.path(), m_master));
}

void TestCompare::figures_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("cells"); // Home, Condo, Condo less Home

    const PaymentResults condo = CalculatePayments({Currency::fromAmount(120000), 5.5, 360});
    ScheduleInputs condoSchedule;
    condoSchedule.loanAmount = Currency::fromAmount(120000);
    condoSchedule.monthlyPayment = condo.monthlyPayment;
    condoSchedule.prepayment = Currency::fromAmount(50);
    condoSchedule.interestRate = 5.5;
    condoSchedule.startYear = 2006;
    condoSchedule.startMonth = 1;
    condoSchedule.termInMonth = 360;
    const PrepaymentResults condoPrepaid = GeneratePrepaymentResults(condoSchedule, condo.totalInterest);
    // The worked example by hand: 599.5505 a month, 252 months with 100.00 prepaid.
    const Currency homeMonthly = Currency::fromRaw(5995505);
    const Currency homeTotal = Currency::fromRaw(2158381800);
    const Currency homeInterest = Currency::fromRaw(1158381800);
    const Currency homeSaved = Currency::fromRaw(399002367);
    const PaymentResults home = CalculatePayments({Currency::fromAmount(100000), 6, 360});
    auto row = [](const char *caption, QStringList cells) {
        QTest::newRow(caption) << QString::fromLatin1(caption) << cells;
    };

    row("House Price",
        {QStringLiteral("$120,000.00"), QStringLiteral("$150,000.00"), QStringLiteral("+$30,000.00")});
    row("Down Payment",
        {QStringLiteral("$20,000.00"), QStringLiteral("$30,000.00"), QStringLiteral("+$10,000.00")});
    row("Loan Amount",
        {QStringLiteral("$100,000.00"), QStringLiteral("$120,000.00"), QStringLiteral("+$20,000.00")});
    row("Interest Rate (%)", {QStringLiteral("6"), QStringLiteral("5.5"), QStringLiteral("\u22120.5")});
    row("Term in Months", {QStringLiteral("360"), QStringLiteral("360"), QStringLiteral("0")});
    row("First Payment",
        {QStringLiteral("Mar 2005"), QStringLiteral("Jan 2006"), QStringLiteral("+10 months")});
    row("Monthly Payment (P&I)", {QStringLiteral("$599.55"), money(condo.monthlyPayment),
                                  signedMoney(condo.monthlyPayment - homeMonthly)});
    row("Total Payment (P&I)", {QStringLiteral("$215,838.18"), money(condo.totalPayment),
                                signedMoney(condo.totalPayment - homeTotal)});
    row("Total Interest Paid", {QStringLiteral("$115,838.18"), money(condo.totalInterest),
                                signedMoney(condo.totalInterest - homeInterest)});
    row("Biweekly Payment (P&I)", {money(home.biweeklyPayment), money(condo.biweeklyPayment),
                                   signedMoney(condo.biweeklyPayment - home.biweeklyPayment)});
    row("Biweekly Interest Saved", {money(home.biweeklyInterestSaved), money(condo.biweeklyInterestSaved),
                                    signedMoney(condo.biweeklyInterestSaved - home.biweeklyInterestSaved)});
    row("Prepayment", {QStringLiteral("$100.00"), QStringLiteral("$50.00"), QStringLiteral("\u2212$50.00")});
    // Home pays off in its 252nd month, February 2026.
    const int condoPayoff = condoPrepaid.actualTerm;
    const int monthsApart = (2006 * 12 + condoPayoff - 1) - (2005 * 12 + 2 + 251);
    row("Payoff Month", {QStringLiteral("Feb 2026"), month(2006, 1, condoPayoff - 1),
                         (monthsApart > 0 ? QStringLiteral("+") : QStringLiteral("\u2212")) +
                             QString::number(std::abs(monthsApart)) + QStringLiteral(" months")});
    row("Interest Saved", {QStringLiteral("$39,900.24"), money(condoPrepaid.interestSaved),
                           signedMoney(condoPrepaid.interestSaved - homeSaved)});
}

void TestCompare::figures()
{
    QFETCH(QString, caption);
    QFETCH(QStringList, cells);
    CompareFixture f(m_master);
    const ComparisonTable table = f.compare({1, 2});
    QVERIFY(table.hint.isEmpty());
    QCOMPARE(table.columnCaptions,
             (QStringList{QStringLiteral("Home"), QStringLiteral("Condo"), QStringLiteral("Difference")}));
    QCOMPARE(table.notes, QStringList());
    const int row = int(table.rowCaptions.indexOf(caption));
    QVERIFY(row >= 0);
    QCOMPARE(QStringList(table.cells[row].begin(), table.cells[row].end()), cells);
}

void TestCompare::standing_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QList<qint32>>("ids");
    QTest::addColumn<int>("column"); // the mortgage column expected marked
    QTest::addColumn<QString>("header");
    QTest::addColumn<QStringList>("dashed"); // rows whose difference is a dash
    QTest::addColumn<QStringList>("notes");

    const QStringList calculation{
        QStringLiteral("Monthly Payment (P&I)"),   QStringLiteral("Total Payment (P&I)"),
        QStringLiteral("Total Interest Paid"),     QStringLiteral("Biweekly Payment (P&I)"),
        QStringLiteral("Biweekly Term in Months"), QStringLiteral("Biweekly Interest Saved")};
    const QStringList schedule{QStringLiteral("Payoff Month"), QStringLiteral("Interest Saved")};
    const QString calculateNote = QStringLiteral("Calculate brings them up to date.");
    const QString scheduleNote = QStringLiteral("Schedule brings them up to date.");

    QTest::newRow("as calculated") << QString() << QList<qint32>{1, 2} << 1 << QStringLiteral("Condo")
                                   << QStringList() << QStringList();
    QTest::newRow("rate changed")
        << QStringLiteral("UPDATE tblMortgage SET InterestRate=7 WHERE MortgageID=2") << QList<qint32>{1, 2}
        << 1 << QStringLiteral("Condo\n(changed since last Calculate and Schedule)") << calculation + schedule
        << QStringList{
               QStringLiteral(
                   "\u201CCondo\u201D: Monthly Payment, Total Payment, Total Interest, Biweekly Payment, "
                   "Biweekly Term, Biweekly Total, Biweekly Total Interest and Biweekly Interest Saved "
                   "are out of date; ") +
                   calculateNote,
               QStringLiteral(
                   "\u201CCondo\u201D: Payoff Month, Total Payment with Prepayment, Total Interest "
                   "with Prepayment and Interest Saved are out of date; ") +
                   scheduleNote};
    QTest::newRow("prepayment changed")
        << QStringLiteral("UPDATE tblMortgage SET Prepayment=2000000 WHERE MortgageID=2")
        << QList<qint32>{1, 2} << 1 << QStringLiteral("Condo\n(changed since last Schedule)") << schedule
        << QStringList{
               QStringLiteral(
                   "\u201CCondo\u201D: Monthly Payment with Prepayment, Payoff Month, Total Payment "
                   "with Prepayment, Total Interest with Prepayment and Interest Saved are out of date; ") +
               scheduleNote};
    // Only the payoff month follows the first payment month; nothing is out of date.
    QTest::newRow("first payment moved")
        << QStringLiteral("UPDATE tblMortgage SET StartYear=2008 WHERE MortgageID=2") << QList<qint32>{1, 2}
        << 1 << QStringLiteral("Condo") << QStringList() << QStringList();
    QTest::newRow("price changed")
        << QStringLiteral("UPDATE tblMortgage SET HouseAmount=1600000000 WHERE MortgageID=2")
        << QList<qint32>{1, 2} << 1 << QStringLiteral("Condo\n(changed since last Calculate)")
        << QStringList{QStringLiteral("Loan Amount")}
        << QStringList{
               QStringLiteral("\u201CCondo\u201D: Loan Amount is not House Price less Down Payment.")};
    QTest::newRow("base changed")
        << QStringLiteral("UPDATE tblMortgage SET TermInMonth=240 WHERE MortgageID=1") << QList<qint32>{1, 2}
        << 0 << QStringLiteral("Home\n(changed since last Calculate and Schedule)") << calculation + schedule
        << QStringList{
               QStringLiteral(
                   "\u201CHome\u201D: Monthly Payment, Total Payment, Total Interest, Biweekly Payment, "
                   "Biweekly Term, Biweekly Total, Biweekly Total Interest and Biweekly Interest Saved "
                   "are out of date; ") +
                   calculateNote,
               QStringLiteral("\u201CHome\u201D: Payoff Month, Total Payment with Prepayment, Total Interest "
                              "with Prepayment and Interest Saved are out of date; ") +
                   scheduleNote};
    QTest::newRow("never calculated")
        << QString() << QList<qint32>{1, 3} << 1 << QStringLiteral("Cabin\n(not calculated)")
        << calculation + schedule
        << QStringList{QStringLiteral("\u201C"
                                      "Cabin\u201D has not been calculated; Calculate gives its figures.")};
    QTest::newRow("payment changed by another program")
        << QStringLiteral("UPDATE tblMortgage SET TotalInterest=TotalInterest+1 WHERE MortgageID=2")
        << QList<qint32>{2, 1} << 0 << QStringLiteral("Condo\n(changed since last Calculate and Schedule)")
        << calculation + schedule
        << QStringList{QStringLiteral("\u201CCondo\u201D: Total Interest is out of date; ") + calculateNote,
                       QStringLiteral("\u201CCondo\u201D: Interest Saved is out of date; ") + scheduleNote};
}

void TestCompare::standing()
{
    QFETCH(QString, statement);
    QFETCH(QList<qint32>, ids);
    QFETCH(int, column);
    QFETCH(QString, header);
    QFETCH(QStringList, dashed);
    QFETCH(QStringList, notes);
    CompareFixture f(m_master);
    if (!statement.isEmpty())
        f.store.exec({statement});
    const ComparisonTable table = f.compare(ids);

    QCOMPARE(table.columnCaptions.at(column), header);
    QCOMPARE(table.stale(column), header.contains(QLatin1Char('\n')));
    QCOMPARE(table.notes, notes);
    // The difference column of the second mortgage.
    QVERIFY(table.difference.at(2));
    QStringList dashedRows;
    for (int row = 0; row < table.rowCaptions.size(); ++row)
        if (table.cells[row][2] == Dash)
            dashedRows << table.rowCaptions[row];
    QCOMPARE(dashedRows, dashed);
}

void TestCompare::foreignValues_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("unrelated"); // a row whose difference still has its figure

    QTest::newRow("text in a money column")
        << QStringLiteral("UPDATE tblMortgage SET DownPayment='thirty thousand' WHERE MortgageID=2")
        << QStringLiteral("Down Payment") << QStringLiteral("thirty thousand")
        << QStringLiteral("Monthly Payment (P&I)");
    QTest::newRow("fraction of a ten-thousandth")
        << QStringLiteral("UPDATE tblMortgage SET TotalInterest=1.5 WHERE MortgageID=2")
        << QStringLiteral("Total Interest Paid") << QStringLiteral("1.5") << QStringLiteral("House Price");
    QTest::newRow("term beyond 16 bits")
        << QStringLiteral("UPDATE tblMortgage SET TermInMonth=70000 WHERE MortgageID=2")
        << QStringLiteral("Term in Months") << QStringLiteral("70000") << QStringLiteral("Interest Rate (%)");
}

void TestCompare::foreignValues()
{
    QFETCH(QString, statement);
    QFETCH(QString, caption);
    QFETCH(QString, shown);
    QFETCH(QString, unrelated);
    CompareFixture f(m_master);
    f.store.exec({statement});
    const ComparisonTable table = f.compare({1, 2});
    const int row = int(table.rowCaptions.indexOf(caption));
    QCOMPARE(table.cells[row][1], shown);
    QCOMPARE(table.cells[row][2], Dash);
    const int other = int(table.rowCaptions.indexOf(unrelated));
    QVERIFY(table.cells[other][2] != Dash);
    QVERIFY(table.notes.join(QLatin1Char('\n'))
                .contains(QStringLiteral("\u201CCondo\u201D: a stored value does not fit its column")));
}

void TestCompare::missingFile()
{
    QStringList errors;
    platform::setErrorSink([&errors](const QString &message) { errors << message; });
    QTemporaryDir empty;
    store::Connection connection;
    connection.setDatabasePath(empty.filePath(QStringLiteral("Mortgage.mdb")));
    {
        TfrmCompare window(connection, RegionalSettings::usEnglish(), 1);
        window.show();
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.front().contains(QStringLiteral("Mortgage.mdb")), qPrintable(errors.front()));
        QCOMPARE(window.findChild<QListWidget *>(QStringLiteral("lstMortgages"))->count(), 0);
        QVERIFY(window.findChild<QLabel *>(QStringLiteral("lblHint"))->isVisible());
    }
    QVERIFY(!QFile::exists(empty.filePath(QStringLiteral("Mortgage.mdb"))));
    platform::resetErrorSink();
}

void TestCompare::ticking_data()
{
    QTest::addColumn<qint32>("current");
    QTest::addColumn<QStringList>("actions"); // keys, or "click N" on the Nth mortgage
    QTest::addColumn<QStringList>("columns"); // empty: the hint instead of the table

    const QString d = QStringLiteral("Difference");
    const QString home = QStringLiteral("Home"), condo = QStringLiteral("Condo"),
                  cabin = QStringLiteral("Cabin");
    QTest::newRow("opens with the current and the next") << 1 << QStringList() << QStringList{home, condo, d};
    QTest::newRow("the last has no next") << 3 << QStringList() << QStringList();
    QTest::newRow("Space ticks") << 1
                                 << QStringList{QStringLiteral("Down"), QStringLiteral("Down"),
                                                QStringLiteral("Space")}
                                 << QStringList{home, condo, d, cabin, d};
    QTest::newRow("Space unticks") << 1 << QStringList{QStringLiteral("Down"), QStringLiteral("Space")}
                                   << QStringList();
    QTest::newRow("Space twice") << 3
                                 << QStringList{QStringLiteral("Up"), QStringLiteral("Up"),
                                                QStringLiteral("Space"), QStringLiteral("Space"),
                                                QStringLiteral("Space")}
                                 << QStringList{cabin, home, d};
    QTest::newRow("click ticks, the current stays first")
        << 2 << QStringList{QStringLiteral("click 0")} << QStringList{condo, home, d, cabin, d};
    QTest::newRow("click unticks") << 2 << QStringList{QStringLiteral("click 1")} << QStringList();
    QTest::newRow("click and Space") << 3
                                     << QStringList{QStringLiteral("click 1"), QStringLiteral("Up"),
                                                    QStringLiteral("Space")}
                                     << QStringList{cabin, home, d, condo, d};
}

void TestCompare::ticking()
{
    QFETCH(qint32, current);
    QFETCH(QStringList, actions);
    QFETCH(QStringList, columns);
    CompareFixture f(m_master);
    TfrmCompare window(f.connection, RegionalSettings::usEnglish(), current);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *list = window.findChild<QListWidget *>(QStringLiteral("lstMortgages"));
    auto *grid = window.findChild<QTableWidget *>(QStringLiteral("grdCompare"));
    auto *hint = window.findChild<QLabel *>(QStringLiteral("lblHint"));
    QCOMPARE(list->count(), 3);
    list->setFocus();
    for (const QString &action : actions) {
        if (action.startsWith(QStringLiteral("click "))) {
            QListWidgetItem *item = list->item(action.section(QLatin1Char(' '), 1).toInt());
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
        } else {
            QTest::keyClick(list, action == QStringLiteral("Down") ? Qt::Key_Down
                                  : action == QStringLiteral("Up") ? Qt::Key_Up
                                                                   : Qt::Key_Space);
        }
    }
    if (columns.isEmpty()) {
        QVERIFY(hint->isVisible());
        QVERIFY(!grid->isVisible());
        QCOMPARE(hint->text(), QStringLiteral("Tick two or more mortgages to compare them."));
    } else {
        QVERIFY(grid->isVisible());
        QVERIFY(!hint->isVisible());
        QCOMPARE(headerNames(*grid), columns);
    }
}

void TestCompare::staleColumnIsTinted()
{
    CompareFixture f(m_master);
    TfrmCompare window(f.connection, RegionalSettings::usEnglish(), 1);
    window.show();
    auto *grid = window.findChild<QTableWidget *>(QStringLiteral("grdCompare"));
    auto *notes = window.findChild<QLabel *>(QStringLiteral("lblNotes"));
    QVERIFY(!notes->isVisible());
    const QBrush plain = grid->item(0, 2)->background();

    // Changed while the window is open; Refresh reads the file again.
    f.store.exec({QStringLiteral("UPDATE tblMortgage SET InterestRate=7 WHERE MortgageID=2")});
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("btnRefresh")), Qt::LeftButton);
    QCOMPARE(grid->horizontalHeaderItem(2)->text(),
             QStringLiteral("Condo\n(changed since last Calculate and Schedule)"));
    QVERIFY(notes->isVisible());
    QVERIFY(notes->text().contains(QStringLiteral("Calculate brings them up to date")));
    for (int column : {2, 3})
        QVERIFY(grid->item(0, column)->background() != plain);
    QCOMPARE(grid->item(0, 1)->background(), plain);

    const QString shot = QDir::temp().filePath(QStringLiteral("compare.png"));
    window.resize(820, 440);
    window.grab().save(shot);
}

void TestCompare::closing_data()
{
    QTest::addColumn<bool>("byEscape");
    QTest::newRow("Esc") << true;
    QTest::newRow("Close") << false;
}

void TestCompare::closing()
{
    QFETCH(bool, byEscape);
    CompareFixture f(m_master);
    TfrmCompare window(f.connection, RegionalSettings::usEnglish(), 1);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    if (byEscape)
        QTest::keyClick(window.findChild<QListWidget *>(QStringLiteral("lstMortgages")), Qt::Key_Escape);
    else
        QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("btnClose")), Qt::LeftButton);
    QVERIFY(!window.isVisible());
}

QTEST_MAIN(TestCompare)
#include "test_compare.moc"
