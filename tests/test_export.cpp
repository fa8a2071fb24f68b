// The schedules taken out of the window: the CSV export of each view as
// shown (grouped, flat, with a closed year), read back as a spreadsheet
// would; the same bytes from calvora-calc --export; the reconciliation line
// under each schedule; and the entry points (menus, shortcuts, tool buttons).

#include "GroupedTableView.h"
#include "MainWindowFixture.h"
#include "ScratchSchedule.h"
#include "TableExport.h"
#include "DBGrid.h"
#include "fSideBar.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QProcess>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>

using namespace calvora;
using calvora::platform::GroupedTableModel;

namespace {

// 100,000.00 at 6 % over 360 months, the payment already calculated.
const QString WorkedExample = QStringLiteral(
    "UPDATE tblMortgage SET HouseAmount=1000000000, DownPayment=0, LoanAmount=1000000000, InterestRate=6, "
    "TermInMonth=360, MonthlyPayment=5995505, TotalPayment=2158381800, TotalInterest=1158381800");

// A CSV text read as a spreadsheet reads it: quoted fields may hold commas,
// quotes (doubled) and line ends. Fails the test on a malformed text.
QList<QStringList> readCsv(const QByteArray &bytes)
{
    QList<QStringList> rows;
    if (!bytes.startsWith("\xEF\xBB\xBF")) {
        qWarning("no byte order mark");
        return rows;
    }
    const QString text = QString::fromUtf8(bytes.mid(3));
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"' && field.isEmpty()) {
            quoted = true;
        } else if (c == u',') {
            row << field;
            field.clear();
        } else if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
            row << field;
            field.clear();
            rows << row;
            row.clear();
            ++i;
        } else if (c == u'\n' || c == u'\r') {
            qWarning("a line end that is not CRLF");
            return {};
        } else {
            field += c;
        }
    }
    if (!row.isEmpty() || !field.isEmpty())
        qWarning("the last line has no line end");
    return rows;
}

// A plain figure with four decimals as ten-thousandths ("-12.3400" → -123400).
qint64 tenThousandths(const QString &figure, bool *ok)
{
    const qsizetype point = figure.indexOf(u'.');
    *ok = point > 0 && figure.size() - point == 5;
    QString digits = figure;
    digits.remove(point, 1);
    return *ok ? digits.toLongLong(ok) : 0;
}

class ExportFixture : public MainWindowFixture
{
public:
    explicit ExportFixture(qint64 prepayment = 1000000)
    {
        store.addMortgages({{1, QStringLiteral("First"), 2004, 1}, {2, QStringLiteral("Other"), 2010, 6}});
        store.exec({WorkedExample + QStringLiteral(", Prepayment=%1 WHERE MortgageID=1").arg(prepayment)});
        show();
        button("btnGenerate")->click();
    }

    void showPage(int page) { child<QTabWidget>("pgMort")->setCurrentIndex(page); }
    GroupedTableModel &view(int page) { return page == 1 ? window->tvAmort : window->tvPrepay; }

    // Exports the page's view through Ctrl+E, answering the save dialog with path.
    QByteArray exportPage(int page, const QString &name = QStringLiteral("export.csv"))
    {
        showPage(page);
        const QString path = store.folder() + QLatin1Char('/') + name;
        platform::setNextSaveFileNames({path});
        QTest::keyClick(window.get(), Qt::Key_E, Qt::ControlModifier);
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString line(int page) const
    {
        return child<QLabel>(page == 1 ? "lblAmortReconciliation" : "lblPrepayReconciliation")->text();
    }
};

} // namespace

class TestExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void csvOfTheWorkedExample_data();
    void csvOfTheWorkedExample();
    void figuresStayPlainInEveryLocale();
    void closedYearExportsItsGroupRowOnly();
    void storedTextsStayTexts();
    void sameBytesFromTheCommandLine_data();
    void sameBytesFromTheCommandLine();
    void exportThatCannotBeWritten();
    void reconciliation_data();
    void reconciliation();
    void entryPoints();
    void entryPointsWithoutAMortgage_data();
    void entryPointsWithoutAMortgage();
};

