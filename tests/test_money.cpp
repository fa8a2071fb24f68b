// Money and extended arithmetic: exact sums with their range checks, rounding
// of products, quotients and amounts to whole ten-thousandths, and the three
// floating faults raised where they arise.

#include "Currency.h"
#include "Errors.h"
#include "Extended.h"

#include <QTest>

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>

using namespace calvora;

Q_DECLARE_METATYPE(long double)

namespace {

constexpr qint64 RawMax = std::numeric_limits<qint64>::max();
constexpr qint64 RawMin = std::numeric_limits<qint64>::min();
constexpr long double Inf = std::numeric_limits<long double>::infinity();
constexpr long double NaN = std::numeric_limits<long double>::quiet_NaN();

// The fault an action raises, or -1 when it passes.
int faultOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const FloatError &error) {
        return static_cast<int>(error.fault());
    }
    return -1;
}

constexpr int NoFault = -1;
constexpr int Invalid = static_cast<int>(FloatFault::InvalidOperation);
constexpr int ZeroDivide = static_cast<int>(FloatFault::DivisionByZero);
constexpr int Overflow = static_cast<int>(FloatFault::Overflow);

} // namespace

class TestMoney : public QObject
{
    Q_OBJECT

private slots:
    void faultMessages_data();
    void faultMessages();
    void extendedFaults_data();
    void extendedFaults();
    void staleFlagsDoNotFault();
    void narrowing_data();
    void narrowing();
    void roundEven_data();
    void roundEven();
    void sumsAndDifferences_data();
    void sumsAndDifferences();
    void fromRawRounded_data();
    void fromRawRounded();
    void fromAmount_data();
    void fromAmount();
    void productsAndQuotients_data();
    void productsAndQuotients();
    void toExtended();
};

void TestMoney::faultMessages_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("invalid operation") << Invalid << QStringLiteral("Invalid floating point operation");
    QTest::newRow("division by zero") << ZeroDivide << QStringLiteral("Floating point division by zero");
    QTest::newRow("overflow") << Overflow << QStringLiteral("Floating point overflow");
}

void TestMoney::faultMessages()
{
    QFETCH(int, fault);
    QFETCH(QString, message);
    const FloatError error(static_cast<FloatFault>(fault));
    QCOMPARE(QString::fromUtf8(error.what()), message);
    // The application's handler sees it as any other failure.
    const Error &general = error;
    QCOMPARE(QString::fromUtf8(general.what()), message);
}

