// The framed record grid on a window offscreen, over the mortgages of a real
// database file, driven by real mouse and key events.

#include "BrindlewwDBGrid.h"
#include "Connection.h"
#include "DataSource.h"
#include "ErrorHandler.h"
#include "FormSupport.h"
#include "Query.h"
#include "StoreFixture.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollBar>
#include <QTest>

using namespace calvora;
using calvora::store::Query;

// A left click on a cell of the grid: its data row and column, with or
// without Shift held.
struct Click
{
    int row;
    int column;
    bool shift = false;
};
using Clicks = QList<Click>;
using Rows = QList<int>;

Q_DECLARE_METATYPE(Clicks)
Q_DECLARE_METATYPE(Frame::TFrameStyle)
Q_DECLARE_METATYPE(Frame::TSides)

namespace {

// A window with the grid over the mortgages "Loan 1" ... "Loan n" in their
// order, with the columns MortgageName and NameSequence, and a line edit
// beside it to take the focus.
class GridFixture
{
public:
    explicit GridFixture(int records = 5)
    {
        for (int i = 1; i <= records; ++i)
            store.addMortgages({{i, QStringLiteral("Loan %1").arg(i)}});
        connection.setDatabasePath(store.path());
        connection.setRegionalSettings(RegionalSettings::usEnglish());
        query.setSql(QStringLiteral("SELECT * FROM tblMortgage\nORDER BY NameSequence"));
        source.setDataSet(&query);
        window.resize(320, 320);
        grid = new TBrindlewwDBGrid(&window);
        grid->setObjectName(QStringLiteral("dgMortgage"));
        grid->setGeometry(10, 10, 220, 200);
        grid->setFrameShape(QFrame::NoFrame);
        grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        grid->addColumn(QStringLiteral("MortgageName"), QStringLiteral("Mortgages"), 12);
        grid->addColumn(QStringLiteral("NameSequence"), QStringLiteral("No."), 4);
        other = new QLineEdit(&window);
        other->setGeometry(10, 260, 200, 24);
        grid->setDataSource(&source);
        query.open();
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            qWarning("the test window did not become active");
        platform::setErrorSink([this](const QString &message) { errors << message; });
    }
    ~GridFixture()
    {
        platform::resetErrorSink();
        platform::setNextModalResults({});
    }
    GridFixture(const GridFixture &) = delete;
    GridFixture &operator=(const GridFixture &) = delete;

    // Makes the grid exactly as high as its titles and this many data rows.
    void fitRows(int rows)
    {
        const int rowHeight = grid->verticalHeader()->defaultSectionSize();
        grid->resize(grid->width(), grid->height() - grid->viewport()->height() + rows * rowHeight);
    }

    QPoint cellCenter(int row, int column) const
    {
        return grid->visualRect(grid->model()->index(row, column)).center();
    }
    void click(const Click &c)
    {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton,
                          c.shift ? Qt::ShiftModifier : Qt::KeyboardModifiers(), cellCenter(c.row, c.column));
    }

    // Moves the mouse from the line edit onto the grid, or away again.
    void mouseOntoGrid() { QTest::mouseMove(&window, grid->geometry().center()); }
    void mouseAway() { QTest::mouseMove(&window, other->geometry().center()); }

    // The names in the file, in their order.
    QStringList storedNames() const
    {
        const QString names =
            store
                .value(QStringLiteral("SELECT group_concat(MortgageName, ',') FROM "
                                      "(SELECT MortgageName FROM tblMortgage ORDER BY NameSequence)"))
                .toString();
        return names.isEmpty() ? QStringList() : names.split(QLatin1Char(','));
    }

    StoreFixture store;
    store::Connection connection;
    Query query{connection, QStringLiteral("qMortgage")};
    store::DataSource source;
    QWidget window;
    TBrindlewwDBGrid *grid = nullptr;
    QLineEdit *other = nullptr;
    QStringList errors;
};

// Counts the Down-arrow key presses that reach a widget.
class DownKeyCounter : public QObject
{
public:
    int presses = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Down)
            ++presses;
        return false;
    }
};

