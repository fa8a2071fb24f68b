// Printing the schedule pages: the worked example's schedule generated
// through the window's own button, printed to a PDF file on a fixed page and
// read back with pdfinfo and pdftotext; the title block of a mortgage with
// values that do not fit their columns; a PDF file that cannot be written;
// the print preview.

#include "Format.h"
#include "GroupedTableView.h"
#include "MainWindowFixture.h"
#include "SchedulePrint.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QPageLayout>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTabWidget>

#include <map>
#include <set>

using namespace calvora;
using calvora::platform::GroupedTableModel;

namespace {

// 100,000.00 at 6 % over 360 months from January 2004, the payment already
// calculated, 100.00 prepaid every month.
const QString WorkedExample = QStringLiteral(
    "UPDATE tblMortgage SET HouseAmount=1000000000, DownPayment=0, LoanAmount=1000000000, InterestRate=6, "
    "TermInMonth=360, MonthlyPayment=5995505, TotalPayment=2158381800, TotalInterest=1158381800, "
    "Prepayment=1000000 WHERE MortgageID=1");

enum class Page
{
    Payment,
    Prepayment
};
enum class Shape
{
    ByYear,
    Flat,
    FirstYearClosed
};

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// What pdfinfo and pdftotext read from a PDF file.
struct PrintedFile
{
    int pageCount = 0;
    QStringList pages; // the text of each page, laid out
};

PrintedFile readBack(const QString &path)
{
    PrintedFile printed;
    const QString info = run(QStringLiteral("pdfinfo"), {path});
    const QRegularExpressionMatch pages =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)$"), QRegularExpression::MultilineOption)
            .match(info);
    printed.pageCount = pages.hasMatch() ? pages.captured(1).toInt() : -1;
    printed.pages = run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")})
                        .split(QLatin1Char('\f'));
    // A form feed ends every page, the last one too.
    if (!printed.pages.isEmpty() && printed.pages.last().trimmed().isEmpty())
        printed.pages.removeLast();
    return printed;
}

// A table line of a month: the month text first ("Mar 2005"), then figures.
const QRegularExpression MonthLine(QStringLiteral("^\\s*([A-Z][a-z]{2}) (\\d{4})\\s+\\S"));
const QRegularExpression GroupLine(QStringLiteral("^\\s*Year : (\\d{4})"));

class PrintFixture : public MainWindowFixture
{
public:
    PrintFixture()
    {
        store.addMortgages({{1, QStringLiteral("First"), 2004, 1}});
        store.exec({WorkedExample});
    }

    TfrmMain &showWithSchedule()
    {
        TfrmMain &window = show();
        button("btnGenerate")->click();
        return window;
    }

    QString pdfPath() const { return store.folder() + QStringLiteral("/schedule.pdf"); }
};

} // namespace

class TestPrint : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void printedSchedule_data();
    void printedSchedule();
    void titleShowsWhatTheRecordHolds_data();
    void titleShowsWhatTheRecordHolds();
    void unwritablePdfFileGivesAMessage();
    void previewShowsEveryPage();
};

void TestPrint::initTestCase()
{
    platform::initApplication();
}