void TestMoney::extendedFaults_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<long double>("a");
    QTest::addColumn<long double>("b");
    QTest::addColumn<int>("fault");
    QTest::addColumn<long double>("expected"); // when no fault

    QTest::newRow("1 / 0") << QStringLiteral("div") << 1.0L << 0.0L << ZeroDivide << 0.0L;
    QTest::newRow("-1 / 0") << QStringLiteral("div") << -1.0L << 0.0L << ZeroDivide << 0.0L;
    QTest::newRow("0 / 0") << QStringLiteral("div") << 0.0L << 0.0L << Invalid << 0.0L;
    QTest::newRow("inf - inf") << QStringLiteral("sub") << Inf << Inf << Invalid << 0.0L;
    QTest::newRow("inf + -inf") << QStringLiteral("add") << Inf << -Inf << Invalid << 0.0L;
    QTest::newRow("0 * inf") << QStringLiteral("mul") << 0.0L << Inf << Invalid << 0.0L;
    QTest::newRow("NaN operand of add") << QStringLiteral("add") << NaN << 1.0L << Invalid << 0.0L;
    QTest::newRow("NaN operand of mul") << QStringLiteral("mul") << 2.0L << NaN << Invalid << 0.0L;
    QTest::newRow("NaN dividend") << QStringLiteral("div") << NaN << 1.0L << Invalid << 0.0L;
    QTest::newRow("max * 2") << QStringLiteral("mul") << LDBL_MAX << 2.0L << Overflow << 0.0L;
    QTest::newRow("max + max") << QStringLiteral("add") << LDBL_MAX << LDBL_MAX << Overflow << 0.0L;
    QTest::newRow("-max - max") << QStringLiteral("sub") << -LDBL_MAX << LDBL_MAX << Overflow << 0.0L;
    QTest::newRow("max / 0.5") << QStringLiteral("div") << LDBL_MAX << 0.5L << Overflow << 0.0L;
    // A double's range is no limit here: 2^1000 squared fits the extended range.
    QTest::newRow("2^1000 * 2^1000 fits") << QStringLiteral("mul") << std::ldexp(1.0L, 1000)
                                          << std::ldexp(1.0L, 1000) << NoFault << std::ldexp(1.0L, 2000);
    QTest::newRow("underflow to zero passes")
        << QStringLiteral("mul") << LDBL_MIN << LDBL_MIN << NoFault << 0.0L;
    QTest::newRow("denormal result passes")
        << QStringLiteral("div") << LDBL_MIN << 4.0L << NoFault << LDBL_MIN / 4;
    QTest::newRow("denormal operand passes")
        << QStringLiteral("add") << LDBL_TRUE_MIN << 1.0L << NoFault << 1.0L;
    // 1/3 is inexact; inexact results pass.
    QTest::newRow("inexact passes") << QStringLiteral("div") << 1.0L << 3.0L << NoFault << 1.0L / 3;
    // An infinite operand alone is no fault.
    QTest::newRow("inf + 1 passes") << QStringLiteral("add") << Inf << 1.0L << NoFault << Inf;
    QTest::newRow("log2 of 0") << QStringLiteral("log2") << 0.0L << 0.0L << ZeroDivide << 0.0L;
    QTest::newRow("log2 of -0") << QStringLiteral("log2") << -0.0L << 0.0L << ZeroDivide << 0.0L;
    QTest::newRow("log2 of -1") << QStringLiteral("log2") << -1.0L << 0.0L << Invalid << 0.0L;
    QTest::newRow("log2 of NaN") << QStringLiteral("log2") << NaN << 0.0L << Invalid << 0.0L;
    QTest::newRow("log2 of 8") << QStringLiteral("log2") << 8.0L << 0.0L << NoFault << 3.0L;
    QTest::newRow("log2 of 1/1024") << QStringLiteral("log2") << 1.0L / 1024 << 0.0L << NoFault << -10.0L;
}

void TestMoney::extendedFaults()
{
    QFETCH(QString, operation);
    QFETCH(long double, a);
    QFETCH(long double, b);
    QFETCH(int, fault);
    QFETCH(long double, expected);

    long double result = 0;
    const int raised = faultOf([&] {
        if (operation == QLatin1String("add"))
            result = ext::add(a, b);
        else if (operation == QLatin1String("sub"))
            result = ext::sub(a, b);
        else if (operation == QLatin1String("mul"))
            result = ext::mul(a, b);
        else if (operation == QLatin1String("div"))
            result = ext::div(a, b);
        else
            result = ext::log2(a);
    });
    QCOMPARE(raised, fault);
    if (fault == NoFault)
        QVERIFY(result == expected);
}

void TestMoney::staleFlagsDoNotFault()
{
    // A flag left over from earlier work belongs to that work, not to the
    // next operation.
    std::feraiseexcept(FE_OVERFLOW | FE_DIVBYZERO | FE_INVALID);
    QVERIFY(ext::add(1.0L, 1.0L) == 2.0L);
    std::feraiseexcept(FE_OVERFLOW);
    QVERIFY(ext::toDouble(0.5L) == 0.5);
    // And a fault leaves nothing behind for the next operation.
    QCOMPARE(faultOf([] { ext::div(1.0L, 0.0L); }), ZeroDivide);
    QVERIFY(ext::mul(3.0L, 4.0L) == 12.0L);
}

void TestMoney::narrowing_data()
{
    QTest::addColumn<bool>("toSingle");
    QTest::addColumn<long double>("value");
    QTest::addColumn<int>("fault");
    QTest::addColumn<long double>("expected");

    // 1 + 2^-53 lies half way between the doubles 1 and 1 + 2^-52: the even
    // one is 1. 1 + 3*2^-53 lies half way between 1 + 2^-52 and 1 + 2^-51:
    // the even one is 1 + 2^-51.
    QTest::newRow("double tie down to even") << false << 1.0L + std::ldexp(1.0L, -53) << NoFault << 1.0L;
    QTest::newRow("double tie up to even")
        << false << 1.0L + 3 * std::ldexp(1.0L, -53) << NoFault << 1.0L + std::ldexp(1.0L, -51);
    QTest::newRow("double above max") << false << LDBL_MAX << Overflow << 0.0L;
    QTest::newRow("double from NaN") << false << NaN << Invalid << 0.0L;
    QTest::newRow("double underflow passes") << false << 1e-400L << NoFault << 0.0L;
    // Same for singles: 1 + 2^-24 ties to 1, 1 + 3*2^-24 to 1 + 2^-22.
    QTest::newRow("single tie down to even") << true << 1.0L + std::ldexp(1.0L, -24) << NoFault << 1.0L;
    QTest::newRow("single tie up to even")
        << true << 1.0L + 3 * std::ldexp(1.0L, -24) << NoFault << 1.0L + std::ldexp(1.0L, -22);
    QTest::newRow("single above max") << true << 1e39L << Overflow << 0.0L;
    QTest::newRow("single underflow passes") << true << 1e-50L << NoFault << 0.0L;
}

