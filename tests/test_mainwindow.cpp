// The main window over a real database file: start-up and shutdown, adding,
// deleting, saving and selecting mortgages, the derived loan amount and the
// enabled state of the calculation buttons.

#include "DBEdit.h"
#include "DBGrid.h"
#include "Field.h"
#include "CvDBCurrencyEdit.h"
#include "HintStyle.h"
#include "MainWindowFixture.h"
#include "fFinal.h"

#include <QAbstractItemModelTester>
#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QStyle>
#include <QTest>
#include <QToolTip>

using namespace calvora;
using calvora::platform::DBEdit;
using calvora::store::Query;

// Receives the addresses the program asks the desktop to open.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void startsOnTheFirstMortgageWithMonthlyPaymentPage();
    void missingFileIsReportedAndNothingIsCreated();
    void firstPaymentDateDefaults_data();
    void firstPaymentDateDefaults();
    void emptyListBeginsANewRecord();

    void addTakesTheFirstPositionOutOfPlace_data();
    void addTakesTheFirstPositionOutOfPlace();
    void addStoresPendingChangesFirst();
    void addOnTheUnsavedRecordOfAnEmptyList();
    void failedRereadLeavesTheListAttached();
    void deleteRemovesTheMortgageAndItsSchedule();
    void deleteDropsPendingChangesOfTheDeletedMortgage();
    void deleteOnAnEmptyListDeletesNothing();
    void saveStoresOnlyAnEditedRecord();
    void selectingAnotherMortgageStoresTheEdit();

    void loanAmountFollowsPriceAndDownPayment_data();
    void loanAmountFollowsPriceAndDownPayment();
    void calculateWaitsForTheTypedRateToReachItsColumn();
    void scheduleButtonsFollowTheMonthlyPayment_data();
    void scheduleButtonsFollowTheMonthlyPayment();
    void badAmountKeepsTheFocusAndTheOldValue();
    void refusedTextStaysForCorrection_data();
    void refusedTextStaysForCorrection();
    void emptyMoneyColumnShowsZero_data();
    void emptyMoneyColumnShowsZero();
    void buttonsWaitForAnOpenMortgage_data();
    void buttonsWaitForAnOpenMortgage();
    void tabWalksTheInputFieldsOnly();
    void hintsWrapAtTheCaptionWidthAfterTheirDelay();

    void calculateShowsEveryFigure();
    void calculateFaultKeepsTheLaterColumns_data();
    void calculateFaultKeepsTheLaterColumns();
    void clickIntoAnAmountSelectsIt();

    void mortgageListGrowsUnderTheMouse_data();
    void mortgageListGrowsUnderTheMouse();

    void closingDialogOkEndsAndDropsUnsavedChanges();
    void closingDialogCancelKeepsRunning();
    void closingDialogLayout();
    void pictureOpensTheLinkTarget();
};

void TestMainWindow::initTestCase() { platform::initApplication(); }

void TestMainWindow::startsOnTheFirstMortgageWithMonthlyPaymentPage()
{
    MainWindowFixture f;
    f.store.addMortgages({{2, QStringLiteral("Second"), 2023, 4}, {1, QStringLiteral("First"), 2022, 9}});
    TfrmMain &window = f.show();
    QVERIFY(f.errors.isEmpty());
    QCOMPARE(window.windowTitle(), QStringLiteral("Calvora Mortgage Calculator 4.0"));
    QCOMPARE(window.size(), QSize(632, 446));
    QCOMPARE(f.child<QTabWidget>("pgMort")->currentWidget()->objectName(), QStringLiteral("tsMonthly"));
    QCOMPARE(f.child<DBEdit>("edtName")->text(), QStringLiteral("First"));
    QVERIFY(window.qMonth.isActive());
    QVERIFY(window.qAmortization.isActive());
    QCOMPARE(window.qMortgage.state(), Query::State::Browse);
}

void TestMainWindow::missingFileIsReportedAndNothingIsCreated()
{
    MainWindowFixture f;
    QTemporaryDir empty;
    TfrmMain &window = f.show(empty.path());
    const QString path = empty.filePath(QStringLiteral("Mortgage.mdb"));
    QCOMPARE(f.errors.size(), 1);
    QVERIFY2(f.errors.first().contains(path), qPrintable(f.errors.first()));
    QVERIFY(window.isVisible());
    QVERIFY(!window.qMonth.isActive());
    QVERIFY(!f.button("btnCalculate")->isEnabled() || !window.qMortgage.isActive());

    // Adding fails with the same clear message and creates no file.
    f.button("btnNew")->click();
    QCOMPARE(f.errors.size(), 2);
    QVERIFY(f.errors.last().contains(path));
    QVERIFY(!QFile::exists(path));

    platform::setNextModalResults({1});
    QVERIFY(window.close());
    QVERIFY(!QFile::exists(path));
}