void TestExport::initTestCase() { platform::initApplication(); }

void TestExport::csvOfTheWorkedExample_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("grouped");
    QTest::addColumn<QString>("header");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QStringList>("expected"); // lines that must stand in this order

    const QString payment = QStringLiteral("Row,Month,Principal,Interest,Principal Paid,Interest Paid,Principal Left,"
                                           "Sum of TotalPayment");
    const QString prepayment = QStringLiteral("Row,Month,Principal,Interest,Principal Paid,Interest Paid,"
                                              "Principal Left,Sum of Principal,Sum of Interest,Sum of ActualTotal");
    // Header, 30 years of a group row, 12 months and a year total, the total.
    QTest::newRow("payment, by year")
        << 1 << true << payment << 1 + 30 * 14 + 1
        << QStringList{
               QStringLiteral("group,\"Year : 2004 (Payment this year (P&I) = $7,194.61, Principal = $1,228.01, "
                              "Interest = $5,966.59)\",,,,,,"),
               QStringLiteral("month,Jan 2004,99.5505,500.0000,99.5505,500.0000,99900.4495,"),
               QStringLiteral("month,Feb 2004,100.0483,499.5022,199.5988,999.5022,99800.4012,"),
               QStringLiteral("month,Dec 2004,105.1647,494.3858,1228.0114,5966.5946,98771.9886,"),
               QStringLiteral("year total,,1228.0114,5966.5946,,,,"),
               QStringLiteral("month,Jan 2005,105.6906,493.8599,105.6906,493.8599,98666.2980,"),
               QStringLiteral("month,Mar 2005,106.7501,492.8004,318.6597,1479.9918,98453.3289,"),
               // 1,384.165 in the group row rounds to even, as under the column.
               QStringLiteral("group,\"Year : 2006 (Payment this year (P&I) = $7,194.61, Principal = $1,384.16, "
                              "Interest = $5,810.44)\",,,,,,"),
               QStringLiteral("year total,,1384.1650,5810.4410,,,,"),
               QStringLiteral("month,Dec 2033,596.5675,2.9830,6966.1351,228.4709,0.0231,"),
               QStringLiteral("total,,99999.9769,115838.2031,,,,215838.1800"),
           };
    QTest::newRow("payment, flat")
        << 1 << false << payment << 1 + 360 + 1
        << QStringList{
               QStringLiteral("month,Jan 2004,99.5505,500.0000,99.5505,500.0000,99900.4495,"),
               QStringLiteral("month,Mar 2005,106.7501,492.8004,1546.6711,7446.5864,98453.3289,"),
               QStringLiteral("month,Dec 2033,596.5675,2.9830,99999.9769,115838.2031,0.0231,"),
               QStringLiteral("total,,99999.9769,115838.2031,,,,215838.1800"),
           };
    QTest::newRow("prepayment, by year")
        << 4 << true << prepayment << 1 + 30 * 14 + 1
        << QStringList{
               QStringLiteral("group,\"Year : 2004 (Payment this year (P&I) = $8,394.61, Principal = $2,461.57, "
                              "Interest = $5,933.04)\",,,,,,,,"),
               QStringLiteral("month,Jan 2004,199.5505,500.0000,199.5505,500.0000,99800.4495,,,"),
               QStringLiteral("year total,,2461.5675,5933.0385,,,,1228.0114,5966.5946,"),
               QStringLiteral("month,Jan 2025,0.0000,0.0000,0.0000,0.0000,0.0000,,,"),
               QStringLiteral("total,,,75937.9433,,,,99999.9769,115838.2031,175937.9433"),
           };
    QTest::newRow("prepayment, flat")
        << 4 << false << prepayment << 1 + 360 + 1
        << QStringList{
               QStringLiteral("month,Dec 2024,349.0227,1.7451,100000.0000,75937.9433,0.0000,,,"),
               QStringLiteral("month,Dec 2033,0.0000,0.0000,100000.0000,75937.9433,0.0000,,,"),
               QStringLiteral("total,,,75937.9433,,,,99999.9769,115838.2031,175937.9433"),
           };
}

