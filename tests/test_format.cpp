// Texts of money, numbers and dates in given regional settings, statement
// texts, and the reading of numbers a person types.

#include "Errors.h"
#include "Format.h"
#include "RegionalSettings.h"

#include <QTest>

#include <cfloat>
#include <clocale>
#include <cstdint>
#include <limits>

using namespace calvora;

Q_DECLARE_METATYPE(long double)
Q_DECLARE_METATYPE(calvora::RegionalSettings)
Q_DECLARE_METATYPE(calvora::ParseResult)

namespace {

constexpr qint64 RawMax = std::numeric_limits<qint64>::max();
constexpr qint64 RawMin = std::numeric_limits<qint64>::min();

RegionalSettings us()
{
    return RegionalSettings::usEnglish();
}

RegionalSettings withNegativeFormat(int code)
{
    RegionalSettings s = us();
    s.negativeCurrencyFormat = code;
    return s;
}

RegionalSettings withPositiveFormat(int code)
{
    RegionalSettings s = us();
    s.positiveCurrencyFormat = code;
    return s;
}

RegionalSettings withDecimals(int decimals)
{
    RegionalSettings s = us();
    s.currencyDecimals = decimals;
    return s;
}

// "1.234,50 €" and "-1.234,50 €".
RegionalSettings euro()
{
    RegionalSettings s = us();
    s.currencySymbol = "\u20ac";
    s.positiveCurrencyFormat = 3;
    s.negativeCurrencyFormat = 8;
    s.decimalSeparator.assign(1, ',');
    s.thousandSeparator.assign(1, '.');
    return s;
}

// Groups set off by a no-break space, a separator of two bytes in UTF-8.
RegionalSettings noBreakSpaceGroups()
{
    RegionalSettings s = euro();
    s.thousandSeparator = "\u00a0";
    return s;
}

QString text(const std::string &s)
{
    return QString::fromStdString(s);
}

} // namespace

class TestFormat : public QObject
{
    Q_OBJECT

private slots:
    void formatMoney_data();
    void formatMoney();
    void formatFixed_data();
    void formatFixed();
    void formatFloat_data();
    void formatFloat();
    void formatFloatOfMoney_data();
    void formatFloatOfMoney();
    void formatDate_data();
    void formatDate();
    void formatStatement_data();
    void formatStatement();
    void formatStatementRejects_data();
    void formatStatementRejects();
    void quotedText_data();
    void quotedText();
    void parseCurrency_data();
    void parseCurrency();
    void parseDouble_data();
    void parseDouble();
    void parseInteger_data();
    void parseInteger();
    void numberCharacters_data();
    void numberCharacters();
    void cLocaleGivesUsEnglish();
};