void TestMainWindow::firstPaymentDateDefaults_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("expectedYear");
    QTest::addColumn<int>("expectedMonth");
    QTest::addColumn<bool>("editing");
    // Today is 17 May 2024.
    QTest::newRow("both set") << 2021 << 11 << 2021 << 11 << false;
    QTest::newRow("year missing") << 0 << 11 << 2024 << 11 << true;
    QTest::newRow("month missing") << 2021 << 0 << 2021 << 5 << true;
    QTest::newRow("both missing") << 0 << 0 << 2024 << 5 << true;
}

void TestMainWindow::firstPaymentDateDefaults()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, expectedYear);
    QFETCH(int, expectedMonth);
    QFETCH(bool, editing);
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("Current"), year, month}, {2, QStringLiteral("Other")}});
    TfrmMain &window = f.show();
    QCOMPARE(window.qMortgage.field(u"StartYear").asInteger(), expectedYear);
    QCOMPARE(window.qMortgage.field(u"StartMonth").asInteger(), expectedMonth);
    QCOMPARE(window.qMortgage.isEditing(), editing);
    // Nothing reaches the file until the record is stored, and only the
    // current mortgage gets the default.
    QCOMPARE(f.store.value(QStringLiteral("SELECT COUNT(*) FROM tblMortgage WHERE StartYear IS NULL")).toInt(),
             year == 0 ? 2 : 1);
    f.button("btnSave")->click();
    QCOMPARE(f.store.value(QStringLiteral("SELECT StartYear FROM tblMortgage WHERE NameSequence=1")).toInt(), expectedYear);
    QCOMPARE(f.store.value(QStringLiteral("SELECT StartMonth FROM tblMortgage WHERE NameSequence=1")).toInt(), expectedMonth);
    QVERIFY(f.store.value(QStringLiteral("SELECT StartYear FROM tblMortgage WHERE NameSequence=2")).isNull());
}

void TestMainWindow::emptyListBeginsANewRecord()
{
    MainWindowFixture f;
    TfrmMain &window = f.show();
    QVERIFY(f.errors.isEmpty());
    QCOMPARE(window.qMortgage.state(), Query::State::Insert);
    QCOMPARE(window.qMortgage.field(u"StartYear").asInteger(), 2024);
    QCOMPARE(window.qMortgage.field(u"StartMonth").asInteger(), 5);
    QVERIFY(window.qAmortization.isActive());
    QCOMPARE(window.qAmortization.recordCount(), 0);
    platform::setNextModalResults({1});
    QVERIFY(window.close());
    QCOMPARE(f.store.value(QStringLiteral("SELECT COUNT(*) FROM tblMortgage")).toInt(), 0);
}

void TestMainWindow::addTakesTheFirstPositionOutOfPlace_data()
{
    QTest::addColumn<QList<int>>("sequences");
    QTest::addColumn<int>("added");
    QTest::addColumn<int>("rowsNumberedAdded");
    QTest::newRow("empty list") << QList<int>{} << 1 << 1;
    QTest::newRow("1 2 3") << QList<int>{1, 2, 3} << 4 << 1;
    QTest::newRow("1 3 4") << QList<int>{1, 3, 4} << 2 << 1;
    QTest::newRow("2 3") << QList<int>{2, 3} << 1 << 1;
    QTest::newRow("1 1 2") << QList<int>{1, 1, 2} << 2 << 2;
}

void TestMainWindow::addTakesTheFirstPositionOutOfPlace()
{
    QFETCH(QList<int>, sequences);
    QFETCH(int, added);
    QFETCH(int, rowsNumberedAdded);
    MainWindowFixture f;
    for (int sequence : sequences)
        f.store.addMortgages({{sequence, QStringLiteral("Existing %1").arg(sequence), 2020, 1}});
    TfrmMain &window = f.show();
    if (sequences.isEmpty())
        window.qMortgage.cancel(); // the new record the empty list began
    QAbstractItemModelTester listModel(f.child<platform::DBGrid>("dgMortgage")->model(),
                                       QAbstractItemModelTester::FailureReportingMode::QtTest);
    f.button("btnNew")->click();
    QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(QLatin1Char('\n'))));

    const QString name = QStringLiteral("Loan %1").arg(added);
    QCOMPARE(f.store.value(QStringLiteral("SELECT COUNT(*) FROM tblMortgage WHERE MortgageName='%1' AND NameSequence=%2 "
                                          "AND StartYear=2024 AND StartMonth=5")
                               .arg(name)
                               .arg(added))
                 .toInt(),
             1);
    QCOMPARE(window.qMortgage.recordCount(), int(sequences.size()) + 1);
    QCOMPARE(window.qMortgage.state(), Query::State::Browse);
    QCOMPARE(window.qMortgage.field(u"NameSequence").asInteger(), added);
    // With two rows numbered alike, the first in list order becomes current.
    if (rowsNumberedAdded == 1)
        QCOMPARE(f.current("MortgageName"), name);
    QCOMPARE(f.store.value(QStringLiteral("SELECT COUNT(*) FROM tblMortgage WHERE NameSequence=%1").arg(added)).toInt(),
             rowsNumberedAdded);
    QCOMPARE(f.child<platform::DBGrid>("dgMortgage")->currentIndex().row(), window.qMortgage.currentRow());
}