void TestMoney::narrowing()
{
    QFETCH(bool, toSingle);
    QFETCH(long double, value);
    QFETCH(int, fault);
    QFETCH(long double, expected);

    long double result = 0;
    const int raised = faultOf(
        [&] { result = toSingle ? ext::toSingle(static_cast<double>(value)) : ext::toDouble(value); });
    QCOMPARE(raised, fault);
    if (fault == NoFault)
        QVERIFY(result == expected);
}

void TestMoney::roundEven_data()
{
    QTest::addColumn<long double>("value");
    QTest::addColumn<int>("fault");
    QTest::addColumn<long double>("expected");
    QTest::newRow("2.5 to 2") << 2.5L << NoFault << 2.0L;
    QTest::newRow("3.5 to 4") << 3.5L << NoFault << 4.0L;
    QTest::newRow("-2.5 to -2") << -2.5L << NoFault << -2.0L;
    QTest::newRow("-3.5 to -4") << -3.5L << NoFault << -4.0L;
    QTest::newRow("2.4999 to 2") << 2.4999L << NoFault << 2.0L;
    QTest::newRow("-0.6 to -1") << -0.6L << NoFault << -1.0L;
    QTest::newRow("infinity") << Inf << Invalid << 0.0L;
    QTest::newRow("NaN") << NaN << Invalid << 0.0L;
}

void TestMoney::roundEven()
{
    QFETCH(long double, value);
    QFETCH(int, fault);
    QFETCH(long double, expected);
    long double result = 0;
    QCOMPARE(faultOf([&] { result = ext::roundEven(value); }), fault);
    if (fault == NoFault)
        QVERIFY(result == expected);
}

void TestMoney::sumsAndDifferences_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<qint64>("a");
    QTest::addColumn<qint64>("b");
    QTest::addColumn<int>("fault");
    QTest::addColumn<qint64>("expected");

    QTest::newRow("plain sum") << QStringLiteral("+") << qint64(2345000) << qint64(1) << NoFault
                               << qint64(2345001);
    QTest::newRow("sum up to max") << QStringLiteral("+") << RawMax - 5 << qint64(5) << NoFault << RawMax;
    QTest::newRow("sum past max") << QStringLiteral("+") << RawMax << qint64(1) << Overflow << qint64(0);
    QTest::newRow("sum past min") << QStringLiteral("+") << RawMin << qint64(-1) << Overflow << qint64(0);
    QTest::newRow("max + min") << QStringLiteral("+") << RawMax << RawMin << NoFault << qint64(-1);
    QTest::newRow("difference down to min")
        << QStringLiteral("-") << RawMin + 1 << qint64(1) << NoFault << RawMin;
    QTest::newRow("difference past min")
        << QStringLiteral("-") << RawMin << qint64(1) << Overflow << qint64(0);
    QTest::newRow("0 - min") << QStringLiteral("-") << qint64(0) << RawMin << Overflow << qint64(0);
    QTest::newRow("-1 - min") << QStringLiteral("-") << qint64(-1) << RawMin << NoFault << RawMax;
    QTest::newRow("negate max") << QStringLiteral("neg") << RawMax << qint64(0) << NoFault << RawMin + 1;
    QTest::newRow("negate min") << QStringLiteral("neg") << RawMin << qint64(0) << Overflow << qint64(0);
    QTest::newRow("+= past max") << QStringLiteral("+=") << RawMax << qint64(10000) << Overflow << qint64(0);
    QTest::newRow("-= exact") << QStringLiteral("-=") << qint64(10000) << qint64(2500) << NoFault
                              << qint64(7500);
}