// A frame controller that assigns its settings to the controls it frames
// through their properties.
class TestFrameController : public IFrameController
{
public:
    QColor FrameColor() const override { return Qt::blue; }
    Frame::TFrameStyle FrameStyle() const override { return Frame::fsFlatBold; }
    Frame::TSides FrameSides() const override { return Frame::sdLeft | Frame::sdRight; }
    void AddControl(QWidget *control) override
    {
        controls << control;
        control->setProperty("FrameVisible", true);
        control->setProperty("FrameColor", FrameColor());
        control->setProperty("FrameStyle", QVariant::fromValue(FrameStyle()));
        control->setProperty("FrameSides", QVariant::fromValue(FrameSides()));
    }
    void RemoveControl(QWidget *control) override { controls.removeAll(control); }

    QList<QWidget *> controls;
};

// The colour of the pixel a given distance inside the middle of one side.
QColor edgePixel(const QImage &image, Frame::TSide side, int inset)
{
    const int w = image.width(), h = image.height();
    switch (side) {
    case Frame::sdLeft:
        return image.pixelColor(inset, h / 2);
    case Frame::sdTop:
        return image.pixelColor(w / 2, inset);
    case Frame::sdRight:
        return image.pixelColor(w - 1 - inset, h / 2);
    case Frame::sdBottom:
        return image.pixelColor(w / 2, h - 1 - inset);
    }
    return {};
}

QImage picture(QWidget *widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

const QList<Frame::TSide> everySide{Frame::sdLeft, Frame::sdTop, Frame::sdRight, Frame::sdBottom};

} // namespace

class TestFramedGrid : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { platform::initApplication(); }

    void verticalScrollBarOnlyWhileRecordsDoNotFit_data();
    void verticalScrollBarOnlyWhileRecordsDoNotFit();
    void verticalScrollBarFollowsAddedAndRemovedRecords();
    void frameIsDrawnOnlyWhenVisible_data();
    void frameIsDrawnOnlyWhenVisible();
    void flatFrameRestsAndTakesTheFocusStyle();
    void frameControllerSetsTheFrame();
    void mouseEnterAndLeaveReachTheHandlers();
    void focusedCellEditorSilencesMouseEnterAndLeave();
    void superSelectClicks_data();
    void superSelectClicks();
    void clickOnTheLastRowPressesDown_data();
    void clickOnTheLastRowPressesDown();
    void deleteSelectedRecords_data();
    void deleteSelectedRecords();
    void rowPlusKeepsTwoRowsMoreThanRecords_data();
    void rowPlusKeepsTwoRowsMoreThanRecords();
    void versionCannotBeChanged();
};

void TestFramedGrid::verticalScrollBarOnlyWhileRecordsDoNotFit_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<bool>("shown");
    QTest::newRow("fewer records than rows") << 3 << false;
    QTest::newRow("as many records as rows") << 6 << false;
    QTest::newRow("one record more than rows") << 7 << true;
}

void TestFramedGrid::verticalScrollBarOnlyWhileRecordsDoNotFit()
{
    QFETCH(int, records);
    QFETCH(bool, shown);
    GridFixture f(records);
    f.fitRows(6);
    QCOMPARE(f.grid->VisibleDataRowCount(), 6);
    QTRY_COMPARE(f.grid->ShowVertScrollBar(), shown);
    QCOMPARE(f.grid->verticalScrollBar()->isVisible(), shown);
}

void TestFramedGrid::verticalScrollBarFollowsAddedAndRemovedRecords()
{
    GridFixture f(3);
    f.fitRows(6);
    QTRY_VERIFY(!f.grid->ShowVertScrollBar());
    for (int i = 4; i <= 10; ++i)
        f.store.addMortgages({{i, QStringLiteral("Loan %1").arg(i)}});
    f.query.requery();
    QTRY_VERIFY(f.grid->verticalScrollBar()->isVisible());
    f.store.exec({QStringLiteral("DELETE FROM tblMortgage WHERE NameSequence > 5")});
    f.query.requery();
    QTRY_VERIFY(!f.grid->verticalScrollBar()->isVisible());
    QVERIFY(!f.grid->ShowVertScrollBar());
    QVERIFY(f.errors.isEmpty());
}