void TestMainWindow::addStoresPendingChangesFirst()
{
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}});
    TfrmMain &window = f.show();
    window.qMortgage.edit();
    window.qMortgage.field(u"InterestRate").setDouble(4.25);
    f.button("btnNew")->click();
    QVERIFY(f.errors.isEmpty());
    QCOMPARE(f.current("MortgageName"), QStringLiteral("Loan 2"));
    QCOMPARE(f.store.value(QStringLiteral("SELECT InterestRate FROM tblMortgage WHERE NameSequence=1")).toDouble(), 4.25);
}

void TestMainWindow::addOnTheUnsavedRecordOfAnEmptyList()
{
    MainWindowFixture f;
    TfrmMain &window = f.show();
    QCOMPARE(window.qMortgage.state(), Query::State::Insert);
    f.button("btnNew")->click();
    QVERIFY(f.errors.isEmpty());
    // The unsaved record was not among the rows examined, so the new one is
    // Loan 1; the re-read stored the unsaved record too, without a name.
    QCOMPARE(f.store.value(QStringLiteral("SELECT COUNT(*) FROM tblMortgage")).toInt(), 2);
    QCOMPARE(f.store.value(QStringLiteral("SELECT COUNT(*) FROM tblMortgage WHERE MortgageName IS NULL")).toInt(), 1);
    QCOMPARE(f.current("MortgageName"), QStringLiteral("Loan 1"));
}

void TestMainWindow::failedRereadLeavesTheListAttached()
{
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}});
    TfrmMain &window = f.show();
    auto *grid = f.child<platform::DBGrid>("dgMortgage");
    // The schedule table loses a column, so the re-read after the INSERT
    // fails when the new current mortgage opens its schedule.
    f.store.exec({QStringLiteral("ALTER TABLE tblAmortization DROP COLUMN ActualLeft")});
    f.button("btnNew")->click();
    QCOMPARE(f.errors.size(), 1);
    QVERIFY2(f.errors.first().contains(QStringLiteral("ActualLeft")), qPrintable(f.errors.first()));
    QCOMPARE(grid->dataSource(), &window.dsMortgage);
    QCOMPARE(grid->model()->rowCount(), window.qMortgage.viewRowCount());
    QCOMPARE(f.store.value(QStringLiteral("SELECT COUNT(*) FROM tblMortgage")).toInt(), 2);
}

void TestMainWindow::deleteRemovesTheMortgageAndItsSchedule()
{
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}, {2, QStringLiteral("Second"), 2020, 1}});
    f.store.exec({QStringLiteral("INSERT INTO tblAmortization (MortgageID, PayDate) VALUES (1, '2020-01-01'), "
                                 "(1, '2020-02-01'), (2, '2020-01-01')")});
    TfrmMain &window = f.show();
    QCOMPARE(window.qAmortization.recordCount(), 2);
    f.button("btnDelete")->click();
    QVERIFY(f.errors.isEmpty());
    QCOMPARE(f.store.value(QStringLiteral("SELECT COUNT(*) FROM tblMortgage")).toInt(), 1);
    QCOMPARE(f.store.value(QStringLiteral("SELECT COUNT(*) FROM tblAmortization WHERE MortgageID=1")).toInt(), 0);
    QCOMPARE(f.store.value(QStringLiteral("SELECT COUNT(*) FROM tblAmortization WHERE MortgageID=2")).toInt(), 1);
    QCOMPARE(f.current("MortgageName"), QStringLiteral("Second"));
    QCOMPARE(window.qAmortization.recordCount(), 1);
}

void TestMainWindow::deleteDropsPendingChangesOfTheDeletedMortgage()
{
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}, {2, QStringLiteral("Second"), 2020, 1}});
    TfrmMain &window = f.show();
    window.qMortgage.edit();
    window.qMortgage.field(u"MortgageName").setString(QStringLiteral("Renamed, then deleted"));
    f.button("btnDelete")->click();
    QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(QLatin1Char('\n'))));
    QCOMPARE(f.store.value(QStringLiteral("SELECT COUNT(*) FROM tblMortgage")).toInt(), 1);
    QCOMPARE(f.current("MortgageName"), QStringLiteral("Second"));
    QCOMPARE(window.qMortgage.state(), Query::State::Browse);
}