void TestFormat::formatMoney_data()
{
    QTest::addColumn<RegionalSettings>("settings");
    QTest::addColumn<qint64>("raw");
    QTest::addColumn<QString>("expected");

    // Two decimals from four: the last two digits decide, 50 exactly is a tie.
    QTest::newRow("234.565 ties down to even") << us() << qint64(2345650) << QStringLiteral("$234.56");
    QTest::newRow("234.575 ties up to even") << us() << qint64(2345750) << QStringLiteral("$234.58");
    QTest::newRow("234.5651 rounds up") << us() << qint64(2345651) << QStringLiteral("$234.57");
    QTest::newRow("-234.565 ties to even") << us() << qint64(-2345650) << QStringLiteral("($234.56)");
    QTest::newRow("zero") << us() << qint64(0) << QStringLiteral("$0.00");
    QTest::newRow("-0.005 rounds to zero, no sign") << us() << qint64(-50) << QStringLiteral("$0.00");
    QTest::newRow("-0.0051 stays negative") << us() << qint64(-51) << QStringLiteral("($0.01)");
    QTest::newRow("three digits, no group") << us() << qint64(9999900) << QStringLiteral("$999.99");
    QTest::newRow("four digits, one group") << us() << qint64(10000000) << QStringLiteral("$1,000.00");
    QTest::newRow("rounding carries into a group") << us() << qint64(9999999) << QStringLiteral("$1,000.00");
    QTest::newRow("millions") << us() << qint64(12345678900) << QStringLiteral("$1,234,567.89");

    // -1234.5 in every negative placement, built from the pattern of each code.
    const qint64 negative = -12345000;
    const char *placements[16] = {"($1,234.50)", "-$1,234.50",  "$-1,234.50",   "$1,234.50-",
                                  "(1,234.50$)", "-1,234.50$",  "1,234.50-$",   "1,234.50$-",
                                  "-1,234.50 $", "-$ 1,234.50", "1,234.50 $-",  "$ 1,234.50-",
                                  "$ -1,234.50", "1,234.50- $", "($ 1,234.50)", "(1,234.50 $)"};
    for (int code = 0; code < 16; ++code)
        QTest::addRow("negative code %d", code)
            << withNegativeFormat(code) << negative << QString::fromUtf8(placements[code]);
    const char *positives[4] = {"$1,234.50", "1,234.50$", "$ 1,234.50", "1,234.50 $"};
    for (int code = 0; code < 4; ++code)
        QTest::addRow("positive code %d", code)
            << withPositiveFormat(code) << qint64(12345000) << QString::fromUtf8(positives[code]);
    QTest::newRow("positive code applies to zero")
        << withPositiveFormat(3) << qint64(-1) << QStringLiteral("0.00 $");

    QTest::newRow("euro positive") << euro() << qint64(12345000) << QStringLiteral("1.234,50 \u20ac");
    QTest::newRow("euro negative") << euro() << qint64(-12345000) << QStringLiteral("-1.234,50 \u20ac");
    QTest::newRow("multi-byte group separator")
        << noBreakSpaceGroups() << qint64(12345678900) << QStringLiteral("1\u00a0234\u00a0567,89 \u20ac");

    // Whole amounts: 1234.5 ties to 1234, 1235.5 to 1236; no decimal separator.
    QTest::newRow("0 decimals tie down") << withDecimals(0) << qint64(12345000) << QStringLiteral("$1,234");
    QTest::newRow("0 decimals tie up") << withDecimals(0) << qint64(12355000) << QStringLiteral("$1,236");
    QTest::newRow("0 decimals, -0.5 is zero") << withDecimals(0) << qint64(-5000) << QStringLiteral("$0");
    QTest::newRow("0 decimals, -0.5001") << withDecimals(0) << qint64(-5001) << QStringLiteral("($1)");
    // Three decimals: the last digit decides, 5 is a tie.
    QTest::newRow("3 decimals tie down") << withDecimals(3) << qint64(12345) << QStringLiteral("$1.234");
    QTest::newRow("3 decimals tie up") << withDecimals(3) << qint64(12355) << QStringLiteral("$1.236");
    QTest::newRow("4 decimals exact") << withDecimals(4) << qint64(12345) << QStringLiteral("$1.2345");

    // 2^63 - 1 ten-thousandths are 922,337,203,685,477.5807.
    QTest::newRow("max") << us() << RawMax << QStringLiteral("$922,337,203,685,477.58");
    QTest::newRow("min") << us() << RawMin << QStringLiteral("($922,337,203,685,477.58)");
    QTest::newRow("min, 4 decimals") << withDecimals(4) << RawMin
                                     << QStringLiteral("($922,337,203,685,477.5808)");
    // Rounded to fewer decimals an amount within half a unit of the limits
    // would leave the range: it keeps the decimals it has, so that its text
    // reads back as the amount itself.
    QTest::newRow("max, 0 decimals, keeps its decimals")
        << withDecimals(0) << RawMax << QStringLiteral("$922,337,203,685,477.5807");
    QTest::newRow("min, 0 decimals, code 1, keeps its decimals") << [] {
        RegionalSettings s = withDecimals(0);
        s.negativeCurrencyFormat = 1;
        return s;
    }() << RawMin << QStringLiteral("-$922,337,203,685,477.5808");
    QTest::newRow("0 decimals, highest amount rounding within range")
        << withDecimals(0) << qint64(9223372036854774999) << QStringLiteral("$922,337,203,685,477");
    QTest::newRow("0 decimals, tie rounding beyond range, only its own decimal")
        << withDecimals(0) << qint64(9223372036854775000) << QStringLiteral("$922,337,203,685,477.5");
    QTest::newRow("3 decimals, tie near max stays even")
        << withDecimals(3) << RawMax - 2 << QStringLiteral("$922,337,203,685,477.580");
    QTest::newRow("3 decimals, max keeps its decimals")
        << withDecimals(3) << RawMax << QStringLiteral("$922,337,203,685,477.5807");
}

void TestFormat::formatMoney()
{
    QFETCH(RegionalSettings, settings);
    QFETCH(qint64, raw);
    QFETCH(QString, expected);
    QCOMPARE(text(calvora::formatMoney(Currency::fromRaw(raw), settings)), expected);
}