void TestFramedGrid::frameIsDrawnOnlyWhenVisible_data()
{
    QTest::addColumn<bool>("visible");
    QTest::addColumn<Frame::TFrameStyle>("style");
    QTest::addColumn<Frame::TSides>("sides");
    // The pixels, counted from the edge, in the frame colour on each side.
    QTest::addColumn<Rows>("framed");
    QTest::newRow("invisible frame draws nothing")
        << false << Frame::fsFlatBold << Frame::AllSides << Rows{0, 0, 0, 0};
    QTest::newRow("flat line on the left and the top")
        << true << Frame::fsFlat << (Frame::sdLeft | Frame::sdTop) << Rows{1, 1, 0, 0};
    QTest::newRow("bold line all round") << true << Frame::fsFlatBold << Frame::AllSides << Rows{2, 2, 2, 2};
    QTest::newRow("no style only erases the edge")
        << true << Frame::fsNone << Frame::AllSides << Rows{0, 0, 0, 0};
}

void TestFramedGrid::frameIsDrawnOnlyWhenVisible()
{
    QFETCH(bool, visible);
    QFETCH(Frame::TFrameStyle, style);
    QFETCH(Frame::TSides, sides);
    QFETCH(Rows, framed);
    GridFixture f;
    const QColor frameColor(200, 0, 0);
    f.grid->setFrameColor(frameColor);
    f.grid->setFrameStyle(style);
    f.grid->setFrameSides(sides);
    f.grid->setFrameVisible(visible);
    const QImage image = picture(f.grid);
    for (int i = 0; i < everySide.size(); ++i) {
        for (int inset = 0; inset < 2; ++inset) {
            const QColor pixel = edgePixel(image, everySide.at(i), inset);
            const QString where = QStringLiteral("side %1, %2 pixels in").arg(i).arg(inset);
            if (inset < framed.at(i))
                QVERIFY2(pixel == frameColor, qPrintable(where));
            else if (visible) // the edge is erased in the grid's colour first
                QVERIFY2(pixel == f.grid->Color(), qPrintable(where));
            else
                QVERIFY2(pixel != frameColor, qPrintable(where));
        }
    }
}

void TestFramedGrid::flatFrameRestsAndTakesTheFocusStyle()
{
    GridFixture f;
    const QColor frameColor(0, 120, 0);
    f.grid->setFrameColor(frameColor);
    f.grid->setFrameFlatStyle(Frame::fsFlat);
    f.grid->setFrameFocusStyle(Frame::fsFlatBold);
    f.mouseAway();
    f.other->setFocus();
    QVERIFY(!f.grid->FrameVisible());

    f.grid->setFrameFlat(true);
    QVERIFY(f.grid->FrameVisible());
    QCOMPARE(f.grid->FrameSides(), Frame::AllSides);
    QCOMPARE(f.grid->FrameStyle(), Frame::fsFlat);
    // Resting: a one-pixel line; the second pixel is the grid's colour.
    QImage image = picture(f.grid);
    QCOMPARE(edgePixel(image, Frame::sdBottom, 0), frameColor);
    QCOMPARE(edgePixel(image, Frame::sdBottom, 1), f.grid->Color());

    f.mouseOntoGrid();
    QCOMPARE(f.grid->FrameStyle(), Frame::fsFlatBold);
    image = picture(f.grid);
    QCOMPARE(edgePixel(image, Frame::sdBottom, 1), frameColor);

    f.mouseAway();
    QCOMPARE(f.grid->FrameStyle(), Frame::fsFlat);

    // Focused, the grid keeps the focus style when the mouse leaves.
    f.mouseOntoGrid();
    f.grid->setFocus(Qt::MouseFocusReason);
    QVERIFY(f.grid->hasFocus());
    f.mouseAway();
    QCOMPARE(f.grid->FrameStyle(), Frame::fsFlatBold);

    // Losing the focus rests the frame even with the mouse over the grid.
    f.mouseOntoGrid();
    f.other->setFocus(Qt::TabFocusReason);
    QCOMPARE(f.grid->FrameStyle(), Frame::fsFlat);

    f.grid->setFrameFlat(false);
    f.mouseOntoGrid();
    QCOMPARE(f.grid->FrameStyle(), Frame::fsFlat);
    QVERIFY(f.errors.isEmpty());
}