void TestMainWindow::deleteOnAnEmptyListDeletesNothing()
{
    MainWindowFixture f;
    TfrmMain &window = f.show();
    window.qMortgage.field(u"MortgageName").setString(QStringLiteral("Typed before delete"));
    f.button("btnDelete")->click();
    QVERIFY(f.errors.isEmpty());
    // The new record was never stored; the re-read stores it as it holds changes.
    QCOMPARE(f.store.value(QStringLiteral("SELECT MortgageName FROM tblMortgage")).toString(),
             QStringLiteral("Typed before delete"));
}

void TestMainWindow::saveStoresOnlyAnEditedRecord()
{
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}});
    TfrmMain &window = f.show();
    f.button("btnSave")->click(); // browse state: nothing to do
    QVERIFY(f.errors.isEmpty());
    window.qMortgage.edit();
    window.qMortgage.field(u"TermInMonth").setInteger(360);
    f.button("btnSave")->click();
    QCOMPARE(window.qMortgage.state(), Query::State::Browse);
    QCOMPARE(f.store.value(QStringLiteral("SELECT TermInMonth FROM tblMortgage")).toInt(), 360);
    f.button("btnSave")->click();
    QVERIFY(f.errors.isEmpty());
}

void TestMainWindow::selectingAnotherMortgageStoresTheEdit()
{
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}, {2, QStringLiteral("Second"), 2020, 1}});
    TfrmMain &window = f.show();
    auto *name = f.child<DBEdit>("edtName");
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("Home"));
    auto *grid = f.child<platform::DBGrid>("dgMortgage");
    grid->setCurrentIndex(grid->model()->index(1, 0));
    QVERIFY(f.errors.isEmpty());
    QCOMPARE(f.current("MortgageName"), QStringLiteral("Second"));
    QCOMPARE(name->text(), QStringLiteral("Second"));
    QCOMPARE(f.store.value(QStringLiteral("SELECT MortgageName FROM tblMortgage WHERE NameSequence=1")).toString(),
             QStringLiteral("Home"));
    QCOMPARE(window.qMortgage.state(), Query::State::Browse);
}

void TestMainWindow::loanAmountFollowsPriceAndDownPayment_data()
{
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("down");
    QTest::addColumn<QString>("loan");
    QTest::addColumn<bool>("calculate");
    QTest::newRow("price less down payment") << QStringLiteral("250000") << QStringLiteral("50000")
                                             << QStringLiteral("$200,000.00") << true;
    QTest::newRow("down payment above the price") << QStringLiteral("250000") << QStringLiteral("300000")
                                                  << QStringLiteral("($50,000.00)") << true;
    QTest::newRow("nothing borrowed") << QStringLiteral("250000") << QStringLiteral("250000")
                                      << QStringLiteral("$0.00") << false;
}

void TestMainWindow::loanAmountFollowsPriceAndDownPayment()
{
    QFETCH(QString, price);
    QFETCH(QString, down);
    QFETCH(QString, loan);
    QFETCH(bool, calculate);
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}});
    f.store.exec({QStringLiteral("UPDATE tblMortgage SET InterestRate=6, TermInMonth=360")});
    f.show();
    QVERIFY(!f.button("btnCalculate")->isEnabled());
    auto *priceEdit = f.child<DBEdit>("edtPrice");
    priceEdit->setFocus();
    QTest::keyClicks(priceEdit, price);
    QTest::keyClick(priceEdit, Qt::Key_Tab);
    QTest::keyClicks(f.child<DBEdit>("edtDown"), down);
    QTest::keyClick(f.child<DBEdit>("edtDown"), Qt::Key_Tab);
    QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(QLatin1Char('\n'))));
    QCOMPARE(f.child<DBEdit>("edtLoanAmt")->text(), loan);
    QCOMPARE(f.child<DBEdit>("edtLoan")->text(), loan);
    QCOMPARE(f.button("btnCalculate")->isEnabled(), calculate);
}

void TestMainWindow::calculateWaitsForTheTypedRateToReachItsColumn()
{
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}});
    f.store.exec({QStringLiteral("UPDATE tblMortgage SET TermInMonth=360, HouseAmount=2500000000, LoanAmount=2500000000")});
    f.show();
    auto *rate = f.child<DBEdit>("edtInterestRate");
    rate->setFocus();
    QTest::keyClicks(rate, QStringLiteral("6.5"));
    QVERIFY(!f.button("btnCalculate")->isEnabled());
    QTest::keyClick(rate, Qt::Key_Tab);
    QVERIFY(f.button("btnCalculate")->isEnabled());
    QCOMPARE(f.child<DBEdit>("edtRate")->text(), QStringLiteral("6.5"));
}