void TestFormat::formatFixed_data()
{
    QTest::addColumn<RegionalSettings>("settings");
    QTest::addColumn<qint64>("raw");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("expected");

    QTest::newRow("234.50") << us() << qint64(2345000) << 2 << QStringLiteral("234.50");
    QTest::newRow("negative") << us() << qint64(-2345000) << 2 << QStringLiteral("-234.50");
    QTest::newRow("no grouping") << us() << qint64(12345678900) << 2 << QStringLiteral("1234567.89");
    QTest::newRow("tie down to even") << us() << qint64(2345650) << 2 << QStringLiteral("234.56");
    QTest::newRow("negative tie up to even") << us() << qint64(-2345750) << 2 << QStringLiteral("-234.58");
    QTest::newRow("negative rounding to zero") << us() << qint64(-49) << 2 << QStringLiteral("0.00");
    QTest::newRow("0 decimals") << us() << qint64(25000) << 0 << QStringLiteral("2");
    QTest::newRow("4 decimals") << us() << qint64(-1) << 4 << QStringLiteral("-0.0001");
    QTest::newRow("6 decimals pad") << us() << qint64(12345) << 6 << QStringLiteral("1.234500");
    QTest::newRow("comma separator") << euro() << qint64(12345000) << 2 << QStringLiteral("1234,50");
    QTest::newRow("min") << us() << RawMin << 4 << QStringLiteral("-922337203685477.5808");
    QTest::newRow("0 decimals, max keeps its decimals")
        << us() << RawMax << 0 << QStringLiteral("922337203685477.5807");
}

void TestFormat::formatFixed()
{
    QFETCH(RegionalSettings, settings);
    QFETCH(qint64, raw);
    QFETCH(int, decimals);
    QFETCH(QString, expected);
    QCOMPARE(text(calvora::formatFixed(Currency::fromRaw(raw), decimals, settings)), expected);
}

void TestFormat::formatFloat_data()
{
    QTest::addColumn<RegionalSettings>("settings");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<long double>("value");
    QTest::addColumn<QString>("expected");

    const QString grouped = QStringLiteral(",0;(,0)");
    QTest::newRow("sections, positive") << us() << grouped << 1234.0L << QStringLiteral("1,234");
    QTest::newRow("sections, negative") << us() << grouped << -1234.0L << QStringLiteral("(1,234)");
    QTest::newRow("sections, zero") << us() << grouped << 0.0L << QStringLiteral("0");
    QTest::newRow("negative rounding to zero") << us() << grouped << -0.4L << QStringLiteral("0");
    QTest::newRow("negative section rounds") << us() << grouped << -1234.5L << QStringLiteral("(1,234)");
    const QString withZero = QStringLiteral(",0;(,0);'nothing'");
    QTest::newRow("zero section") << us() << withZero << 0.0L << QStringLiteral("nothing");
    QTest::newRow("zero section after rounding") << us() << withZero << 0.4L << QStringLiteral("nothing");
    QTest::newRow("zero section, negative") << us() << withZero << -0.4L << QStringLiteral("nothing");
    QTest::newRow("empty negative section signs")
        << us() << QStringLiteral("0.0;;z") << -2.0L << QStringLiteral("-2.0");

    QTest::newRow("summary P&I") << us() << QStringLiteral("P&I = $,0.00") << 1234.5L
                                 << QStringLiteral("P&I = $1,234.50");
    QTest::newRow("summary sum") << us() << QStringLiteral("P&I = $,0.00") << 215838.18L
                                 << QStringLiteral("P&I = $215,838.18");
    QTest::newRow("year summary") << us() << QStringLiteral("Payment this year (P&I) = $,0.00") << 12345.678L
                                  << QStringLiteral("Payment this year (P&I) = $12,345.68");
    QTest::newRow("single section negative")
        << us() << QStringLiteral("$,0.00") << -1234.5L << QStringLiteral("-$1,234.50");
    QTest::newRow("single section, tiny negative")
        << us() << QStringLiteral("$,0.00") << -0.001L << QStringLiteral("$0.00");
    // 0.125 and 0.375 are exact in binary: true ties.
    QTest::newRow("0.125 ties to 0.12") << us() << QStringLiteral("0.00") << 0.125L << QStringLiteral("0.12");
    QTest::newRow("0.375 ties to 0.38") << us() << QStringLiteral("0.00") << 0.375L << QStringLiteral("0.38");
    QTest::newRow("2.5 ties to 2") << us() << QStringLiteral("0") << 2.5L << QStringLiteral("2");
    QTest::newRow("3.5 ties to 4") << us() << QStringLiteral("0") << 3.5L << QStringLiteral("4");
    QTest::newRow("-2.5 ties to -2") << us() << QStringLiteral("0") << -2.5L << QStringLiteral("-2");
    QTest::newRow("#,##0.00") << us() << QStringLiteral("#,##0.00") << 1234567.5L
                              << QStringLiteral("1,234,567.50");
    QTest::newRow("#,##0.00 small") << us() << QStringLiteral("#,##0.00") << 0.5L << QStringLiteral("0.50");
    QTest::newRow("# of zero is empty") << us() << QStringLiteral("#") << 0.0L << QString();
    QTest::newRow("optional decimals shown")
        << us() << QStringLiteral("0.##") << 1.5L << QStringLiteral("1.5");
    QTest::newRow("optional decimals dropped")
        << us() << QStringLiteral("0.##") << 1.0L << QStringLiteral("1");
    QTest::newRow("leading zeros") << us() << QStringLiteral("000") << 7.0L << QStringLiteral("007");
    QTest::newRow("more digits than places")
        << us() << QStringLiteral("0") << 123456.0L << QStringLiteral("123456");
    QTest::newRow("no whole places") << us() << QStringLiteral(".00") << 1.5L << QStringLiteral("1.50");
    // 2.25 is exact in binary; one decimal ties to even.
    QTest::newRow("quoted text") << us() << QStringLiteral("'Total: '0.0") << 2.25L
                                 << QStringLiteral("Total: 2.2");
    QTest::newRow("double-quoted pattern characters")
        << us() << QStringLiteral("\"#,0\" 0") << 5.0L << QStringLiteral("#,0 5");
    QTest::newRow("large number") << us() << QStringLiteral(",0") << 1e15L
                                  << QStringLiteral("1,000,000,000,000,000");
    QTest::newRow("euro separators") << euro() << QStringLiteral(",0.00") << 1234.5L
                                     << QStringLiteral("1.234,50");
    QTest::newRow("euro literal dollar kept")
        << euro() << QStringLiteral("$,0.00") << 1234567.25L << QStringLiteral("$1.234.567,25");
}

