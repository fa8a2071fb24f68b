// The payment formulas and the eight results of a calculation, with the
// rounding rules and the faults of zero inputs.

#include "Errors.h"
#include "LoanMath.h"

#include <QTest>

#include <functional>

using namespace calvora;

namespace {

// Records what a calculation delivers, in order.
class RecordingWriter : public PaymentResultWriter
{
public:
    void writeMoney(const char *column, Currency value) override
    {
        written << QStringLiteral("%1=%2").arg(QLatin1String(column)).arg(value.raw());
    }
    void writeInteger(const char *column, std::int32_t value) override
    {
        written << QStringLiteral("%1=%2").arg(QLatin1String(column)).arg(value);
    }
    QStringList written;
};

Currency amount(qint64 raw) { return Currency::fromRaw(raw); }

QString sixteenDigits(double value) { return QString::number(value, 'g', 16); }

} // namespace

class TestLoanMath : public QObject
{
    Q_OBJECT

private slots:
    void workedExample();
    void rateIsNarrowedToSinglePrecision();
    void resultsAddUp_data();
    void resultsAddUp();
    void ceiling_data();
    void ceiling();
    void zeroInputsFault_data();
    void zeroInputsFault();
};

void TestLoanMath::workedExample()
{
    // 100,000.00 at 6 % over 360 months.
    const Currency loan = amount(1000000000);
    QCOMPARE(sixteenDigits(CalcMonthlyPayment(360, 6.0f, loan)), QStringLiteral("599.5505251527524"));
    QCOMPARE(sixteenDigits(CalcBiweeklyPeriods(6.0f, loan, 299.7752)), QStringLiteral("637.2314056746856"));

    RecordingWriter writer;
    CalculatePayments({loan, 6.0, 360}, writer);
    QCOMPARE(writer.written, (QStringList{
                                 QStringLiteral("MonthlyPayment=5995505"),
                                 QStringLiteral("TotalPayment=2158381800"),
                                 QStringLiteral("TotalInterest=1158381800"),
                                 QStringLiteral("BiweeklyPayment=2997752"), // 299.77525 is a tie: to even
                                 QStringLiteral("BiweeklyTerm=295"),        // 294.1068… months rounded up
                                 QStringLiteral("BiweeklyTotal=1910261721"),
                                 QStringLiteral("BiweeklyTotalInterest=910261721"),
                                 QStringLiteral("BiweeklyInterestSaved=248120079"),
                             }));
}

void TestLoanMath::rateIsNarrowedToSinglePrecision()
{
    // 5.99 as a single is 5.9899997711181640625; with the double rate the
    // payment would round to 598.9078.
    const PaymentResults results = CalculatePayments({amount(1000000000), 5.99, 360});
    QCOMPARE(results.monthlyPayment.raw(), 5989077);
    QCOMPARE(results.biweeklyPayment.raw(), 2994538); // 299.45385 is a tie: to even
    QCOMPARE(results.biweeklyTerm, 295);
    QVERIFY(qAbs(CalcBiweeklyPeriods(5.99f, amount(1000000000), 299.4538) - 637.4299120) < 1e-6);
    QCOMPARE(Currency::fromAmount(CalcMonthlyPayment(360, 5.99f, amount(1000000000))).raw(), 5989077);
}

void TestLoanMath::resultsAddUp_data()
{
    QTest::addColumn<qint64>("loanRaw");
    QTest::addColumn<double>("rate");
    QTest::addColumn<int>("term");
    QTest::newRow("worked example") << qint64(1000000000) << 6.0 << 360;
    QTest::newRow("5.99 percent") << qint64(1000000000) << 5.99 << 360;
    QTest::newRow("fifteen years") << qint64(2000000000) << 4.375 << 180;
    QTest::newRow("small loan, one year") << qint64(123456789) << 7.25 << 12;
    QTest::newRow("odd cents") << qint64(2500012345) << 3.1 << 300;
    QTest::newRow("negative loan") << qint64(-500000000) << 6.0 << 360;
}

void TestLoanMath::resultsAddUp()
{
    QFETCH(qint64, loanRaw);
    QFETCH(double, rate);
    QFETCH(int, term);
    const PaymentResults r = CalculatePayments({amount(loanRaw), rate, term});
    QCOMPARE(r.totalPayment.raw(), r.monthlyPayment.raw() * term);
    QCOMPARE(r.totalInterest.raw(), r.totalPayment.raw() - loanRaw);
    // Halving: exact for an even raw payment, to the even neighbour for an odd one.
    const qint64 twice = r.biweeklyPayment.raw() * 2;
    if (r.monthlyPayment.raw() % 2 == 0) {
        QCOMPARE(twice, r.monthlyPayment.raw());
    } else {
        QCOMPARE(qAbs(twice - r.monthlyPayment.raw()), 1);
        QCOMPARE(r.biweeklyPayment.raw() % 2, 0);
    }
    QCOMPARE(r.biweeklyTotalInterest.raw(), r.biweeklyTotal.raw() - loanRaw);
    QCOMPARE(r.biweeklyInterestSaved.raw(), r.totalInterest.raw() - r.biweeklyTotalInterest.raw());
    // Paying every two weeks pays the loan off sooner.
    if (loanRaw > 0) {
        QVERIFY(r.biweeklyTerm <= term);
        QVERIFY(r.biweeklyInterestSaved.raw() > 0);
    }
}

void TestLoanMath::ceiling_data()
{
    QTest::addColumn<double>("months");
    QTest::addColumn<int>("expected");
    QTest::newRow("fraction rounds up") << 294.1068 << 295;
    QTest::newRow("whole number stays") << 295.0 << 295;
    QTest::newRow("tiny fraction rounds up") << 12.000001 << 13;
    QTest::newRow("negative fraction is cut off") << -3.5 << -3;
}

void TestLoanMath::ceiling()
{
    QFETCH(double, months);
    QFETCH(int, expected);
    QCOMPARE(CeilingToInt32(months), expected);
}

void TestLoanMath::zeroInputsFault_data()
{
    QTest::addColumn<qint64>("loanRaw");
    QTest::addColumn<double>("rate");
    QTest::addColumn<int>("term");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("writtenBefore");
    QTest::newRow("term 0") << qint64(1000000000) << 6.0 << 0 << QStringLiteral("Floating point division by zero")
                            << QStringList{};
    QTest::newRow("rate 0") << qint64(1000000000) << 0.0 << 360 << QStringLiteral("Invalid floating point operation")
                            << QStringList{};
    QTest::newRow("loan 0") << qint64(0) << 6.0 << 360 << QStringLiteral("Invalid floating point operation")
                            << QStringList{QStringLiteral("MonthlyPayment=0"), QStringLiteral("TotalPayment=0"),
                                           QStringLiteral("TotalInterest=0"), QStringLiteral("BiweeklyPayment=0")};
}

void TestLoanMath::zeroInputsFault()
{
    QFETCH(qint64, loanRaw);
    QFETCH(double, rate);
    QFETCH(int, term);
    QFETCH(QString, message);
    QFETCH(QStringList, writtenBefore);
    RecordingWriter writer;
    QString raised;
    try {
        CalculatePayments({amount(loanRaw), rate, term}, writer);
    } catch (const FloatError &e) {
        raised = QString::fromUtf8(e.what());
    }
    QCOMPARE(raised, message);
    QCOMPARE(writer.written, writtenBefore);
}

QTEST_APPLESS_MAIN(TestLoanMath)
#include "test_loanmath.moc"