void TestMainWindow::scheduleButtonsFollowTheMonthlyPayment_data()
{
    QTest::addColumn<QString>("monthlyPayment");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("calculated") << QStringLiteral("5995505") << true;
    QTest::newRow("not calculated") << QStringLiteral("NULL") << false;
    QTest::newRow("zero") << QStringLiteral("0") << false;
}

void TestMainWindow::scheduleButtonsFollowTheMonthlyPayment()
{
    QFETCH(QString, monthlyPayment);
    QFETCH(bool, enabled);
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}, {2, QStringLiteral("Second"), 2020, 1}});
    f.store.exec({QStringLiteral("UPDATE tblMortgage SET MonthlyPayment=%1 WHERE NameSequence=2").arg(monthlyPayment)});
    TfrmMain &window = f.show();
    QVERIFY(!f.button("btnGenerate")->isEnabled());
    QVERIFY(!f.button("btnReGenerate")->isEnabled());
    window.qMortgage.next();
    QCOMPARE(f.button("btnGenerate")->isEnabled(), enabled);
    QCOMPARE(f.button("btnReGenerate")->isEnabled(), enabled);
}

void TestMainWindow::badAmountKeepsTheFocusAndTheOldValue()
{
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}});
    f.store.exec({QStringLiteral("UPDATE tblMortgage SET HouseAmount=2500000000")});
    TfrmMain &window = f.show();
    auto *price = f.child<DBEdit>("edtPrice");
    price->setFocus();
    QCOMPARE(price->text(), QStringLiteral("250000.00"));
    // Keys the column cannot take are refused; a pasted text is not.
    price->selectAll();
    price->insert(QStringLiteral("12-3"));
    QTest::keyClick(price, Qt::Key_Tab);
    QCOMPARE(f.errors, QStringList{QStringLiteral("'12-3' is not a valid amount")});
    QVERIFY(price->hasFocus());
    QCOMPARE(price->text(), QStringLiteral("12-3"));
    QCOMPARE(window.qMortgage.field(u"HouseAmount").asCurrency().raw(), 2500000000);
    QTest::keyClick(price, Qt::Key_Escape);
    QCOMPARE(price->text(), QStringLiteral("250000.00"));
    QTest::keyClick(price, Qt::Key_Tab);
    QCOMPARE(price->text(), QStringLiteral("$250,000.00"));
    QCOMPARE(f.errors.size(), 1);
}

void TestMainWindow::refusedTextStaysForCorrection_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("byPage"); // left by a click on another page's tab, not by Tab
    QTest::newRow("sum in the house price") << QStringLiteral("edtPrice") << QStringLiteral("HouseAmount") << QStringLiteral("1+2") << false;
    QTest::newRow("pasted money text") << QStringLiteral("edtDown") << QStringLiteral("DownPayment") << QStringLiteral("$1,000.00") << false;
    QTest::newRow("rate with a lone exponent") << QStringLiteral("edtInterestRate") << QStringLiteral("InterestRate") << QStringLiteral("6e") << false;
    QTest::newRow("term beyond the column") << QStringLiteral("edtTermInMonth") << QStringLiteral("TermInMonth") << QStringLiteral("99999") << false;
    QTest::newRow("price, then another page") << QStringLiteral("edtPrice") << QStringLiteral("HouseAmount") << QStringLiteral("1+2") << true;
    QTest::newRow("rate, then another page") << QStringLiteral("edtInterestRate") << QStringLiteral("InterestRate") << QStringLiteral("abc") << true;
}

void TestMainWindow::refusedTextStaysForCorrection()
{
    QFETCH(QString, edit);
    QFETCH(QString, column);
    QFETCH(QString, text);
    QFETCH(bool, byPage);
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}});
    f.store.exec({QStringLiteral("UPDATE tblMortgage SET HouseAmount=2500000000, DownPayment=500000000, "
                                 "InterestRate=6.5, TermInMonth=360")});
    TfrmMain &window = f.show();
    const QString before = f.current(column.toLatin1().constData());
    auto *field = f.child<DBEdit>(edit.toLatin1().constData());
    field->setFocus();
    field->selectAll();
    field->insert(text); // as a paste would put it there
    auto *pages = f.child<QTabWidget>("pgMort");
    if (byPage) {
        // The page holding the text comes back to be corrected.
        QTabBar *tabs = pages->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
        QCOMPARE(pages->currentIndex(), 0);
        QVERIFY(field->isVisible());
    } else {
        QTest::keyClick(field, Qt::Key_Tab);
    }
    QCOMPARE(f.errors.size(), 1);
    // The person's text stays, selected, to be corrected; the column keeps its value.
    QVERIFY(field->hasFocus());
    QCOMPARE(field->text(), text);
    QCOMPARE(field->selectedText(), text);
    QCOMPARE(f.current(column.toLatin1().constData()), before);
    QVERIFY(window.qMortgage.isEditing());
}