void TestFormat::formatFloat()
{
    QFETCH(RegionalSettings, settings);
    QFETCH(QString, pattern);
    QFETCH(long double, value);
    QFETCH(QString, expected);
    QCOMPARE(text(calvora::formatFloat(pattern.toStdString(), value, settings)), expected);
}

void TestFormat::formatFloatOfMoney_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<qint64>("raw");
    QTest::addColumn<QString>("expected");

    // A decimal tie has no exact binary value; money rounds it to even, as
    // the money format does, whichever side its nearest binary value lies.
    const QString principal = QStringLiteral("Principal = $,0.00");
    QTest::newRow("1,384.165 ties down") << principal << qint64(13841650) << QStringLiteral("Principal = $1,384.16");
    QTest::newRow("1,384.175 ties up") << principal << qint64(13841750) << QStringLiteral("Principal = $1,384.18");
    QTest::newRow("above the tie") << principal << qint64(13841651) << QStringLiteral("Principal = $1,384.17");
    QTest::newRow("negative, single section") << principal << qint64(-13841650) << QStringLiteral("-Principal = $1,384.16");
    QTest::newRow("negative section") << QStringLiteral(",0.0000;(,0.0000)") << qint64(-1) << QStringLiteral("(0.0001)");
    QTest::newRow("rounds to zero") << QStringLiteral(",0.00") << qint64(-49) << QStringLiteral("0.00");
    QTest::newRow("four decimals") << QStringLiteral(",0.0000") << qint64(999999769) << QStringLiteral("99,999.9769");
    QTest::newRow("six decimals") << QStringLiteral("0.000000") << qint64(5) << QStringLiteral("0.000500");
    QTest::newRow("whole, tie to even") << QStringLiteral("0") << qint64(25000) << QStringLiteral("2");
    QTest::newRow("most negative") << QStringLiteral(",0.0000") << std::numeric_limits<qint64>::min()
                                   << QStringLiteral("-922,337,203,685,477.5808");
    QTest::newRow("largest") << QStringLiteral(",0.00") << std::numeric_limits<qint64>::max()
                             << QStringLiteral("922,337,203,685,477.58");
}

void TestFormat::formatFloatOfMoney()
{
    QFETCH(QString, pattern);
    QFETCH(qint64, raw);
    QFETCH(QString, expected);
    QCOMPARE(text(calvora::formatFloat(pattern.toStdString(), Currency::fromRaw(raw), us())), expected);
}

