// A new user's first use, only through key and mouse events on the real
// windows over a real file: start on an empty file, add a mortgage, type its
// figures, calculate, choose the first payment, generate the schedule, read
// it, prepay, save, close, and start again to find everything as it was.

#include "DBGrid.h"
#include "GroupedTableView.h"
#include "MainWindowFixture.h"
#include "fSideBar.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>

using namespace calvora;

namespace {

void clickPage(TfrmMain &window, int page)
{
    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("pgMort"))->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(page).center());
}

void typeInto(QLineEdit *edit, const QString &text)
{
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
}

} // namespace

class TestFirstUse : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { platform::initApplication(); }
    void firstUse();
};

void TestFirstUse::firstUse()
{
    MainWindowFixture f(encodeDate(2026, 12, 11));
    QCursor::setPos(0, 0);
    TfrmMain &window = f.show();
    QVERIFY(f.errors.isEmpty());

    // Add from the floating list.
    QTRY_VERIFY(frmSideBar && frmSideBar->isVisible());
    QTest::mouseClick(frmSideBar->findChild<QAbstractButton *>(QStringLiteral("btnNew")), Qt::LeftButton);
    QCOMPARE(f.child<QLineEdit>("edtName")->text(), QStringLiteral("Loan 1"));

    typeInto(f.child<QLineEdit>("edtName"), QStringLiteral("Our house"));
    typeInto(f.child<QLineEdit>("edtInterestRate"), QStringLiteral("6"));
    typeInto(f.child<QLineEdit>("edtTermInMonth"), QStringLiteral("360"));
    typeInto(f.child<QLineEdit>("edtPrice"), QStringLiteral("100000"));
    typeInto(f.child<QLineEdit>("edtDown"), QStringLiteral("0"));
    QTest::mouseClick(f.button("btnCalculate"), Qt::LeftButton);
    QCOMPARE(f.child<QLineEdit>("edtMonthly")->text(), QStringLiteral("$599.55"));

    // January 2004 on the schedule page.
    clickPage(window, 1);
    auto *month = f.child<QComboBox>("cbMonth");
    QTest::mouseClick(month, Qt::LeftButton);
    QTest::keyClick(month, Qt::Key_Escape);
    QTest::keyClick(month, Qt::Key_Home);
    auto *year = f.child<QAbstractSpinBox>("edtYear");
    QTest::mouseClick(year, Qt::LeftButton, {}, QPoint(5, year->height() / 2));
    QTest::keyClick(year, Qt::Key_PageDown);
    QTest::keyClick(year, Qt::Key_PageDown);
    for (int i = 0; i < 2; ++i)
        QTest::keyClick(year, Qt::Key_Down);
    QCOMPARE(year->text(), QStringLiteral("2004"));
    QCOMPARE(month->currentText(), QStringLiteral("Jan"));
    QTest::mouseClick(f.button("btnGenerate"), Qt::LeftButton);
    QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(QLatin1Char('\n'))));
    auto *grid = f.child<platform::GroupedTableView>("grdAmort");
    QCOMPARE(grid->model()->index(0, 0).data().toString(),
             QStringLiteral("Year : 2004 (Payment this year (P&I) = $7,194.61, Principal = $1,228.01, Interest = $5,966.59)"));
    QCOMPARE(window.tvAmort.footerText(window.tvAmort.columnIndex(u"tvAmortPayDate")), QStringLiteral("P&I = $215,838.18"));

    // 100.00 prepaid every month.
    clickPage(window, 3);
    typeInto(f.child<QLineEdit>("edtPrepmt"), QStringLiteral("100"));
    QTest::mouseClick(f.button("btnReGenerate"), Qt::LeftButton);
    QCOMPARE(f.child<QLineEdit>("CvDBCurrencyEdit7")->text(), QStringLiteral("$39,900.24"));
    QTest::mouseClick(frmSideBar->findChild<QAbstractButton *>(QStringLiteral("btnSave")), Qt::LeftButton);
    QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(QLatin1Char('\n'))));

    // Close with OK, start again on the same file.
    platform::setNextModalResults({1});
    QVERIFY(window.close());
    f.window.reset();
    TfrmMain &again = f.show();
    QVERIFY(f.errors.isEmpty());
    // The blank record the empty file began with was stored by Add, without
    // a number, so it comes first; the person picks the mortgage in the list.
    QTRY_VERIFY(frmSideBar && frmSideBar->isVisible());
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(frmSideBar, &enter);
    auto *list = frmSideBar->findChild<platform::DBGrid *>(QStringLiteral("dgMortgage"));
    QCOMPARE(list->model()->rowCount(), 2);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(1, 0)).center());
    QCOMPARE(f.child<QLineEdit>("edtName")->text(), QStringLiteral("Our house"));
    QCOMPARE(f.child<QLineEdit>("edtMonthly")->text(), QStringLiteral("$599.55"));
    QCOMPARE(f.child<QLineEdit>("edtInterest")->text(), QStringLiteral("$115,838.18"));
    QCOMPARE(f.child<QLineEdit>("CvDBCurrencyEdit3")->text(), QStringLiteral("$699.55"));
    QCOMPARE(f.child<QLineEdit>("CvDBCurrencyEdit7")->text(), QStringLiteral("$39,900.24"));
    QCOMPARE(f.child<QLineEdit>("RzDBNumericEdit1")->text(), QStringLiteral("252"));
    QCOMPARE(again.qAmortization.recordCount(), 360);
    QCOMPARE(again.tvPrepay.groupRowText(0),
             QStringLiteral("Year : 2004 (Payment this year (P&I) = $8,394.61, Principal = $2,461.57, Interest = $5,933.04)"));
    QVERIFY(again.tvAmort.isExpanded(0));
}

QTEST_MAIN(TestFirstUse)
#include "test_firstuse.moc"