void TestMainWindow::emptyMoneyColumnShowsZero_data()
{
    QTest::addColumn<int>("mortgages");
    QTest::addColumn<bool>("moveToTheNext");
    QTest::newRow("start-up on empty columns") << 1 << false;
    QTest::newRow("fresh file") << 0 << false;
    QTest::newRow("from one empty mortgage to another") << 2 << true;
}

void TestMainWindow::emptyMoneyColumnShowsZero()
{
    QFETCH(int, mortgages);
    QFETCH(bool, moveToTheNext);
    MainWindowFixture f;
    for (int i = 1; i <= mortgages; ++i)
        f.store.addMortgages({{i, QStringLiteral("Loan %1").arg(i), 2020, 1}});
    TfrmMain &window = f.show();
    if (moveToTheNext)
        window.qMortgage.next();
    QVERIFY(f.errors.isEmpty());
    const QList<TCvDBCurrencyEdit *> edits = window.findChildren<TCvDBCurrencyEdit *>();
    QVERIFY(edits.size() > 10);
    for (TCvDBCurrencyEdit *edit : edits) {
        if (!edit->hasFocus())
            QVERIFY2(edit->text() == QStringLiteral("$0.00"), qPrintable(edit->objectName() + QLatin1Char(' ') + edit->text()));
    }
}

void TestMainWindow::buttonsWaitForAnOpenMortgage_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("no database file") << QString();
    QTest::newRow("no mortgage table") << QStringLiteral("DROP TABLE tblMortgage");
    QTest::newRow("a mortgage column missing") << QStringLiteral("ALTER TABLE tblMortgage DROP COLUMN Prepayment");
}

void TestMainWindow::buttonsWaitForAnOpenMortgage()
{
    QFETCH(QString, damage);
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}});
    f.store.exec({QStringLiteral("UPDATE tblMortgage SET InterestRate=6, TermInMonth=360, LoanAmount=1000000000, "
                                 "MonthlyPayment=5995505")});
    QTemporaryDir elsewhere;
    if (!damage.isEmpty())
        f.store.exec({damage});
    TfrmMain &window = f.show(damage.isEmpty() ? elsewhere.path() : QString());
    QCOMPARE(f.errors.size(), 1);
    QVERIFY(!window.qMortgage.isActive());
    for (const char *name : {"btnCalculate", "btnGenerate", "btnReGenerate"})
        QVERIFY2(!f.button(name)->isEnabled(), name);
}

void TestMainWindow::hintsWrapAtTheCaptionWidthAfterTheirDelay()
{
    QCOMPARE(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 2500);
    MainWindowFixture f;
    f.show();
    const QString hint = f.child<QWidget>("CvDBCurrencyEdit2")->toolTip();
    const QFontMetrics metrics(QToolTip::font());
    QVERIFY(metrics.horizontalAdvance(hint) > 200);
    const QString shown = platform::HintStyle::wrapped(hint, metrics, 200);
    const QStringList lines = shown.split(QLatin1Char('\n'));
    QVERIFY(lines.size() > 1);
    for (const QString &line : lines)
        QVERIFY2(metrics.horizontalAdvance(line) <= 200, qPrintable(line));
    QCOMPARE(lines.join(QLatin1Char(' ')), hint);
}

void TestMainWindow::tabWalksTheInputFieldsOnly()
{
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}});
    f.store.exec({QStringLiteral("UPDATE tblMortgage SET InterestRate=6, TermInMonth=360, LoanAmount=10")});
    f.show();
    f.child<QWidget>("edtName")->setFocus();
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, (QStringList{QStringLiteral("edtName"), QStringLiteral("edtInterestRate"),
                                   QStringLiteral("edtTermInMonth"), QStringLiteral("edtPrice"),
                                   QStringLiteral("edtDown"), QStringLiteral("btnCalculate"),
                                   QStringLiteral("edtName")}));
}