void TestExport::csvOfTheWorkedExample()
{
    QFETCH(int, page);
    QFETCH(bool, grouped);
    QFETCH(QString, header);
    QFETCH(int, lines);
    QFETCH(QStringList, expected);
    ExportFixture f;
    if (!grouped)
        f.child<QCheckBox>(page == 1 ? "chkGroup" : "chkGrp")->click();
    const QByteArray bytes = f.exportPage(page);
    QVERIFY(f.errors.isEmpty());

    const QList<QByteArray> raw = bytes.mid(3).split('\n');
    QCOMPARE(raw.size() - 1, lines); // every line ends in CRLF
    QCOMPARE(QString::fromUtf8(raw.first()).chopped(1), header);
    qsizetype from = 0;
    for (const QString &line : expected) {
        const qsizetype at = raw.indexOf(line.toUtf8() + '\r', from);
        QVERIFY2(at >= 0, qPrintable(QStringLiteral("missing or out of order: ") + line));
        from = at + 1;
    }
    QCOMPARE(QString::fromUtf8(raw.at(raw.size() - 2)).chopped(1), expected.last());

    // Read back as a spreadsheet reads it: every line has the header's
    // fields, and every figure of the total row is the sum of the figures
    // above it: of the months under a column, of the year totals in a
    // "Sum of" column.
    const QList<QStringList> rows = readCsv(bytes);
    QCOMPARE(rows.size(), lines);
    const QStringList captions = rows.first();
    for (const QStringList &row : rows)
        QCOMPARE(row.size(), captions.size());
    const QStringList &total = rows.last();
    QCOMPARE(total.first(), QStringLiteral("total"));
    int summed = 0;
    for (qsizetype column = 2; column < captions.size(); ++column) {
        if (total.at(column).isEmpty())
            continue;
        const bool sumColumn = captions.at(column).startsWith(QLatin1String("Sum of "));
        const QLatin1String addend = sumColumn ? QLatin1String("year total") : QLatin1String("month");
        const auto hasAddend = [&](const QStringList &row) { return row.first() == addend && !row.at(column).isEmpty(); };
        if (std::none_of(rows.begin(), rows.end(), hasAddend))
            continue; // flat, or a sum with no year totals under it
        qint64 sum = 0;
        for (const QStringList &row : rows) {
            if (row.first() != addend)
                continue;
            bool ok = false;
            sum += tenThousandths(row.at(column), &ok);
            QVERIFY2(ok, qPrintable(row.join(u',')));
        }
        bool ok = false;
        QCOMPARE(sum, tenThousandths(total.at(column), &ok));
        ++summed;
    }
    QVERIFY(summed >= (grouped ? 2 : 1));
}