void TestMoney::sumsAndDifferences()
{
    QFETCH(QString, operation);
    QFETCH(qint64, a);
    QFETCH(qint64, b);
    QFETCH(int, fault);
    QFETCH(qint64, expected);

    const Currency x = Currency::fromRaw(a);
    const Currency y = Currency::fromRaw(b);
    Currency result;
    const int raised = faultOf([&] {
        if (operation == QLatin1String("+")) {
            result = x + y;
        } else if (operation == QLatin1String("-")) {
            result = x - y;
        } else if (operation == QLatin1String("neg")) {
            result = -x;
        } else if (operation == QLatin1String("+=")) {
            result = x;
            result += y;
        } else {
            result = x;
            result -= y;
        }
    });
    QCOMPARE(raised, fault);
    if (fault == NoFault)
        QCOMPARE(result.raw(), expected);
}

void TestMoney::fromRawRounded_data()
{
    QTest::addColumn<long double>("raw");
    QTest::addColumn<int>("fault");
    QTest::addColumn<qint64>("expected");

    QTest::newRow("0.5 to 0") << 0.5L << NoFault << qint64(0);
    QTest::newRow("1.5 to 2") << 1.5L << NoFault << qint64(2);
    QTest::newRow("2.5 to 2") << 2.5L << NoFault << qint64(2);
    QTest::newRow("-0.5 to 0") << -0.5L << NoFault << qint64(0);
    QTest::newRow("-1.5 to -2") << -1.5L << NoFault << qint64(-2);
    QTest::newRow("-2.5 to -2") << -2.5L << NoFault << qint64(-2);
    QTest::newRow("just above a half") << 2.5L + 1.0L / 1024 << NoFault << qint64(3);
    QTest::newRow("just below a half") << 3.5L - 1.0L / 1024 << NoFault << qint64(3);
    // 2^63 - 1 and -2^63 are exact in the 64-bit significand.
    QTest::newRow("max exactly") << static_cast<long double>(RawMax) << NoFault << RawMax;
    QTest::newRow("min exactly") << static_cast<long double>(RawMin) << NoFault << RawMin;
    QTest::newRow("2^63") << std::ldexp(1.0L, 63) << Overflow << qint64(0);
    // max + 0.5 is a tie between 2^63 - 1 (odd) and 2^63 (even): out of range.
    QTest::newRow("max + 0.5 rounds out") << static_cast<long double>(RawMax) + 0.5L << Overflow << qint64(0);
    // min - 0.5 is a tie between -2^63 (even) and -2^63 - 1: stays in range.
    QTest::newRow("min - 0.5 rounds in") << static_cast<long double>(RawMin) - 0.5L << NoFault << RawMin;
    QTest::newRow("min - 1") << static_cast<long double>(RawMin) - 1.0L << Overflow << qint64(0);
    QTest::newRow("infinity") << Inf << Overflow << qint64(0);
    QTest::newRow("NaN") << NaN << Invalid << qint64(0);
}

void TestMoney::fromRawRounded()
{
    QFETCH(long double, raw);
    QFETCH(int, fault);
    QFETCH(qint64, expected);
    Currency result;
    QCOMPARE(faultOf([&] { result = Currency::fromRawRounded(raw); }), fault);
    if (fault == NoFault)
        QCOMPARE(result.raw(), expected);
}

void TestMoney::fromAmount_data()
{
    QTest::addColumn<long double>("amount");
    QTest::addColumn<int>("fault");
    QTest::addColumn<qint64>("expected");

    // Each decimal below is within 2^-64 (relative) of its extended value;
    // times 10000 the product rounds to exactly the half it stands for (checked
    // with exact rational arithmetic), so these are true ties.
    QTest::newRow("234.5 exact") << 234.5L << NoFault << qint64(2345000);
    QTest::newRow("234.56785 tie to even down") << 234.56785L << NoFault << qint64(2345678);
    QTest::newRow("234.56775 tie to even up") << 234.56775L << NoFault << qint64(2345678);
    QTest::newRow("0.00005 tie to zero") << 0.00005L << NoFault << qint64(0);
    QTest::newRow("0.00015 tie up") << 0.00015L << NoFault << qint64(2);
    QTest::newRow("-0.00025 tie to even") << -0.00025L << NoFault << qint64(-2);
    QTest::newRow("-0.00035 tie to even") << -0.00035L << NoFault << qint64(-4);
    QTest::newRow("-1.00005 tie to even") << -1.00005L << NoFault << qint64(-10000);
    QTest::newRow("beyond the range") << 1e15L << Overflow << qint64(0);
    QTest::newRow("overflow of the product") << LDBL_MAX << Overflow << qint64(0);
    QTest::newRow("NaN") << NaN << Invalid << qint64(0);
}