void TestFramedGrid::frameControllerSetsTheFrame()
{
    GridFixture f;
    TestFrameController controller;
    f.grid->setProperty("FrameController", QVariant::fromValue<IFrameController *>(&controller));
    QCOMPARE(controller.controls, QList<QWidget *>{f.grid});
    QVERIFY(f.grid->FrameVisible());
    QCOMPARE(f.grid->FrameColor(), QColor(Qt::blue));
    QCOMPARE(f.grid->FrameSides(), Frame::sdLeft | Frame::sdRight);
    const QImage image = picture(f.grid);
    QCOMPARE(edgePixel(image, Frame::sdLeft, 1), QColor(Qt::blue));
    QVERIFY(edgePixel(image, Frame::sdTop, 0) != QColor(Qt::blue));

    f.grid->setFrameController(nullptr);
    QVERIFY(controller.controls.isEmpty());
}

void TestFramedGrid::mouseEnterAndLeaveReachTheHandlers()
{
    GridFixture f;
    QList<QObject *> entered, left;
    f.grid->OnMouseEnter = [&](QObject *sender) { entered << sender; };
    f.grid->OnMouseLeave = [&](QObject *sender) { left << sender; };
    f.mouseAway();
    f.mouseOntoGrid();
    QCOMPARE(entered, QList<QObject *>{f.grid});
    QVERIFY(left.isEmpty());
    f.mouseAway();
    QCOMPARE(left, QList<QObject *>{f.grid});

    // Losing the focus counts as the mouse leaving.
    f.grid->setFocus(Qt::MouseFocusReason);
    f.other->setFocus(Qt::TabFocusReason);
    QCOMPARE(left.size(), 2);
    QCOMPARE(entered.size(), 1);
}

void TestFramedGrid::focusedCellEditorSilencesMouseEnterAndLeave()
{
    GridFixture f;
    int entered = 0, left = 0;
    f.grid->OnMouseEnter = [&](QObject *) { ++entered; };
    f.grid->OnMouseLeave = [&](QObject *) { ++left; };
    f.grid->setFrameFlatStyle(Frame::fsFlat);
    f.grid->setFrameFocusStyle(Frame::fsFlatBold);
    f.grid->setFrameFlat(true);
    f.mouseAway();
    left = 0;

    // F2 on a name opens its editor, which takes the focus.
    f.mouseOntoGrid();
    f.click({1, 0});
    QTest::keyClick(f.grid, Qt::Key_F2);
    QVERIFY(f.grid->InplaceEditor() && f.grid->InplaceEditor()->hasFocus());
    QCOMPARE(left, 0); // the grid lost the focus to its own editor
    QCOMPARE(entered, 1);
    const Frame::TFrameStyle style = f.grid->FrameStyle();

    f.mouseAway();
    f.mouseOntoGrid();
    f.mouseAway();
    QCOMPARE(entered, 1);
    QCOMPARE(left, 0);
    QCOMPARE(f.grid->FrameStyle(), style);

    // With the editor closed the events come again.
    QTest::keyClick(f.grid->InplaceEditor(), Qt::Key_Escape);
    QTRY_VERIFY(!f.grid->InplaceEditor());
    f.mouseOntoGrid();
    QCOMPARE(entered, 2);
    QVERIFY(f.errors.isEmpty());
}