void TestFormat::formatDate_data()
{
    QTest::addColumn<RegionalSettings>("settings");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<double>("date");
    QTest::addColumn<QString>("expected");

    RegionalSettings french = us();
    french.shortMonthNames = {"janv.", "f\u00e9vr.", "mars",  "avr.", "mai",  "juin",
                              "juil.", "ao\u00fbt",  "sept.", "oct.", "nov.", "d\u00e9c."};

    QTest::newRow("month text") << us() << QStringLiteral("mmm yyyy") << encodeDate(2025, 1, 15)
                                << QStringLiteral("Jan 2025");
    QTest::newRow("December") << us() << QStringLiteral("mmm yyyy") << encodeDate(2004, 12, 1)
                              << QStringLiteral("Dec 2004");
    QTest::newRow("time of day ignored") << us() << QStringLiteral("mmm yyyy")
                                         << encodeDate(2004, 12, 31) + 0.99 << QStringLiteral("Dec 2004");
    QTest::newRow("locale month names") << french << QStringLiteral("mmm yyyy") << encodeDate(2024, 2, 1)
                                        << QStringLiteral("f\u00e9vr. 2024");
    QTest::newRow("upper case letters")
        << us() << QStringLiteral("MMM YYYY") << encodeDate(2024, 8, 1) << QStringLiteral("Aug 2024");
    QTest::newRow("two digits") << us() << QStringLiteral("dd/mm/yy") << encodeDate(2024, 2, 5)
                                << QStringLiteral("05/02/24");
    QTest::newRow("one digit") << us() << QStringLiteral("d.m.yyyy") << encodeDate(2024, 2, 5)
                               << QStringLiteral("5.2.2024");
    QTest::newRow("two-digit days stay two")
        << us() << QStringLiteral("d-m") << encodeDate(2024, 11, 23) << QStringLiteral("23-11");
    QTest::newRow("quoted letters") << us() << QStringLiteral("'month' mmm, \"day\" d")
                                    << encodeDate(2024, 3, 9) << QStringLiteral("month Mar, day 9");
    QTest::newRow("year below 1000") << us() << QStringLiteral("yyyy yy") << encodeDate(5, 6, 7)
                                     << QStringLiteral("0005 05");
    QTest::newRow("before day 0") << us() << QStringLiteral("yyyy-mm-dd") << -1.25
                                  << QStringLiteral("1899-12-29");
}

void TestFormat::formatDate()
{
    QFETCH(RegionalSettings, settings);
    QFETCH(QString, pattern);
    QFETCH(double, date);
    QFETCH(QString, expected);
    QCOMPARE(text(calvora::formatDate(pattern.toStdString(), date, settings)), expected);
}

void TestFormat::formatStatement_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QVariantList>("args"); // qint64 or QString
    QTest::addColumn<QString>("expected");

    QTest::newRow("integer") << QStringLiteral("DELETE FROM tblAmortization WHERE MortgageID = %d")
                             << QVariantList{qint64(42)}
                             << QStringLiteral("DELETE FROM tblAmortization WHERE MortgageID = 42");
    QTest::newRow("quoted text") << QStringLiteral("SELECT * FROM tblMortgage WHERE Name = %s")
                                 << QVariantList{QStringLiteral("'O''Brien'")}
                                 << QStringLiteral("SELECT * FROM tblMortgage WHERE Name = 'O''Brien'");
    QTest::newRow("both kinds") << QStringLiteral("%d:%s:%d")
                                << QVariantList{qint64(-7), QStringLiteral("x"), qint64(0)}
                                << QStringLiteral("-7:x:0");
    QTest::newRow("largest integers, no grouping")
        << QStringLiteral("%d %d") << QVariantList{qint64(RawMin), qint64(RawMax)}
        << QStringLiteral("-9223372036854775808 9223372036854775807");
    QTest::newRow("percent sign") << QStringLiteral("100%% of %d") << QVariantList{qint64(5)}
                                  << QStringLiteral("100% of 5");
    QTest::newRow("extra argument ignored")
        << QStringLiteral("%d") << QVariantList{qint64(1), qint64(2)} << QStringLiteral("1");
    QTest::newRow("no placeholder") << QStringLiteral("SELECT 1") << QVariantList{}
                                    << QStringLiteral("SELECT 1");
    QTest::newRow("text with percent inside")
        << QStringLiteral("%s") << QVariantList{QStringLiteral("%d")} << QStringLiteral("%d");
}

namespace {

std::vector<StatementArg> statementArgs(const QVariantList &args)
{
    std::vector<StatementArg> result;
    for (const QVariant &arg : args) {
        if (arg.typeId() == QMetaType::LongLong)
            result.emplace_back(std::int64_t{arg.toLongLong()});
        else
            result.emplace_back(arg.toString().toStdString());
    }
    return result;
}

} // namespace

void TestFormat::formatStatement()
{
    QFETCH(QString, format);
    QFETCH(QVariantList, args);
    QFETCH(QString, expected);
    QCOMPARE(text(calvora::formatStatement(format.toStdString(), statementArgs(args))), expected);
}

void TestFormat::formatStatementRejects_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QVariantList>("args");
    QTest::newRow("text for %d") << QStringLiteral("ID = %d") << QVariantList{QStringLiteral("42")};
    QTest::newRow("integer for %s") << QStringLiteral("Name = %s") << QVariantList{qint64(42)};
    QTest::newRow("missing argument") << QStringLiteral("%d") << QVariantList{};
    QTest::newRow("second argument missing") << QStringLiteral("%d and %d") << QVariantList{qint64(1)};
    QTest::newRow("unknown placeholder") << QStringLiteral("%x") << QVariantList{qint64(1)};
    QTest::newRow("lone percent at the end") << QStringLiteral("50%") << QVariantList{};
}