void TestExport::figuresStayPlainInEveryLocale()
{
    // Where "," is the decimal separator and months have other names, the
    // texts follow the locale and the figures stay plain, for any
    // spreadsheet to add up.
    RegionalSettings german = RegionalSettings::usEnglish();
    german.currencySymbol = "\u20ac";
    german.decimalSeparator = ",";
    german.thousandSeparator = ".";
    german.shortMonthNames = {"Jan", "Feb", "M\u00e4r", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
    ScheduleInputs inputs;
    inputs.loanAmount = Currency::fromRaw(1000000000);
    inputs.monthlyPayment = Currency::fromRaw(5995505);
    inputs.interestRate = 6;
    inputs.startYear = 2004;
    inputs.startMonth = 1;
    inputs.termInMonth = 360;
    report::ScratchSchedule schedule(inputs, german);
    const QList<QStringList> rows = readCsv(report::ExportCsv(schedule.paymentView()));
    QCOMPARE(rows.size(), 1 + 30 * 14 + 1);
    QCOMPARE(rows.at(1).at(1), QStringLiteral("Year : 2004 (Payment this year (P&I) = $7.194,61, Principal = "
                                              "$1.228,01, Interest = $5.966,59)"));
    QCOMPARE(rows.at(4), (QStringList{QStringLiteral("month"), QStringLiteral("M\u00e4r 2004"),
                                      QStringLiteral("100.5485"), QStringLiteral("499.0020"),
                                      QStringLiteral("300.1473"), QStringLiteral("1498.5042"),
                                      QStringLiteral("99699.8527"), QString()}));
    QCOMPARE(rows.last(), (QStringList{QStringLiteral("total"), QString(), QStringLiteral("99999.9769"),
                                       QStringLiteral("115838.2031"), QString(), QString(), QString(),
                                       QStringLiteral("215838.1800")}));
}

void TestExport::closedYearExportsItsGroupRowOnly()
{
    ExportFixture f;
    f.showPage(1);
    auto *grid = f.child<platform::GroupedTableView>("grdAmort");
    grid->setFocus();
    grid->setCurrentIndex(f.window->tvAmort.groupIndex(0));
    QTest::keyClick(grid, Qt::Key_Left);
    QVERIFY(!f.window->tvAmort.isExpanded(0));

    const QList<QStringList> rows = readCsv(f.exportPage(1));
    QCOMPARE(rows.size(), 1 + 1 + 29 * 14 + 1);
    QCOMPARE(rows.at(1).at(0), QStringLiteral("group"));
    QVERIFY(rows.at(1).at(1).startsWith(QLatin1String("Year : 2004 (")));
    QCOMPARE(rows.at(2).at(0), QStringLiteral("group"));
    QVERIFY(rows.at(2).at(1).startsWith(QLatin1String("Year : 2005 (")));
    // The total still holds every month, as the footer on screen does.
    QCOMPARE(rows.last().at(2), QStringLiteral("99999.9769"));
}

void TestExport::storedTextsStayTexts()
{
    // Another program wrote a text where a date belongs; the export shows
    // it as the grid does, and a spreadsheet keeps it a text rather than
    // running it as a formula.
    ExportFixture f;
    f.store.exec({QStringLiteral("UPDATE tblAmortization SET PayDate='=1+2' WHERE MortgageID=1 AND "
                                 "PayDate='2004-02-01'")});
    f.window->qAmortization.requery();
    f.errors.clear();
    f.child<QCheckBox>("chkGroup")->click();
    const QList<QStringList> rows = readCsv(f.exportPage(1));
    bool found = false;
    for (const QStringList &row : rows) {
        if (row.at(1) == QStringLiteral("'=1+2")) {
            found = true;
            QCOMPARE(row.at(2), QStringLiteral("100.0483"));
        }
        QVERIFY2(!row.at(1).startsWith(u'='), qPrintable(row.join(u',')));
    }
    QVERIFY(found);
}

void TestExport::sameBytesFromTheCommandLine_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("grouped");
    QTest::newRow("payment, by year") << 1 << true;
    QTest::newRow("payment, flat") << 1 << false;
    QTest::newRow("prepayment, by year") << 4 << true;
    QTest::newRow("prepayment, flat") << 4 << false;
}

