// The floating mortgage list: where it sits, growing and shrinking under the
// mouse, giving way to the docked list while the main window moves, and its
// buttons and list acting on the main window's mortgages.

#include "DBGrid.h"
#include "MainWindowFixture.h"
#include "fSideBar.h"

#include <QApplication>
#include <QLineEdit>

using namespace calvora;

namespace {

// The quiet spell after the last move or resize event that ends a move.
constexpr int AfterMoveMs = 600;

TfrmMain &showWithMortgages(MainWindowFixture &f)
{
    QCursor::setPos(0, 0); // away from the window, which opens at 263, 165
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}, {2, QStringLiteral("Second"), 2020, 1},
                          {3, QStringLiteral("Third"), 2020, 1}});
    TfrmMain &window = f.show();
    // Placed at the first showing (and again if the window system moved the
    // window on the way).
    (void)QTest::qWaitFor([&] { return frmSideBar && frmSideBar->isVisible() && frmSideBar->pos() == window.mapToGlobal(QPoint(0, 0)); });
    return window;
}

} // namespace

class TestSideBar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { platform::initApplication(); }
    void firstShowing();
    void growsAndShrinksUnderTheMouse_data();
    void growsAndShrinksUnderTheMouse();
    void givesWayWhileTheWindowMoves();
    void followsAResize();
    void buttonsActAsTheMainWindows();
    void pickingARowSelectsTheMortgage();
};

void TestSideBar::firstShowing()
{
    MainWindowFixture f;
    TfrmMain &window = showWithMortgages(f);
    QVERIFY(f.errors.isEmpty());
    QVERIFY(frmSideBar->isVisible());
    QCOMPARE(frmSideBar->pos(), window.mapToGlobal(QPoint(0, 0)));
    QCOMPARE(frmSideBar->size(), QSize(155, 49));
    QCOMPARE(frmSideBar->parentWidget(), &window);
    QVERIFY(frmSideBar->isWindow());
    QVERIFY(frmSideBar->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(frmSideBar->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(qRound(frmSideBar->windowOpacity() * 255), 200);
    // The docked list waits hidden for a move.
    QVERIFY(!f.child<QWidget>("pnlMortgages")->isVisible());
    f.window.reset();
    QVERIFY(!frmSideBar); // destroyed with the main window
}

void TestSideBar::growsAndShrinksUnderTheMouse_data()
{
    QTest::addColumn<QPoint>("cursor"); // where the mouse is when a leave arrives
    QTest::addColumn<bool>("staysOpen");
    QTest::newRow("onto the list inside") << QPoint(20, 100) << true;
    QTest::newRow("left edge") << QPoint(0, 100) << false;
    QTest::newRow("top edge") << QPoint(20, 0) << false;
    QTest::newRow("beyond the right edge") << QPoint(155, 100) << false;
    QTest::newRow("below") << QPoint(20, 2000) << false;
}

void TestSideBar::growsAndShrinksUnderTheMouse()
{
    QFETCH(QPoint, cursor);
    QFETCH(bool, staysOpen);
    MainWindowFixture f;
    TfrmMain &window = showWithMortgages(f);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(frmSideBar, &enter);
    QCOMPARE(frmSideBar->height(), window.height());
    QCursor::setPos(frmSideBar->mapToGlobal(cursor));
    if (QCursor::pos() != frmSideBar->mapToGlobal(cursor))
        QSKIP("this platform does not move the cursor");
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(frmSideBar, &leave);
    QCOMPARE(frmSideBar->height(), staysOpen ? window.height() : 51);
    QCOMPARE(frmSideBar->width(), 155);
}

void TestSideBar::givesWayWhileTheWindowMoves()
{
    MainWindowFixture f;
    TfrmMain &window = showWithMortgages(f);
    auto *docked = f.child<QWidget>("pnlMortgages");
    window.move(window.pos() + QPoint(40, 25));
    QVERIFY(!frmSideBar->isVisible());
    QVERIFY(docked->isVisible());
    QCOMPARE(docked->geometry(), QRect(0, 0, 155, 51));
    QTest::qWait(AfterMoveMs);
    QVERIFY(frmSideBar->isVisible());
    QVERIFY(!docked->isVisible());
    QCOMPARE(frmSideBar->pos(), window.mapToGlobal(QPoint(0, 0)));
}

void TestSideBar::followsAResize()
{
    MainWindowFixture f;
    TfrmMain &window = showWithMortgages(f);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(frmSideBar, &enter);
    const int expanded = frmSideBar->height();
    window.resize(700, 500);
    QTest::qWait(AfterMoveMs);
    QVERIFY(frmSideBar->isVisible());
    QCOMPARE(frmSideBar->pos(), window.mapToGlobal(QPoint(0, 0)));
    // An expanded side bar keeps its height until the mouse leaves it.
    QCOMPARE(frmSideBar->height(), expanded);
}

void TestSideBar::buttonsActAsTheMainWindows()
{
    MainWindowFixture f;
    TfrmMain &window = showWithMortgages(f);
    auto *add = frmSideBar->findChild<QAbstractButton *>(QStringLiteral("btnNew"));
    auto *remove = frmSideBar->findChild<QAbstractButton *>(QStringLiteral("btnDelete"));
    auto *save = frmSideBar->findChild<QAbstractButton *>(QStringLiteral("btnSave"));
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(window.qMortgage.recordCount(), 4);
    QCOMPARE(f.current("MortgageName"), QStringLiteral("Loan 4"));
    window.qMortgage.edit();
    window.qMortgage.field(u"MortgageName").setString(QStringLiteral("Saved from the side bar"));
    QTest::mouseClick(save, Qt::LeftButton);
    QVERIFY(!window.qMortgage.isEditing());
    QCOMPARE(f.store.value(QStringLiteral("SELECT count(*) FROM tblMortgage WHERE MortgageName='Saved from the side bar'"))
                 .toInt(),
             1);
    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(window.qMortgage.recordCount(), 3);
    QCOMPARE(f.store.value(QStringLiteral("SELECT count(*) FROM tblMortgage")).toInt(), 3);
    QVERIFY(f.errors.isEmpty());
    for (QAbstractButton *button : {add, remove, save})
        QVERIFY(button->isEnabled());
}

void TestSideBar::pickingARowSelectsTheMortgage()
{
    MainWindowFixture f;
    TfrmMain &window = showWithMortgages(f);
    auto *list = frmSideBar->findChild<platform::DBGrid *>(QStringLiteral("dgMortgage"));
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(frmSideBar, &enter);
    QTest::qWait(50);
    const QRect third = list->visualRect(list->model()->index(2, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, third.center());
    QCOMPARE(f.current("MortgageName"), QStringLiteral("Third"));
    QCOMPARE(f.child<QLineEdit>("edtName")->text(), QStringLiteral("Third"));
    // The names are not edited here.
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, third.center());
    QTest::keyClicks(list, QStringLiteral("Renamed"));
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(f.current("MortgageName"), QStringLiteral("Third"));
    QVERIFY(!window.qMortgage.isEditing());
}

QTEST_MAIN(TestSideBar)
#include "test_sidebar.moc"