void TestFormat::formatStatementRejects()
{
    QFETCH(QString, format);
    QFETCH(QVariantList, args);
    QString message;
    try {
        calvora::formatStatement(format.toStdString(), statementArgs(args));
    } catch (const ConvertError &error) {
        message = QString::fromUtf8(error.what());
    }
    QCOMPARE(message, QStringLiteral("Format '%1' invalid or incompatible with argument").arg(format));
}

void TestFormat::quotedText_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << QStringLiteral("Home") << QStringLiteral("'Home'");
    QTest::newRow("inner quote") << QStringLiteral("O'Brien") << QStringLiteral("'O''Brien'");
    QTest::newRow("empty") << QString() << QStringLiteral("''");
    QTest::newRow("only quotes") << QStringLiteral("''") << QStringLiteral("''''''");
}

void TestFormat::quotedText()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(text(calvora::quotedText(input.toStdString())), expected);
}

void TestFormat::parseCurrency_data()
{
    QTest::addColumn<RegionalSettings>("settings");
    QTest::addColumn<QString>("input");
    QTest::addColumn<ParseResult>("result");
    QTest::addColumn<qint64>("raw");

    const auto ok = ParseResult::Ok;
    const auto invalid = ParseResult::Invalid;
    const auto outOfRange = ParseResult::OutOfRange;
    QTest::newRow("amount") << us() << QStringLiteral("234.50") << ok << qint64(2345000);
    QTest::newRow("blanks and minus") << us() << QStringLiteral(" \t-234.5 \t") << ok << qint64(-2345000);
    QTest::newRow("plus sign") << us() << QStringLiteral("+1") << ok << qint64(10000);
    QTest::newRow("no whole digits") << us() << QStringLiteral(".5") << ok << qint64(5000);
    QTest::newRow("no decimals after separator") << us() << QStringLiteral("5.") << ok << qint64(50000);
    QTest::newRow("leading zeros") << us() << QStringLiteral("0000000000000000000012") << ok
                                   << qint64(120000);
    QTest::newRow("four decimals") << us() << QStringLiteral("0.0001") << ok << qint64(1);
    // Fifth decimal and beyond: exactly 5 is a tie to the even count.
    QTest::newRow("0.00005 ties to 0") << us() << QStringLiteral("0.00005") << ok << qint64(0);
    QTest::newRow("0.00015 ties to 2") << us() << QStringLiteral("0.00015") << ok << qint64(2);
    QTest::newRow("0.00025 ties to 2") << us() << QStringLiteral("0.00025") << ok << qint64(2);
    QTest::newRow("0.000250000001 rounds up") << us() << QStringLiteral("0.000250000001") << ok << qint64(3);
    QTest::newRow("0.000149999 rounds down") << us() << QStringLiteral("0.000149999") << ok << qint64(1);
    QTest::newRow("-0.00035 ties to -4") << us() << QStringLiteral("-0.00035") << ok << qint64(-4);
    QTest::newRow("-0.00025 ties to -2") << us() << QStringLiteral("-0.00025") << ok << qint64(-2);
    QTest::newRow("trailing zeros after the tie") << us() << QStringLiteral("0.000150000") << ok << qint64(2);
    QTest::newRow("max") << us() << QStringLiteral("922337203685477.5807") << ok << RawMax;
    QTest::newRow("min") << us() << QStringLiteral("-922337203685477.5808") << ok << RawMin;
    QTest::newRow("just above max") << us() << QStringLiteral("922337203685477.5808") << outOfRange
                                    << qint64(0);
    QTest::newRow("just below min") << us() << QStringLiteral("-922337203685477.5809") << outOfRange
                                    << qint64(0);
    // ...5807|5 is a tie; 5807 is odd, so it rounds to 5808, out of range.
    QTest::newRow("tie rounding out of range")
        << us() << QStringLiteral("922337203685477.58075") << outOfRange << qint64(0);
    // ...5806|5 is a tie; 5806 is even and stays.
    QTest::newRow("tie staying in range")
        << us() << QStringLiteral("922337203685477.58065") << ok << RawMax - 1;
    QTest::newRow("sixteen whole digits")
        << us() << QStringLiteral("1000000000000000") << outOfRange << qint64(0);
    QTest::newRow("huge") << us() << QStringLiteral("-99999999999999999999999999") << outOfRange << qint64(0);
    QTest::newRow("empty") << us() << QString() << invalid << qint64(0);
    QTest::newRow("blanks only") << us() << QStringLiteral("  ") << invalid << qint64(0);
    QTest::newRow("sign only") << us() << QStringLiteral("-") << invalid << qint64(0);
    QTest::newRow("separator only") << us() << QStringLiteral(".") << invalid << qint64(0);
    QTest::newRow("two separators") << us() << QStringLiteral("1.2.3") << invalid << qint64(0);
    QTest::newRow("grouped") << us() << QStringLiteral("1,234.50") << invalid << qint64(0);
    QTest::newRow("letter") << us() << QStringLiteral("12a") << invalid << qint64(0);
    QTest::newRow("exponent") << us() << QStringLiteral("1e5") << invalid << qint64(0);
    QTest::newRow("blank after sign") << us() << QStringLiteral("- 5") << invalid << qint64(0);
    QTest::newRow("currency symbol") << us() << QStringLiteral("$5") << invalid << qint64(0);
    QTest::newRow("inner blank") << us() << QStringLiteral("1 000") << invalid << qint64(0);
    QTest::newRow("two signs") << us() << QStringLiteral("+-1") << invalid << qint64(0);
    QTest::newRow("comma separator") << euro() << QStringLiteral("1234,5") << ok << qint64(12345000);
    QTest::newRow("comma separator, tie") << euro() << QStringLiteral("-0,00015") << ok << qint64(-2);
    QTest::newRow("point with comma separator") << euro() << QStringLiteral("1234.5") << invalid << qint64(0);
}

