// Schedule generation in the core: the months of the payment and prepayment
// schedules, the payoff month and the prepayment results, with the rounding
// rules that decide single ten-thousandths.

#include "Errors.h"
#include "Format.h"
#include "LoanMath.h"
#include "Schedule.h"

#include <QTest>

#include <vector>

using namespace calvora;

namespace {

class CollectingRows : public ScheduleRowWriter
{
public:
    void writeRow(const ScheduleRow &row) override { rows.push_back(row); }
    std::vector<ScheduleRow> rows;
};

Currency money(const char *text)
{
    Currency value;
    if (parseCurrency(text, RegionalSettings::usEnglish(), value) != ParseResult::Ok)
        qFatal("bad amount in test: %s", text);
    return value;
}

QString fixed(Currency value) { return QString::fromStdString(formatFixed(value, 4, RegionalSettings::usEnglish())); }

// 100,000.00 at 6 % over 360 months, 100.00 prepaid, first payment March 2005.
ScheduleInputs workedExample()
{
    ScheduleInputs inputs;
    inputs.loanAmount = money("100000");
    inputs.monthlyPayment = money("599.5505");
    inputs.prepayment = money("100");
    inputs.interestRate = 6;
    inputs.startYear = 2005;
    inputs.startMonth = 3;
    inputs.termInMonth = 360;
    return inputs;
}

struct Sums
{
    Currency interest, actualTotal, actualInterest;
};

Sums sumsOf(const std::vector<ScheduleRow> &rows)
{
    Sums sums;
    for (const ScheduleRow &row : rows) {
        sums.interest += row.interest;
        sums.actualTotal += row.actualPrincipal + row.actualInterest;
        sums.actualInterest += row.actualInterest;
    }
    return sums;
}

} // namespace

class TestSchedule : public QObject
{
    Q_OBJECT

private slots:
    void workedExampleRows_data();
    void workedExampleRows();
    void workedExampleResults();
    void withoutPrepayment();
    void tieAboveHalfAndFirstInterest_data();
    void tieAboveHalfAndFirstInterest();
    void payoffInFirstMonth();
    void startInJanuary();
    void noDateNoRows_data();
    void noDateNoRows();
};

void TestSchedule::workedExampleRows_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("payDate");
    QTest::addColumn<QStringList>("figures"); // Interest .. ActualLeft

    auto row = [](int number, const char *date, std::initializer_list<const char *> figures) {
        QStringList texts;
        for (const char *figure : figures)
            texts << QString::fromLatin1(figure);
        QTest::addRow("row %d", number) << number << QString::fromLatin1(date) << texts;
    };
    row(1, "2005-03-01", {"500.0000", "99.5505", "99900.4495", "500.0000", "199.5505", "99800.4495"});
    row(2, "2005-04-01", {"499.5022", "100.0483", "99800.4012", "499.0022", "200.5483", "99599.9012"});
    row(32, "2007-10-01", {"483.3545", "116.1960", "96554.6940", "466.6337", "232.9168", "93093.8319"});
    row(250, "2025-12-01", {"254.8890", "344.6615", "50633.1298", "8.6712", "690.8793", "1043.3564"});
    row(251, "2026-01-01", {"253.1656", "346.3849", "50286.7449", "5.2168", "694.3337", "349.0227"});
    row(252, "2026-02-01", {"251.4337", "348.1168", "49938.6281", "1.7451", "349.0227", "0.0000"});
    row(253, "2026-03-01", {"249.6931", "349.8574", "49588.7707", "0.0000", "0.0000", "0.0000"});
    row(360, "2035-02-01", {"2.9830", "596.5675", "0.0231", "0.0000", "0.0000", "0.0000"});
}

void TestSchedule::workedExampleRows()
{
    QFETCH(int, row);
    QFETCH(QString, payDate);
    QFETCH(QStringList, figures);

    CollectingRows writer;
    QCOMPARE(GenerateSchedule(workedExample(), writer), 252);
    QCOMPARE(int(writer.rows.size()), 360);
    const ScheduleRow &month = writer.rows.at(std::size_t(row - 1));
    QCOMPARE(QString::fromStdString(toIsoDate(month.payDate)), payDate);
    const QStringList actual{fixed(month.interest),       fixed(month.principal),       fixed(month.principalLeft),
                             fixed(month.actualInterest), fixed(month.actualPrincipal), fixed(month.actualLeft)};
    QCOMPARE(actual, figures);
}

void TestSchedule::workedExampleResults()
{
    const ScheduleInputs inputs = workedExample();
    CollectingRows writer;
    const std::int32_t payoff = GenerateSchedule(inputs, writer);
    const Sums sums = sumsOf(writer.rows);
    QCOMPARE(fixed(sums.interest), QStringLiteral("115838.2031"));
    const PrepaymentResults results =
        PrepaymentResultsOf(inputs, money("115838.18"), payoff, sums.actualTotal, sums.actualInterest);
    QCOMPARE(fixed(results.actualMonthly), QStringLiteral("699.5505"));
    QCOMPARE(results.actualTerm, 252);
    QCOMPARE(fixed(results.actualTotal), QStringLiteral("175937.9433"));
    QCOMPARE(fixed(results.actualTotalInterest), QStringLiteral("75937.9433"));
    QCOMPARE(fixed(results.interestSaved), QStringLiteral("39900.2367"));
}