void TestMainWindow::calculateShowsEveryFigure()
{
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}});
    // 100,000.00 at 6 % over 360 months.
    f.store.exec({QStringLiteral("UPDATE tblMortgage SET InterestRate=6, TermInMonth=360, HouseAmount=1250000000, "
                                 "DownPayment=250000000, LoanAmount=1000000000")});
    TfrmMain &window = f.show();
    QVERIFY(!f.button("btnGenerate")->isEnabled());
    for (int click = 0; click < 2; ++click) {
        QTest::mouseClick(f.button("btnCalculate"), Qt::LeftButton);
        QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(QLatin1Char('\n'))));
        const QList<std::pair<const char *, const char *>> shown{
            {"edtMonthly", "$599.55"},           {"edtTotal", "$215,838.18"},
            {"edtInterest", "$115,838.18"},      {"CvDBCurrencyEdit6", "$599.55"},
            {"CvDBCurrencyEdit9", "$215,838.18"}, {"CvDBCurrencyEdit8", "$115,838.18"},
            {"CvDBCurrencyEdit10", "$299.78"},    {"CvDBCurrencyEdit12", "$191,026.17"},
            {"CvDBCurrencyEdit11", "$91,026.17"}, {"CvDBCurrencyEdit13", "$24,812.01"},
            {"RzDBNumericEdit2", "295"}};
        for (const auto &[name, text] : shown)
            QCOMPARE(f.child<QLineEdit>(name)->text(), QString::fromLatin1(text));
        // The record keeps every ten-thousandth and stays unposted.
        QCOMPARE(window.qMortgage.field(u"MonthlyPayment").asCurrency().raw(), 5995505);
        QCOMPARE(window.qMortgage.field(u"BiweeklyPayment").asCurrency().raw(), 2997752);
        QCOMPARE(window.qMortgage.field(u"BiweeklyTotal").asCurrency().raw(), 1910261721);
        QCOMPARE(window.qMortgage.field(u"BiweeklyTerm").asInteger(), 295);
        QCOMPARE(window.qMortgage.state(), Query::State::Edit);
        QVERIFY(f.store.value(QStringLiteral("SELECT MonthlyPayment FROM tblMortgage")).isNull());
        QVERIFY(f.button("btnGenerate")->isEnabled());
        QVERIFY(f.button("btnReGenerate")->isEnabled());
    }
    f.button("btnSave")->click();
    QCOMPARE(f.store.value(QStringLiteral("SELECT BiweeklyInterestSaved FROM tblMortgage")).toLongLong(), 248120079);
}

void TestMainWindow::calculateFaultKeepsTheLaterColumns_data()
{
    QTest::addColumn<QString>("inputs");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("totalPayment");
    QTest::addColumn<QString>("biweeklyPayment");
    QTest::newRow("term 0") << QStringLiteral("InterestRate=6, TermInMonth=0, LoanAmount=1000000000")
                            << QStringLiteral("Floating point division by zero") << QStringLiteral("$1.00")
                            << QStringLiteral("$1.00");
    QTest::newRow("rate 0") << QStringLiteral("InterestRate=0, TermInMonth=360, LoanAmount=1000000000")
                            << QStringLiteral("Invalid floating point operation") << QStringLiteral("$1.00")
                            << QStringLiteral("$1.00");
    QTest::newRow("loan 0") << QStringLiteral("InterestRate=6, TermInMonth=360, LoanAmount=0")
                            << QStringLiteral("Invalid floating point operation") << QStringLiteral("$0.00")
                            << QStringLiteral("$0.00");
}

void TestMainWindow::calculateFaultKeepsTheLaterColumns()
{
    QFETCH(QString, inputs);
    QFETCH(QString, message);
    QFETCH(QString, totalPayment);
    QFETCH(QString, biweeklyPayment);
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}});
    // No payment calculated yet (the schedule buttons start disabled); every
    // other result column holds 1.00.
    f.store.exec({QStringLiteral("UPDATE tblMortgage SET TotalPayment=10000, TotalInterest=10000, "
                                 "BiweeklyPayment=10000, BiweeklyTerm=1, BiweeklyTotal=10000, "
                                 "BiweeklyTotalInterest=10000, BiweeklyInterestSaved=10000, ") + inputs});
    TfrmMain &window = f.show();
    platform::guarded([&] { window.btnCalculateClick(); });
    QCOMPARE(f.errors, QStringList{message});
    QVERIFY(!f.button("btnGenerate")->isEnabled());
    QCOMPARE(f.child<QLineEdit>("edtTotal")->text(), totalPayment);
    QCOMPARE(f.child<QLineEdit>("CvDBCurrencyEdit10")->text(), biweeklyPayment);
    // The columns after the fault keep their old values.
    QCOMPARE(f.child<QLineEdit>("CvDBCurrencyEdit12")->text(), QStringLiteral("$1.00"));
    QCOMPARE(f.child<QLineEdit>("RzDBNumericEdit2")->text(), QStringLiteral("1"));
}