void TestExport::sameBytesFromTheCommandLine()
{
    QFETCH(int, page);
    QFETCH(bool, grouped);
    ExportFixture f;
    if (!grouped)
        f.child<QCheckBox>(page == 1 ? "chkGroup" : "chkGrp")->click();
    const QByteArray fromWindow = f.exportPage(page);
    QVERIFY(!fromWindow.isEmpty());

    QStringList arguments{QStringLiteral("--loan"),   QStringLiteral("100000"),  QStringLiteral("--rate"),
                          QStringLiteral("6"),        QStringLiteral("--term"),  QStringLiteral("360"),
                          QStringLiteral("--start"),  QStringLiteral("2004-01"), QStringLiteral("--prepayment"),
                          QStringLiteral("100"),      QStringLiteral("--export"),
                          page == 1 ? QStringLiteral("payment") : QStringLiteral("prepayment")};
    if (!grouped)
        arguments << QStringLiteral("--flat");
    QProcess calc;
    calc.start(QStringLiteral(CALC_PATH), arguments);
    QVERIFY(calc.waitForFinished(30000));
    QCOMPARE(calc.exitCode(), 0);
    QCOMPARE(calc.readAllStandardError(), QByteArray());
    QCOMPARE(calc.readAllStandardOutput(), fromWindow);
}