void TestPrint::printedSchedule_data()
{
    QTest::addColumn<Page>("page");
    QTest::addColumn<Shape>("shape");
    QTest::addColumn<QPageSize>("paper");
    QTest::addColumn<QStringList>("title");  // texts of page 1
    QTest::addColumn<QStringList>("totals"); // texts of the last page
    QTest::addColumn<bool>("splitsYears");   // a year is taller than a page

    const QStringList paymentTitle{QStringLiteral("First"),
                                   QStringLiteral("Payment Schedule"),
                                   QStringLiteral("Loan amount: $100,000.00"),
                                   QStringLiteral("Interest rate: 6%"),
                                   QStringLiteral("Term: 360 months"),
                                   QStringLiteral("First payment: Jan 2004"),
                                   QStringLiteral("Monthly payment: $599.55")};
    // The sums of the 360 months: 360 × 599.5505 paid, of which 0.0231 of
    // the loan is never paid off.
    const QStringList paymentTotals{QStringLiteral("P&I = $215,838.18"), QStringLiteral("P = $99,999.98"),
                                    QStringLiteral("I = $115,838.20")};
    const QPageSize letter(QPageSize::Letter);

    QTest::newRow("payment schedule by year")
        << Page::Payment << Shape::ByYear << letter << paymentTitle << paymentTotals << false;
    QTest::newRow("prepayment schedule by year")
        << Page::Prepayment << Shape::ByYear << QPageSize(QPageSize::A4)
        << QStringList{QStringLiteral("First"),
                       QStringLiteral("Prepayment Schedule"),
                       QStringLiteral("Loan amount: $100,000.00"),
                       QStringLiteral("Monthly payment: $599.55"),
                       QStringLiteral("Prepayment: $100.00"),
                       QStringLiteral("Paid off: Dec 2024 (252 months)"),
                       QStringLiteral("Interest saved: $39,900.24")}
        // Its shown columns carry the sums of what was paid with the prepayment.
        << QStringList{QStringLiteral("P&I = $175,937.94"), QStringLiteral("I = $75,937.94")} << false;
    QTest::newRow("payment schedule without grouping")
        << Page::Payment << Shape::Flat << letter << paymentTitle << paymentTotals << false;
    QTest::newRow("payment schedule with 2004 closed")
        << Page::Payment << Shape::FirstYearClosed << letter << paymentTitle << paymentTotals << false;
    // Half a letter's height holds fewer rows than a year has.
    QTest::newRow("pages shorter than a year")
        << Page::Payment << Shape::ByYear
        << QPageSize(QSizeF(612, 260), QPageSize::Point, QString(), QPageSize::ExactMatch)
        << QStringList{QStringLiteral("First"), QStringLiteral("Payment Schedule")} << paymentTotals << true;
}