void TestFramedGrid::superSelectClicks_data()
{
    QTest::addColumn<bool>("superSelect");
    QTest::addColumn<Clicks>("clicks");
    QTest::addColumn<Rows>("selected");
    QTest::addColumn<bool>("rowSelect");
    QTest::newRow("first column selects") << true << Clicks{{1, 0}} << Rows{1} << true;
    QTest::newRow("second click unselects") << true << Clicks{{1, 0}, {1, 0}} << Rows{} << true;
    QTest::newRow("two records") << true << Clicks{{3, 0}, {1, 0}} << Rows{1, 3} << true;
    QTest::newRow("another column clears and edits again")
        << true << Clicks{{1, 0}, {3, 0}, {2, 1}} << Rows{} << false;
    QTest::newRow("shift range downwards") << true << Clicks{{1, 0}, {3, 0, true}} << Rows{1, 2, 3} << true;
    QTest::newRow("shift range upwards") << true << Clicks{{4, 0}, {2, 0, true}} << Rows{2, 3, 4} << true;
    QTest::newRow("shift range from the last click anywhere")
        << true << Clicks{{0, 1}, {2, 0, true}} << Rows{0, 1, 2} << true;
    QTest::newRow("next range starts where the last ended")
        << true << Clicks{{4, 0}, {3, 0, true}, {1, 0, true}} << Rows{1, 2, 3, 4} << true;
    QTest::newRow("shift range in edit mode")
        << true << Clicks{{1, 1}, {3, 1, true}} << Rows{1, 2, 3} << false;
    QTest::newRow("without SuperSelect nothing is selected")
        << false << Clicks{{1, 0}, {3, 0, true}} << Rows{} << false;
}

void TestFramedGrid::superSelectClicks()
{
    QFETCH(bool, superSelect);
    QFETCH(Clicks, clicks);
    QFETCH(Rows, selected);
    QFETCH(bool, rowSelect);
    GridFixture f;
    f.grid->setSuperSelect(superSelect);
    for (const Click &c : clicks)
        f.click(c);
    QCOMPARE(f.grid->SelectedRows(), selected);
    QCOMPARE(bool(f.grid->Options() & TBrindlewwDBGrid::dgRowSelect), rowSelect);
    QCOMPARE(bool(f.grid->Options() & TBrindlewwDBGrid::dgEditing), !rowSelect);
    QCOMPARE(f.grid->currentIndex().row(), f.query.currentRow());
    QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(QLatin1Char('\n'))));

    // Switching SuperSelect off returns to editing and clears the selection.
    if (superSelect) {
        f.grid->setSuperSelect(false);
        QVERIFY(f.grid->SelectedRows().isEmpty());
        QCOMPARE(f.grid->Options(), TBrindlewwDBGrid::dgEditing | TBrindlewwDBGrid::dgAlwaysShowEditor);
    }
}

void TestFramedGrid::clickOnTheLastRowPressesDown_data()
{
    QTest::addColumn<bool>("rowPlus");
    QTest::addColumn<bool>("inserting");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("presses");
    QTest::newRow("last record") << false << false << 4 << 1;
    QTest::newRow("another record") << false << false << 3 << 0;
    QTest::newRow("blank row after the records") << true << false << 5 << 1;
    QTest::newRow("last record with a blank row after it") << true << false << 4 << 0;
    QTest::newRow("new record being inserted") << false << true << 5 << 0;
}

void TestFramedGrid::clickOnTheLastRowPressesDown()
{
    QFETCH(bool, rowPlus);
    QFETCH(bool, inserting);
    QFETCH(int, row);
    QFETCH(int, presses);
    GridFixture f;
    f.grid->setRowPlus(rowPlus);
    f.grid->setSuperSelect(true);
    f.query.requery();
    if (inserting)
        f.query.append();
    DownKeyCounter counter;
    f.grid->installEventFilter(&counter);
    f.click({row, 1});
    QCOMPARE(counter.presses, presses);
    QVERIFY(f.errors.isEmpty());
}