void TestFormat::parseCurrency()
{
    QFETCH(RegionalSettings, settings);
    QFETCH(QString, input);
    QFETCH(ParseResult, result);
    QFETCH(qint64, raw);
    Currency value = Currency::fromRaw(-99);
    QCOMPARE(calvora::parseCurrency(input.toStdString(), settings, value), result);
    if (result == ParseResult::Ok)
        QCOMPARE(value.raw(), raw);
}

void TestFormat::parseDouble_data()
{
    QTest::addColumn<RegionalSettings>("settings");
    QTest::addColumn<QString>("input");
    QTest::addColumn<ParseResult>("result");
    QTest::addColumn<double>("value");

    const auto ok = ParseResult::Ok;
    const auto invalid = ParseResult::Invalid;
    QTest::newRow("rate") << us() << QStringLiteral(" 6.5 ") << ok << 6.5;
    QTest::newRow("exponent") << us() << QStringLiteral("1.5e3") << ok << 1500.0;
    QTest::newRow("negative exponent") << us() << QStringLiteral("-2.5E-2") << ok << -0.025;
    QTest::newRow("plus exponent") << us() << QStringLiteral("+25e+1") << ok << 250.0;
    QTest::newRow("no whole digits") << us() << QStringLiteral(".5") << ok << 0.5;
    QTest::newRow("comma separator") << euro() << QStringLiteral("1,5") << ok << 1.5;
    QTest::newRow("point with comma separator") << euro() << QStringLiteral("1.5") << invalid << 0.0;
    QTest::newRow("too large") << us() << QStringLiteral("1e309") << ParseResult::OutOfRange << 0.0;
    QTest::newRow("too large negative") << us() << QStringLiteral("-2e308") << ParseResult::OutOfRange << 0.0;
    QTest::newRow("underflow reads as zero") << us() << QStringLiteral("1e-400") << ok << 0.0;
    QTest::newRow("largest double") << us() << QStringLiteral("1.7976931348623157e308") << ok << DBL_MAX;
    QTest::newRow("exponent without digits") << us() << QStringLiteral("1e") << invalid << 0.0;
    QTest::newRow("exponent sign only") << us() << QStringLiteral("1e+") << invalid << 0.0;
    QTest::newRow("exponent alone") << us() << QStringLiteral("e5") << invalid << 0.0;
    QTest::newRow("hexadecimal") << us() << QStringLiteral("0x10") << invalid << 0.0;
    QTest::newRow("infinity word") << us() << QStringLiteral("inf") << invalid << 0.0;
    QTest::newRow("NaN word") << us() << QStringLiteral("nan") << invalid << 0.0;
    QTest::newRow("empty") << us() << QString() << invalid << 0.0;
}

void TestFormat::parseDouble()
{
    QFETCH(RegionalSettings, settings);
    QFETCH(QString, input);
    QFETCH(ParseResult, result);
    QFETCH(double, value);
    double read = -99;
    QCOMPARE(calvora::parseDouble(input.toStdString(), settings, read), result);
    if (result == ParseResult::Ok)
        QCOMPARE(read, value);
}