void TestExport::exportThatCannotBeWritten()
{
    ExportFixture f;
    const QString existing = f.store.folder() + QStringLiteral("/kept.csv");
    {
        QFile file(existing);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("what was there");
    }
    // A folder that is not there: a clear message, nothing written.
    f.showPage(1);
    const QString missing = f.store.folder() + QStringLiteral("/no such folder/export.csv");
    platform::setNextSaveFileNames({missing});
    QTest::keyClick(f.window.get(), Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(f.errors.size(), 1);
    QVERIFY2(f.errors.first().startsWith(QStringLiteral("Cannot write the schedule to ") + missing),
             qPrintable(f.errors.first()));
    QVERIFY(!QFile::exists(missing));

    // Cancelling the dialog writes nothing; choosing a file replaces it whole.
    f.errors.clear();
    platform::setNextSaveFileNames({QString()});
    QTest::keyClick(f.window.get(), Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(QDir(f.store.folder()).entryList({QStringLiteral("*.csv")}), QStringList{QStringLiteral("kept.csv")});
    const QByteArray written = f.exportPage(1, QStringLiteral("kept.csv"));
    QVERIFY(written.startsWith("\xEF\xBB\xBFRow,"));
    QVERIFY(written.endsWith("215838.1800\r\n"));
    QVERIFY(f.errors.isEmpty());
}

void TestExport::reconciliation_data()
{
    QTest::addColumn<qint64>("prepayment");
    QTest::addColumn<QString>("change"); // made to the file by another program, then read again
    QTest::addColumn<QString>("price");  // typed as the house price after the schedule was made
    QTest::addColumn<QString>("payment");
    QTest::addColumn<QString>("prepaid");

    const QString example = QStringLiteral(
        "Reconciles: Principal paid $99,999.9769 + balance left by rounding $0.0231 = loan amount $100,000.0000");
    const QString paidOff = QStringLiteral(
        "Reconciles: Principal paid $100,000.0000 + balance left by rounding $0.0000 = loan amount $100,000.0000");
    const QString outOfDate = QStringLiteral("This schedule was made for a loan of $100,000.0000, not for the loan "
                                             "amount of $90,000.0000: Schedule makes it again.");
    QTest::newRow("no prepayment") << qint64(0) << QString() << QString() << example << example;
    QTest::newRow("100.00 prepaid") << qint64(1000000) << QString() << QString() << example << paidOff;
    QTest::newRow("paid off in the first month") << qint64(1000000000) << QString() << QString() << example << paidOff;
    QTest::newRow("the loan changed since") << qint64(0) << QString() << QStringLiteral("90000") << outOfDate
                                            << outOfDate;
    QTest::newRow("a month changed by another program")
        << qint64(0) << QStringLiteral("UPDATE tblAmortization SET Principal=Principal+10000 WHERE PayDate='2004-06-01'")
        << QString() << QStringLiteral("Does not reconcile: Principal paid $100,000.9769 + balance left by rounding $0.0231 "
                          "≠ loan amount $100,000.0000, off by -$1.0000")
        << example;
    QTest::newRow("a month without principal")
        << qint64(0) << QStringLiteral("UPDATE tblAmortization SET ActualPrincipal=NULL WHERE PayDate='2004-06-01'")
        << QString() << example << QStringLiteral("This schedule cannot be reconciled: a month has no principal or balance.");
}

void TestExport::reconciliation()
{
    QFETCH(qint64, prepayment);
    QFETCH(QString, change);
    QFETCH(QString, price);
    QFETCH(QString, payment);
    QFETCH(QString, prepaid);
    ExportFixture f(prepayment);
    if (!change.isEmpty()) {
        f.store.exec({change});
        f.window->qAmortization.requery();
    }
    if (!price.isEmpty()) {
        f.window->qMortgage.edit();
        f.window->qMortgage.field(u"HouseAmount").setText(price);
    }
    QCOMPARE(f.line(1), payment);
    QCOMPARE(f.line(4), prepaid);
    QVERIFY(f.child<QLabel>("lblAmortReconciliation")->parentWidget() ==
            f.child<QWidget>("grdAmort")->parentWidget());

    // It follows the selection: the other mortgage has no schedule. A
    // price typed and dropped leaves the loan the schedule was made for.
    f.window->qMortgage.cancel();
    f.window->qMortgage.next();
    QCOMPARE(f.line(1), QString());
    f.window->qMortgage.first();
    if (price.isEmpty())
        QCOMPARE(f.line(1), payment);
    else
        QVERIFY(f.line(1).startsWith(QLatin1String("Reconciles: ")));
}

void TestExport::entryPoints()
{
    ExportFixture f;
    auto texts = [](const QWidget *widget) {
        QStringList list;
        for (const QAction *action : widget->actions())
            list << action->text();
        return list;
    };
    const QStringList scheduleMenu{QStringLiteral("Export…"), QStringLiteral("Print…"), QStringLiteral("Chart…")};
    QCOMPARE(texts(f.child<QWidget>("grdAmort")), scheduleMenu);
    QCOMPARE(texts(f.child<QWidget>("grdPrepay")), scheduleMenu);
    const QStringList listMenu{QStringLiteral("Compare…"), QStringLiteral("Chart…")};
    QCOMPARE(texts(f.child<QWidget>("dgMortgage")), listMenu);
    QVERIFY(frmSideBar);
    QCOMPARE(texts(&frmSideBar->listGrid()), listMenu);
    QCOMPARE(f.child<QWidget>("grdAmort")->contextMenuPolicy(), Qt::ActionsContextMenu);

    // Export and Print act on the schedule pages only.
    f.showPage(0);
    const QString path = f.store.folder() + QStringLiteral("/not.csv");
    platform::setNextSaveFileNames({path});
    QTest::keyClick(f.window.get(), Qt::Key_E, Qt::ControlModifier);
    QVERIFY(!QFile::exists(path));
    platform::setNextSaveFileNames({});

    // The tool buttons stand at the free right end of both tool bars.
    for (const char *bar : {"tbSchedule", "RzToolbar2"}) {
        f.showPage(QByteArrayView(bar) == "tbSchedule" ? 1 : 4);
        const QWidget *toolBar = f.child<QWidget>(bar);
        const QWidget *check = toolBar->findChild<QCheckBox *>();
        const QList<QToolButton *> buttons = toolBar->findChildren<QToolButton *>(QString(), Qt::FindDirectChildrenOnly);
        QStringList names;
        for (const QToolButton *button : buttons) {
            if (!button->defaultAction())
                continue;
            names << button->defaultAction()->text();
            QVERIFY2(button->geometry().left() > check->geometry().right(), bar);
            QVERIFY2(button->geometry().right() < toolBar->width(), bar);
        }
        QCOMPARE(names, scheduleMenu);
    }

    // Ctrl+P shows the print preview of the page's schedule.
    f.showPage(1);
    platform::setNextModalResults({QDialog::Rejected});
    QTest::keyClick(f.window.get(), Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(platform::queuedModalResults(), 0);
    QVERIFY(f.errors.isEmpty());

    // Ctrl+G opens the chart, Ctrl+M the comparison, which shows what is
    // stored and says that the mortgage on screen has unsaved changes.
    QTest::keyClick(f.window.get(), Qt::Key_G, Qt::ControlModifier);
    auto *chart = f.window->findChild<QDialog *>(QStringLiteral("frmChart"));
    QVERIFY(chart && chart->isVisible());
    f.window->qMortgage.edit();
    f.window->qMortgage.field(u"MortgageName").setText(QStringLiteral("Renamed"));
    QTest::keyClick(f.window.get(), Qt::Key_M, Qt::ControlModifier);
    auto *compare = f.window->findChild<QDialog *>(QStringLiteral("frmCompare"));
    QVERIFY(compare && compare->isVisible());
    QCOMPARE(f.store.value(QStringLiteral("SELECT MortgageName FROM tblMortgage WHERE MortgageID=1")).toString(),
             QStringLiteral("First"));
    QVERIFY(compare->findChild<QLabel *>(QStringLiteral("lblNotes"))
                ->text()
                .contains(QStringLiteral("First has changes that are not saved; this shows it as saved.")));
    QVERIFY(f.window->qMortgage.isEditing());

    // From another mortgage, Ctrl+M makes that one the base of the differences.
    f.window->qMortgage.cancel();
    f.window->qMortgage.next();
    f.window->activateWindow();
    QTest::keyClick(f.window.get(), Qt::Key_M, Qt::ControlModifier);
    auto *table = compare->findChild<QTableWidget *>();
    QVERIFY(table);
    QVERIFY(table->horizontalHeaderItem(1)->text().startsWith(QLatin1String("Other\n")));
    QVERIFY(f.errors.isEmpty());
}

void TestExport::entryPointsWithoutAMortgage_data()
{
    QTest::addColumn<bool>("fileThere");
    QTest::newRow("no database file") << false;
    QTest::newRow("a file without mortgages") << true;
}

void TestExport::entryPointsWithoutAMortgage()
{
    // Every entry on every page, with nothing to show: clear messages or
    // empty windows, never a crash, nothing written to the folder.
    QFETCH(bool, fileThere);
    MainWindowFixture f;
    QTemporaryDir noFile;
    QTemporaryDir folder; // where the exports go
    const QString where = fileThere ? f.store.folder() : noFile.path();
    TfrmMain &window = f.show(where);
    const QStringList before = QDir(where).entryList(QDir::Files);
    f.errors.clear();
    for (int page = 0; page < 5; ++page) {
        f.child<QTabWidget>("pgMort")->setCurrentIndex(page);
        const QString csv = folder.filePath(QStringLiteral("page%1.csv").arg(page));
        platform::setNextSaveFileNames({csv});
        platform::setNextModalResults({QDialog::Rejected});
        for (Qt::Key key : {Qt::Key_E, Qt::Key_P, Qt::Key_G, Qt::Key_M}) {
            window.activateWindow();
            QTest::keyClick(&window, key, Qt::ControlModifier);
        }
        platform::setNextSaveFileNames({});
        platform::setNextModalResults({});
        QVERIFY(!QFile::exists(csv));
    }
    QCOMPARE(f.errors.filter(QStringLiteral("There is no schedule to export")).size(), 2);
    // Without a file there is no mortgage; an empty file opens on a new one,
    // which prints as typed.
    const QStringList printing = f.errors.filter(QStringLiteral("print"));
    QCOMPARE(printing, fileThere ? QStringList()
                                 : QStringList(2, QStringLiteral("There is no mortgage to print.")));
    QCOMPARE(f.errors.filter(QStringLiteral("could not be opened")).isEmpty(), fileThere);
    QCOMPARE(platform::queuedModalResults(), 0);
    QCOMPARE(QDir(where).entryList(QDir::Files), before);
}

QTEST_MAIN(TestExport)
#include "test_export.moc"