void TestMainWindow::clickIntoAnAmountSelectsIt()
{
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}});
    f.store.exec({QStringLiteral("UPDATE tblMortgage SET HouseAmount=2500000000, MonthlyPayment=5995505")});
    f.show();
    auto *price = f.child<QLineEdit>("edtPrice");
    QTest::mouseClick(price, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(price->hasFocus());
    QCOMPARE(price->selectedText(), QStringLiteral("250000.00"));
    QTest::keyClicks(price, QStringLiteral("300000"));
    QCOMPARE(price->text(), QStringLiteral("300000"));

    auto *monthly = f.child<QLineEdit>("edtMonthly");
    QTest::mouseClick(monthly, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(monthly->hasFocus());
    QVERIFY(monthly->selectedText().isEmpty());
    QCOMPARE(monthly->text(), QStringLiteral("599.55"));
    QVERIFY(monthly->isReadOnly());
    QCOMPARE(f.child<QLineEdit>("edtLoanAmt")->text(), QStringLiteral("$300,000.00"));
}

void TestMainWindow::mortgageListGrowsUnderTheMouse_data()
{
    QTest::addColumn<QPoint>("cursor");
    QTest::addColumn<int>("heightAfterLeave");
    // The panel is 155 wide; grown, it is the window's height less 2 (444).
    QTest::newRow("over its list") << QPoint(40, 80) << 444;
    QTest::newRow("over its tool bar") << QPoint(10, 10) << 444;
    QTest::newRow("outside") << QPoint(300, 200) << 51;
    QTest::newRow("on its left edge") << QPoint(0, 80) << 51;
    QTest::newRow("on its top edge") << QPoint(40, 0) << 51;
}

void TestMainWindow::mortgageListGrowsUnderTheMouse()
{
    QFETCH(QPoint, cursor);
    QFETCH(int, heightAfterLeave);
    QCursor::setPos(0, 0); // away from the window, which opens at 263, 165
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}});
    TfrmMain &window = f.show();
    auto *panel = f.child<QWidget>("pnlMortgages");
    QCOMPARE(panel->height(), 51);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(panel, &enter);
    QCOMPARE(panel->height(), window.height() - 2);
    QCursor::setPos(panel->mapToGlobal(cursor));
    if (QCursor::pos() != panel->mapToGlobal(cursor))
        QSKIP("this platform does not move the cursor");
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(panel, &leave);
    QCOMPARE(panel->height(), heightAfterLeave);
}

void TestMainWindow::closingDialogOkEndsAndDropsUnsavedChanges()
{
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}});
    TfrmMain &window = f.show();
    window.qMortgage.edit();
    window.qMortgage.field(u"MortgageName").setString(QStringLiteral("Not saved"));
    platform::setNextModalResults({1});
    QVERIFY(window.close());
    QVERIFY(!window.qMortgage.isActive());
    QVERIFY(!window.qAmortization.isActive());
    QVERIFY(!window.qMonth.isActive());
    QVERIFY(!window.MainConnection.isConnected());
    QCOMPARE(f.store.value(QStringLiteral("SELECT MortgageName FROM tblMortgage")).toString(), QStringLiteral("First"));
}

void TestMainWindow::closingDialogCancelKeepsRunning()
{
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}});
    TfrmMain &window = f.show();
    window.qMortgage.edit();
    window.qMortgage.field(u"MortgageName").setString(QStringLiteral("Pending"));
    platform::setNextModalResults({2, 0});
    QVERIFY(!window.close()); // Cancel
    QVERIFY(!window.close()); // Esc
    QCOMPARE(platform::queuedModalResults(), 0);
    QVERIFY(window.isVisible());
    QCOMPARE(window.qMortgage.state(), Query::State::Edit);
    QCOMPARE(f.current("MortgageName"), QStringLiteral("Pending"));
    platform::setNextModalResults({1});
    QVERIFY(window.close());
}

void TestMainWindow::closingDialogLayout()
{
    MainWindowFixture f;
    f.show();
    QVERIFY(frmFinal);
    QCOMPARE(frmFinal->parent(), f.window.get());
    QCOMPARE(frmFinal->windowTitle(), QStringLiteral("Thank you!"));
    QCOMPARE(frmFinal->size(), QSize(323, 268));
    QVERIFY(frmFinal->windowFlags().testFlag(Qt::Tool));
    QVERIFY(!frmFinal->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!frmFinal->findChild<QPushButton *>(QStringLiteral("btnCancel"))->isHidden());
    TAboutBox about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About Calvora"));
    QVERIFY(about.findChild<QPushButton *>(QStringLiteral("btnCancel"))->isHidden());

    // OK answers 1 and Cancel 2 when the dialog is shown for real.
    for (const auto &[button, result] : {std::pair{"btnOK", 1}, std::pair{"btnCancel", 2}}) {
        QTimer::singleShot(0, frmFinal, [button = button] {
            frmFinal->findChild<QPushButton *>(QString::fromLatin1(button))->click();
        });
        QCOMPARE(frmFinal->exec(), result);
    }
}

void TestMainWindow::pictureOpensTheLinkTarget()
{
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    TAboutBox about;
    about.show();
    auto *picture = about.findChild<QLabel *>(QStringLiteral("ProgramIcon"));
    auto *link = about.findChild<QLabel *>(QStringLiteral("lnk"));
    QTest::mouseClick(picture, Qt::LeftButton);
    QTest::mouseClick(link, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(recorder.opened.size(), 2);
    QCOMPARE(recorder.opened.at(0), recorder.opened.at(1));
    QCOMPARE(recorder.opened.at(0).scheme(), QStringLiteral("https"));
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