void TestPrint::printedSchedule()
{
    QFETCH(Page, page);
    QFETCH(Shape, shape);
    QFETCH(QPageSize, paper);
    QFETCH(QStringList, title);
    QFETCH(QStringList, totals);
    QFETCH(bool, splitsYears);
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        QSKIP("pdftotext and pdfinfo (poppler-utils) are needed to read the printed file back");

    PrintFixture f;
    TfrmMain &window = f.showWithSchedule();
    QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(QLatin1Char('\n'))));
    const bool prepayment = page == Page::Prepayment;
    window.findChild<QTabWidget *>(QStringLiteral("pgMort"))->setCurrentIndex(prepayment ? 3 : 1);
    GroupedTableModel &view = prepayment ? window.tvPrepay : window.tvAmort;
    if (shape == Shape::Flat) {
        auto *group = f.child<QCheckBox>("chkGroup");
        QTest::mouseClick(group, Qt::LeftButton, {}, QPoint(5, group->height() / 2));
        QVERIFY(!view.isGrouped());
    }
    if (shape == Shape::FirstYearClosed) {
        // The person closes 2004 with the keyboard on its group row.
        auto *grid = f.child<platform::GroupedTableView>("grdAmort");
        grid->setFocus();
        grid->setCurrentIndex(view.groupIndex(0));
        QTest::keyClick(grid, Qt::Key_Left);
        QVERIFY(!view.isExpanded(0));
    }

    const QByteArray fileBefore = fileHash(f.store.path());
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(f.pdfPath());
    printer.setPageLayout(
        QPageLayout(paper, QPageLayout::Portrait, QMarginsF(36, 36, 36, 36), QPageLayout::Point));
    const int count = PrintSchedule(
        printer, view,
        ScheduleTitleOf(window.qMortgage, prepayment, window.MainConnection.regionalSettings()));
    QCOMPARE(fileHash(f.store.path()), fileBefore); // printing only reads
    QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(QLatin1Char('\n'))));

    const PrintedFile printed = readBack(f.pdfPath());
    QCOMPARE(printed.pageCount, count);
    QCOMPARE(printed.pages.size(), count);
    QVERIFY(count > 1);

    QStringList captions;
    for (int c = 0; c < view.columnCountTotal(); ++c) {
        if (view.column(c).visible)
            captions << view.columnCaption(c);
    }
    // The column headers: the shown columns' captions in order, on one line.
    QStringList escaped;
    for (const QString &caption : captions)
        escaped << QRegularExpression::escape(caption);
    const QRegularExpression headers(QStringLiteral("^\\s*") + escaped.join(QStringLiteral("\\s+")) +
                                         QStringLiteral("\\s*$"),
                                     QRegularExpression::MultilineOption);

    // Every month of the schedule found on the pages: its page and its line.
    std::map<QString, std::pair<int, QString>> months;
    bool continued = false;
    for (int p = 0; p < count; ++p) {
        const QString &text = printed.pages.at(p);
        QVERIFY2(text.contains(QStringLiteral("Page %1 of %2").arg(p + 1).arg(count)), qPrintable(text));
        QVERIFY2(headers.match(text).hasMatch(),
                 qPrintable(QStringLiteral("page %1 lacks the column headers").arg(p + 1)));
        // With grouping, every month stands under its own year's group row on
        // the same page: a year split across pages repeats its group row.
        QString groupYear;
        for (const QString &line : text.split(QLatin1Char('\n'))) {
            if (const QRegularExpressionMatch group = GroupLine.match(line); group.hasMatch()) {
                groupYear = group.captured(1);
                continued = continued || line.contains(QStringLiteral("(continued)"));
            }
            const QRegularExpressionMatch month = MonthLine.match(line);
            if (!month.hasMatch())
                continue;
            const QString name = month.captured(1) + QLatin1Char(' ') + month.captured(2);
            QVERIFY2(months.emplace(name, std::make_pair(p, line)).second,
                     qPrintable(name + QStringLiteral(" printed twice")));
            if (shape != Shape::Flat)
                QVERIFY2(groupYear == month.captured(2),
                         qPrintable(QStringLiteral("page %1: %2 under the group row of '%3'")
                                        .arg(p + 1)
                                        .arg(name, groupYear)));
        }
    }
    // The title's captions and values, however far apart they are laid out.
    for (const QString &text : title)
        QVERIFY2(printed.pages.first().simplified().contains(text),
                 qPrintable(text + QStringLiteral(" not on page 1")));
    for (const QString &text : totals)
        QVERIFY2(printed.pages.last().contains(text),
                 qPrintable(text + QStringLiteral(" not on the last page")));
    QCOMPARE(continued, splitsYears);

    // Each year shown whole: its twelve months, with grouping all on one page
    // where the year fits.
    const std::array<const char *, 12> monthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int year = 2004; year <= 2033; ++year) {
        std::set<int> pages;
        for (const char *month : monthNames) {
            const QString name = QStringLiteral("%1 %2").arg(QLatin1String(month)).arg(year);
            const auto found = months.find(name);
            if (shape == Shape::FirstYearClosed && year == 2004) {
                QVERIFY2(found == months.end(),
                         qPrintable(name + QStringLiteral(" printed inside a closed year")));
                continue;
            }
            QVERIFY2(found != months.end(), qPrintable(name + QStringLiteral(" not printed")));
            pages.insert(found->second.first);
        }
        if (shape == Shape::FirstYearClosed && year == 2004)
            QVERIFY(printed.pages.first().contains(
                QStringLiteral("Year : 2004 (Payment this year (P&I) = $7,194.61")));
        else if (shape != Shape::Flat && !splitsYears)
            QVERIFY2(pages.size() == 1,
                     qPrintable(QStringLiteral("%1 printed across %2 pages").arg(year).arg(pages.size())));
    }
    QCOMPARE(int(months.size()), shape == Shape::FirstYearClosed ? 348 : 360);

    if (shape == Shape::Flat) {
        // Without grouping the running totals add up from the first month.
        const QStringList principal = f.store.rows(QStringLiteral(
            "SELECT PayDate, Principal FROM tblAmortization WHERE MortgageID=1 ORDER BY PayDate"));
        QCOMPARE(principal.size(), 360);
        Currency paid;
        for (const QString &row : principal) {
            const QStringList values = row.split(QLatin1Char('|'));
            paid += Currency::fromRaw(values.at(1).toLongLong());
            const QDate date = QDate::fromString(values.at(0), Qt::ISODate);
            const QString name = QStringLiteral("%1 %2")
                                     .arg(QLatin1String(monthNames.at(std::size_t(date.month() - 1))))
                                     .arg(date.year());
            const QString expected = QString::fromStdString(formatMoney(paid, RegionalSettings::usEnglish()));
            QVERIFY2(months[name].second.contains(expected),
                     qPrintable(QStringLiteral("%1 lacks %2: %3").arg(name, expected, months[name].second)));
        }
        QVERIFY(months[QStringLiteral("Dec 2033")].second.contains(QStringLiteral("$99,999.98")));
    }
}