void TestFramedGrid::deleteSelectedRecords_data()
{
    QTest::addColumn<Clicks>("clicks");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QStringList>("remaining");
    const QStringList all{QStringLiteral("Loan 1"), QStringLiteral("Loan 2"), QStringLiteral("Loan 3"),
                          QStringLiteral("Loan 4"), QStringLiteral("Loan 5")};
    QTest::newRow("OK deletes exactly the selected")
        << Clicks{{1, 0}, {3, 0}} << int(QMessageBox::Ok) << true
        << QStringList{QStringLiteral("Loan 1"), QStringLiteral("Loan 3"), QStringLiteral("Loan 5")};
    QTest::newRow("Cancel deletes nothing")
        << Clicks{{1, 0}, {3, 0}} << int(QMessageBox::Cancel) << true << all;
    QTest::newRow("a range") << Clicks{{0, 0}, {2, 0, true}} << int(QMessageBox::Ok) << true
                             << QStringList{QStringLiteral("Loan 4"), QStringLiteral("Loan 5")};
    QTest::newRow("all records") << Clicks{{0, 0}, {4, 0, true}} << int(QMessageBox::Ok) << true
                                 << QStringList();
    QTest::newRow("not asked while editing")
        << Clicks{{1, 0}, {3, 1}} << int(QMessageBox::Ok) << false << all;
}

void TestFramedGrid::deleteSelectedRecords()
{
    QFETCH(Clicks, clicks);
    QFETCH(int, answer);
    QFETCH(bool, asked);
    QFETCH(QStringList, remaining);
    GridFixture f;
    f.grid->setSuperSelect(true);
    for (const Click &c : clicks)
        f.click(c);
    const Rows selected = f.grid->SelectedRows();
    platform::setNextModalResults({answer});
    QTest::keyClick(f.grid, Qt::Key_Delete);
    QCOMPARE(platform::queuedModalResults(), asked ? 0 : 1);
    QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(QLatin1Char('\n'))));
    QCOMPARE(f.storedNames(), remaining);
    QCOMPARE(f.query.recordCount(), remaining.size());
    QCOMPARE(f.grid->model()->rowCount(), remaining.size());
    QCOMPARE(f.grid->SelectedRows(), remaining.size() == 5 ? selected : Rows{});
    QCOMPARE(f.grid->currentIndex().row(), f.query.currentRow());
}

void TestFramedGrid::rowPlusKeepsTwoRowsMoreThanRecords_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<bool>("rowPlus");
    QTest::addColumn<bool>("titles");
    QTest::addColumn<int>("rows");
    QTest::newRow("five records") << 5 << true << true << 7;
    QTest::newRow("five records without titles") << 5 << true << false << 7;
    QTest::newRow("no records") << 0 << true << true << 2;
    QTest::newRow("RowPlus off") << 5 << false << true << 6;
}

void TestFramedGrid::rowPlusKeepsTwoRowsMoreThanRecords()
{
    QFETCH(int, records);
    QFETCH(bool, rowPlus);
    QFETCH(bool, titles);
    QFETCH(int, rows);
    GridFixture f(records);
    QAbstractItemModelTester tester(f.grid->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    f.grid->horizontalHeader()->setVisible(titles);
    f.grid->setRowPlus(rowPlus);
    QTRY_COMPARE(f.grid->RowCount(), rows); // from the next painting on

    // A record added in the file and read again.
    f.store.addMortgages({{99, QStringLiteral("Added")}});
    f.query.requery();
    QCOMPARE(f.grid->RowCount(), rows + 1);
    // Blank rows show nothing and cannot become current.
    const QModelIndex last = f.grid->model()->index(f.grid->model()->rowCount() - 1, 0);
    QCOMPARE(last.data().toString().isEmpty(), rowPlus);
    f.click({last.row(), 0});
    QCOMPARE(f.query.currentRow(), rowPlus ? 0 : records);
    QVERIFY(f.errors.isEmpty());
}

void TestFramedGrid::versionCannotBeChanged()
{
    TBrindlewwDBGrid grid;
    QCOMPARE(grid.property("_Version").toString(), QStringLiteral("1.01 - 09.21.2001"));
    grid.setProperty("_Version", QStringLiteral("2.00"));
    QCOMPARE(grid.property("_Version").toString(), QStringLiteral("1.01 - 09.21.2001"));
}

QTEST_MAIN(TestFramedGrid)
#include "test_framedgrid.moc"