void TestMoney::fromAmount()
{
    QFETCH(long double, amount);
    QFETCH(int, fault);
    QFETCH(qint64, expected);
    Currency result;
    QCOMPARE(faultOf([&] { result = Currency::fromAmount(amount); }), fault);
    if (fault == NoFault)
        QCOMPARE(result.raw(), expected);
}

void TestMoney::productsAndQuotients_data()
{
    QTest::addColumn<qint64>("raw");
    QTest::addColumn<bool>("divide");
    QTest::addColumn<long double>("operand");
    QTest::addColumn<int>("fault");
    QTest::addColumn<qint64>("expected");

    QTest::newRow("3 * 0.5 ties up to 2") << qint64(3) << false << 0.5L << NoFault << qint64(2);
    QTest::newRow("5 * 0.5 ties down to 2") << qint64(5) << false << 0.5L << NoFault << qint64(2);
    QTest::newRow("-5 * 0.5 ties to -2") << qint64(-5) << false << 0.5L << NoFault << qint64(-2);
    QTest::newRow("-7 * 0.5 ties to -4") << qint64(-7) << false << 0.5L << NoFault << qint64(-4);
    // 100000.00 at 6.5% a year, one month: 1000000000 * 0.065 / 12 =
    // 5416666.67 -> 5416667 (541.6667).
    QTest::newRow("monthly interest")
        << qint64(1000000000) << false << ext::div(0.065L, 12.0L) << NoFault << qint64(5416667);
    QTest::newRow("product out of range") << RawMax << false << 2.0L << Overflow << qint64(0);
    QTest::newRow("product NaN factor") << qint64(1) << false << NaN << Invalid << qint64(0);
    QTest::newRow("5 / 2 ties to 2") << qint64(5) << true << 2.0L << NoFault << qint64(2);
    QTest::newRow("7 / 2 ties to 4") << qint64(7) << true << 2.0L << NoFault << qint64(4);
    QTest::newRow("-7 / 2 ties to -4") << qint64(-7) << true << 2.0L << NoFault << qint64(-4);
    QTest::newRow("10 / 3 down") << qint64(10) << true << 3.0L << NoFault << qint64(3);
    QTest::newRow("20 / 3 up") << qint64(20) << true << 3.0L << NoFault << qint64(7);
    QTest::newRow("min / -1 out of range") << RawMin << true << -1.0L << Overflow << qint64(0);
    QTest::newRow("x / 0") << qint64(10000) << true << 0.0L << ZeroDivide << qint64(0);
    QTest::newRow("0 / 0") << qint64(0) << true << 0.0L << Invalid << qint64(0);
}

void TestMoney::productsAndQuotients()
{
    QFETCH(qint64, raw);
    QFETCH(bool, divide);
    QFETCH(long double, operand);
    QFETCH(int, fault);
    QFETCH(qint64, expected);
    const Currency value = Currency::fromRaw(raw);
    Currency result;
    QCOMPARE(faultOf([&] { result = divide ? value.dividedBy(operand) : value.multipliedBy(operand); }),
             fault);
    if (fault == NoFault)
        QCOMPARE(result.raw(), expected);
}

void TestMoney::toExtended()
{
    // 2345000 ten-thousandths are 234.5, exact in binary.
    QVERIFY(Currency::fromRaw(2345000).toExtended() == 234.5L);
    QVERIFY(Currency::fromRaw(-2500).toExtended() == -0.25L);
    // raw / 10000 is rounded once in extended: the same as the extended
    // decimal literal.
    QVERIFY(Currency::fromRaw(1).toExtended() == 0.0001L);
    QVERIFY(Currency::fromRaw(RawMin).toExtended() == -922337203685477.5808L);
}

QTEST_APPLESS_MAIN(TestMoney)
#include "test_money.moc"