void TestFormat::parseInteger_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<ParseResult>("result");
    QTest::addColumn<qint64>("value");

    QTest::newRow("term") << QStringLiteral("360") << ParseResult::Ok << qint64(360);
    QTest::newRow("blanks and minus") << QStringLiteral(" -12\t") << ParseResult::Ok << qint64(-12);
    QTest::newRow("plus") << QStringLiteral("+7") << ParseResult::Ok << qint64(7);
    QTest::newRow("max") << QStringLiteral("9223372036854775807") << ParseResult::Ok << RawMax;
    QTest::newRow("min") << QStringLiteral("-9223372036854775808") << ParseResult::Ok << RawMin;
    QTest::newRow("leading zeros") << QStringLiteral("000000000000000000000042") << ParseResult::Ok
                                   << qint64(42);
    QTest::newRow("above max") << QStringLiteral("9223372036854775808") << ParseResult::OutOfRange
                               << qint64(0);
    QTest::newRow("below min") << QStringLiteral("-9223372036854775809") << ParseResult::OutOfRange
                               << qint64(0);
    QTest::newRow("twenty digits") << QStringLiteral("18446744073709551616") << ParseResult::OutOfRange
                                   << qint64(0);
    QTest::newRow("decimal") << QStringLiteral("1.5") << ParseResult::Invalid << qint64(0);
    QTest::newRow("empty") << QString() << ParseResult::Invalid << qint64(0);
    QTest::newRow("sign only") << QStringLiteral("+") << ParseResult::Invalid << qint64(0);
    QTest::newRow("letters") << QStringLiteral("12x") << ParseResult::Invalid << qint64(0);
}

void TestFormat::parseInteger()
{
    QFETCH(QString, input);
    QFETCH(ParseResult, result);
    QFETCH(qint64, value);
    std::int64_t read = -99;
    QCOMPARE(calvora::parseInteger(input.toStdString(), read), result);
    if (result == ParseResult::Ok)
        QCOMPARE(qint64(read), value);
}

void TestFormat::numberCharacters_data()
{
    QTest::addColumn<RegionalSettings>("settings");
    QTest::addColumn<uint>("character");
    QTest::addColumn<bool>("number");

    RegionalSettings superscripts = us();
    superscripts.digits = U"0123456789\u00b2\u00b3\u00b9";
    RegionalSettings twoCharacterSeparator = us();
    twoCharacterSeparator.decimalSeparator = "..";
    RegionalSettings multiByteSeparator = us();
    multiByteSeparator.decimalSeparator = "\u066b"; // Arabic decimal separator

    QTest::newRow("digit") << us() << uint(U'7') << true;
    QTest::newRow("plus") << us() << uint(U'+') << true;
    QTest::newRow("minus") << us() << uint(U'-') << true;
    QTest::newRow("point in US") << us() << uint(U'.') << true;
    QTest::newRow("comma in US") << us() << uint(U',') << false;
    QTest::newRow("letter") << us() << uint(U'a') << false;
    QTest::newRow("blank") << us() << uint(U' ') << false;
    QTest::newRow("comma with comma separator") << euro() << uint(U',') << true;
    QTest::newRow("point with comma separator") << euro() << uint(U'.') << false;
    QTest::newRow("superscript two as a locale digit") << superscripts << uint(U'\u00b2') << true;
    QTest::newRow("superscript two elsewhere") << us() << uint(U'\u00b2') << false;
    QTest::newRow("separator of two characters") << twoCharacterSeparator << uint(U'.') << false;
    QTest::newRow("separator of several bytes") << multiByteSeparator << uint(U'\u066b') << true;
}

void TestFormat::numberCharacters()
{
    QFETCH(RegionalSettings, settings);
    QFETCH(uint, character);
    QFETCH(bool, number);
    QCOMPARE(settings.isNumberCharacter(static_cast<char32_t>(character)), number);
}

void TestFormat::cLocaleGivesUsEnglish()
{
    // The C locale is always there and says nothing about money.
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "C");
    const RegionalSettings read = RegionalSettings::fromProcessLocale();
    std::setlocale(LC_ALL, previous.c_str());

    const RegionalSettings expected = RegionalSettings::usEnglish();
    QCOMPARE(text(read.currencySymbol), QStringLiteral("$"));
    QCOMPARE(read.positiveCurrencyFormat, expected.positiveCurrencyFormat);
    QCOMPARE(read.negativeCurrencyFormat, expected.negativeCurrencyFormat);
    QCOMPARE(text(read.decimalSeparator), QStringLiteral("."));
    QCOMPARE(text(read.thousandSeparator), QStringLiteral(","));
    QCOMPARE(read.currencyDecimals, 2);
    QCOMPARE(text(read.shortMonthNames[0]), QStringLiteral("Jan"));
    QCOMPARE(text(read.shortMonthNames[11]), QStringLiteral("Dec"));
    QVERIFY(read.digits == expected.digits);
    QCOMPARE(text(calvora::formatMoney(Currency::fromRaw(-12345000), read)), QStringLiteral("($1,234.50)"));
}

QTEST_APPLESS_MAIN(TestFormat)
#include "test_format.moc"