void TestSchedule::withoutPrepayment()
{
    ScheduleInputs inputs = workedExample();
    inputs.prepayment = Currency();
    CollectingRows writer;
    const std::int32_t payoff = GenerateSchedule(inputs, writer);
    QCOMPARE(payoff, 0); // the last remainder 0.0231 is never paid off
    for (const ScheduleRow &row : writer.rows) {
        QCOMPARE(row.actualInterest, row.interest);
        QCOMPARE(row.actualPrincipal, row.principal);
        QCOMPARE(row.actualLeft, row.principalLeft);
    }
    const Sums sums = sumsOf(writer.rows);
    const PrepaymentResults results =
        PrepaymentResultsOf(inputs, money("115838.18"), payoff, sums.actualTotal, sums.actualInterest);
    QCOMPARE(fixed(results.actualTotalInterest), QStringLiteral("115838.2031"));
    QCOMPARE(fixed(results.interestSaved), QStringLiteral("-0.0231"));
}

void TestSchedule::tieAboveHalfAndFirstInterest_data()
{
    QTest::addColumn<QString>("loan");
    QTest::addColumn<QString>("firstInterest");
    // The double nearest 0.005 lies just above it: an exact decimal product
    // 5,000,000.5 ten-thousandths would round to even (500.0000).
    QTest::newRow("100,000.01 rounds up") << QStringLiteral("100000.01") << QStringLiteral("500.0001");
    QTest::newRow("tie of row 32 as a first month") << QStringLiteral("96670.89") << QStringLiteral("483.3545");
}

void TestSchedule::tieAboveHalfAndFirstInterest()
{
    QFETCH(QString, loan);
    QFETCH(QString, firstInterest);
    ScheduleInputs inputs = workedExample();
    inputs.loanAmount = money(loan.toLatin1().constData());
    inputs.termInMonth = 1;
    CollectingRows writer;
    GenerateSchedule(inputs, writer);
    QCOMPARE(fixed(writer.rows.at(0).interest), firstInterest);
}

void TestSchedule::payoffInFirstMonth()
{
    ScheduleInputs inputs = workedExample();
    inputs.prepayment = money("200000");
    CollectingRows writer;
    QCOMPARE(GenerateSchedule(inputs, writer), 1);
    QCOMPARE(fixed(writer.rows.at(0).actualPrincipal), QStringLiteral("100000.0000"));
    QCOMPARE(fixed(writer.rows.at(0).actualInterest), QStringLiteral("500.0000"));
    QVERIFY(writer.rows.at(0).actualLeft.isZero());
    for (std::size_t i = 1; i < writer.rows.size(); ++i) {
        const ScheduleRow &row = writer.rows[i];
        QVERIFY(row.actualInterest.isZero() && row.actualPrincipal.isZero() && row.actualLeft.isZero());
    }
}

void TestSchedule::startInJanuary()
{
    ScheduleInputs inputs = workedExample();
    inputs.startYear = 2004;
    inputs.startMonth = 1;
    QCOMPARE(QString::fromStdString(toIsoDate(ScheduleStartDate(inputs))), QStringLiteral("2003-12-01"));
    CollectingRows writer;
    GenerateSchedule(inputs, writer);
    QCOMPARE(QString::fromStdString(toIsoDate(writer.rows.front().payDate)), QStringLiteral("2004-01-01"));
    QCOMPARE(QString::fromStdString(toIsoDate(writer.rows.back().payDate)), QStringLiteral("2033-12-01"));
}

void TestSchedule::noDateNoRows_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("term");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("rowsWritten");
    QTest::newRow("no start year") << 0 << 3 << 360 << QStringLiteral("Invalid argument to date encode") << 0;
    QTest::newRow("month 13") << 2005 << 13 << 360 << QStringLiteral("Invalid argument to date encode") << 0;
    QTest::newRow("past the year 9999") << 9999 << 11 << 360 << QStringLiteral("Invalid argument to date encode") << 2;
    QTest::newRow("term 0") << 2005 << 3 << 0 << QStringLiteral("") << 0;
    QTest::newRow("negative term") << 2005 << 3 << -5 << QStringLiteral("") << 0;
}

void TestSchedule::noDateNoRows()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, term);
    QFETCH(QString, error);
    QFETCH(int, rowsWritten);
    ScheduleInputs inputs = workedExample();
    inputs.startYear = year;
    inputs.startMonth = month;
    inputs.termInMonth = term;
    CollectingRows writer;
    QString message;
    try {
        QCOMPARE(GenerateSchedule(inputs, writer), 0);
    } catch (const Error &failure) {
        message = QString::fromUtf8(failure.what());
    }
    QCOMPARE(message, error);
    QCOMPARE(int(writer.rows.size()), rowsWritten);
}

QTEST_GUILESS_MAIN(TestSchedule)
#include "test_schedule.moc"