void TestPrint::titleShowsWhatTheRecordHolds_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("prepayment");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("expected");
    QTest::newRow("a text as loan amount") << QStringLiteral("LoanAmount='lots'") << false
                                           << QStringLiteral("Loan amount") << QStringLiteral("lots");
    QTest::newRow("a fraction of a cent as payment")
        << QStringLiteral("MonthlyPayment=5995505.5") << false << QStringLiteral("Monthly payment")
        << QStringLiteral("5995505.5");
    QTest::newRow("a text as first month") << QStringLiteral("StartMonth='soon'") << false
                                           << QStringLiteral("First payment") << QStringLiteral("soon 2004");
    QTest::newRow("a term of one month")
        << QStringLiteral("TermInMonth=1") << false << QStringLiteral("Term") << QStringLiteral("1 month");
    QTest::newRow("a negative saving") << QStringLiteral("InterestSaved=-231") << true
                                       << QStringLiteral("Interest saved") << QStringLiteral("($0.02)");
    QTest::newRow("never paid off") << QStringLiteral("ActualTerm=0") << true << QStringLiteral("Paid off")
                                    << QStringLiteral("Not within the term");
    QTest::newRow("paid off in the first month")
        << QStringLiteral("ActualTerm=1") << true << QStringLiteral("Paid off")
        << QStringLiteral("Jan 2004 (1 month)");
    QTest::newRow("paid off across a year end")
        << QStringLiteral("ActualTerm=13") << true << QStringLiteral("Paid off")
        << QStringLiteral("Jan 2005 (13 months)");
}

void TestPrint::titleShowsWhatTheRecordHolds()
{
    QFETCH(QString, change);
    QFETCH(bool, prepayment);
    QFETCH(QString, caption);
    QFETCH(QString, expected);
    PrintFixture f;
    f.store.exec({QStringLiteral("UPDATE tblMortgage SET %1 WHERE MortgageID=1").arg(change)});
    TfrmMain &window = f.show();
    const ScheduleTitle title =
        ScheduleTitleOf(window.qMortgage, prepayment, window.MainConnection.regionalSettings());
    QString shown = QStringLiteral("(none)");
    for (const auto &[itemCaption, text] : title.items) {
        if (itemCaption == caption)
            shown = text;
    }
    QCOMPARE(shown, expected);
    QCOMPARE(int(title.items.size()), prepayment ? 8 : 5);
}

void TestPrint::unwritablePdfFileGivesAMessage()
{
    PrintFixture f;
    TfrmMain &window = f.showWithSchedule();
    const QString path = f.store.folder() + QStringLiteral("/no such folder/schedule.pdf");
    QString message;
    QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    try {
        SaveSchedulePdf(path, window.tvAmort,
                        ScheduleTitleOf(window.qMortgage, false, window.MainConnection.regionalSettings()));
    } catch (const Error &e) {
        message = QString::fromUtf8(e.what());
    }
    QCOMPARE(message, QStringLiteral("Cannot write the schedule to %1.").arg(path));
    QVERIFY(!QFile::exists(path));
}

void TestPrint::previewShowsEveryPage()
{
    PrintFixture f;
    TfrmMain &window = f.showWithSchedule();
    const ScheduleTitle title =
        ScheduleTitleOf(window.qMortgage, true, window.MainConnection.regionalSettings());
    std::unique_ptr<QPrintPreviewDialog> dialog(PreviewSchedule(&window, window.tvPrepay, title));
    dialog->resize(900, 700);
    dialog->show();
    auto *preview = dialog->findChild<QPrintPreviewWidget *>();
    QVERIFY(preview);

    // The same layout on a PDF printer with the preview's page gives the
    // same pages.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(f.pdfPath());
    printer.setPageLayout(dialog->printer()->pageLayout());
    const int count = PrintSchedule(printer, window.tvPrepay, title);
    QTRY_COMPARE(preview->pageCount(), count);
    QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(QLatin1Char('\n'))));
    dialog->grab().save(QDir::temp().filePath(QStringLiteral("calvora-print-preview.png")));
}

QTEST_MAIN(TestPrint)
#include "test_print.moc"
