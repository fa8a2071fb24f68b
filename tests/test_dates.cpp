// Day-count dates: encoding with its failures, known serials, decoding,
// adding months at month ends, today's date and the ISO text the database
// keeps.

#include "DateTime.h"
#include "Errors.h"

#include <QDate>
#include <QTest>

#include <cmath>

using namespace calvora;

namespace {

// The failure text of an encode, or an empty text when it succeeds.
QString encodeFailure(int year, int month, int day)
{
    try {
        encodeDate(year, month, day);
    } catch (const ConvertError &error) {
        return QString::fromUtf8(error.what());
    }
    return {};
}

const QString EncodeError = QStringLiteral("Invalid argument to date encode");

} // namespace

class TestDates : public QObject
{
    Q_OBJECT

private slots:
    void encodeLimits_data();
    void encodeLimits();
    void knownSerials_data();
    void knownSerials();
    void decodeIgnoresTimeOfDay_data();
    void decodeIgnoresTimeOfDay();
    void incMonth_data();
    void incMonth();
    void incMonthOutOfRange_data();
    void incMonthOutOfRange();
    void today();
    void isoRoundTrip_data();
    void isoRoundTrip();
    void isoWithTime_data();
    void isoWithTime();
    void isoRejects_data();
    void isoRejects();
};

void TestDates::encodeLimits_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<bool>("valid");

    QTest::newRow("year 0") << 0 << 1 << 1 << false;
    QTest::newRow("year 1") << 1 << 1 << 1 << true;
    QTest::newRow("year 9999") << 9999 << 12 << 31 << true;
    QTest::newRow("year 10000") << 10000 << 1 << 1 << false;
    QTest::newRow("negative year") << -5 << 1 << 1 << false;
    QTest::newRow("month 0") << 2024 << 0 << 1 << false;
    QTest::newRow("month 13") << 2024 << 13 << 1 << false;
    QTest::newRow("day 0") << 2024 << 1 << 0 << false;
    QTest::newRow("31 January") << 2024 << 1 << 31 << true;
    QTest::newRow("32 January") << 2024 << 1 << 32 << false;
    QTest::newRow("30 April") << 2024 << 4 << 30 << true;
    QTest::newRow("31 April") << 2024 << 4 << 31 << false;
    QTest::newRow("29 February 1900 (not leap)") << 1900 << 2 << 29 << false;
    QTest::newRow("29 February 2000 (leap)") << 2000 << 2 << 29 << true;
    QTest::newRow("29 February 2023") << 2023 << 2 << 29 << false;
    QTest::newRow("29 February 2024") << 2024 << 2 << 29 << true;
    QTest::newRow("30 February 2024") << 2024 << 2 << 30 << false;
}

void TestDates::encodeLimits()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(bool, valid);

    QCOMPARE(encodeFailure(year, month, day), valid ? QString() : EncodeError);
    DateTime date = -12345;
    QCOMPARE(tryEncodeDate(year, month, day, date), valid);
    if (valid)
        QCOMPARE(decodeDate(date), (DateParts{year, month, day}));
    else
        QCOMPARE(date, -12345.0); // untouched
}

void TestDates::knownSerials_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<double>("serial");

    QTest::newRow("day 0") << 1899 << 12 << 30 << 0.0;
    QTest::newRow("day before day 0") << 1899 << 12 << 29 << -1.0;
    QTest::newRow("1 January 1900") << 1900 << 1 << 1 << 2.0;
    // 1900 is no leap year: 31 + 28 days after 1 January (2).
    QTest::newRow("1 March 1900") << 1900 << 3 << 1 << 61.0;
    // A hundred years after 1900-01-01 with 24 leap days (1904 to 1996).
    QTest::newRow("1 January 2000") << 2000 << 1 << 1 << 36526.0;
    // 24 years after 2000-01-01 with 6 leap days (2000 to 2020), then 31 + 28.
    QTest::newRow("29 February 2024") << 2024 << 2 << 29 << 45351.0;
    QTest::newRow("1 March 2024") << 2024 << 3 << 1 << 45352.0;
    // 1899 years * 365 + 460 leap days lie between 0001-01-01 and 1900-01-01.
    QTest::newRow("1 January 1") << 1 << 1 << 1 << -693593.0;
    // 8099 years after 1900-01-01 with 8099*365 + 1964 leap days, + 364.
    QTest::newRow("31 December 9999") << 9999 << 12 << 31 << 2958465.0;
}

void TestDates::knownSerials()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(double, serial);
    QCOMPARE(encodeDate(year, month, day), serial);
    QCOMPARE(decodeDate(serial), (DateParts{year, month, day}));
}

void TestDates::decodeIgnoresTimeOfDay_data()
{
    QTest::addColumn<double>("date");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");

    QTest::newRow("evening") << 36526.75 << 2000 << 1 << 1;
    QTest::newRow("just before midnight") << 36526.99999 << 2000 << 1 << 1;
    // Before day 0 the whole part is the day and the fraction the time.
    QTest::newRow("29 December 1899, 6:00") << -1.25 << 1899 << 12 << 29;
    QTest::newRow("30 December 1899, 12:00 written negative") << -0.5 << 1899 << 12 << 30;
}

void TestDates::decodeIgnoresTimeOfDay()
{
    QFETCH(double, date);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QCOMPARE(decodeDate(date), (DateParts{year, month, day}));
}

void TestDates::incMonth_data()
{
    QTest::addColumn<double>("date");
    QTest::addColumn<int>("months");
    QTest::addColumn<double>("expected");

    const auto at = [](int y, int m, int d, double time = 0) { return encodeDate(y, m, d) + time; };
    QTest::newRow("31 Jan 2024 + 1: leap February") << at(2024, 1, 31) << 1 << at(2024, 2, 29);
    QTest::newRow("31 Jan 2023 + 1: February") << at(2023, 1, 31) << 1 << at(2023, 2, 28);
    QTest::newRow("31 Mar 2024 - 1") << at(2024, 3, 31) << -1 << at(2024, 2, 29);
    QTest::newRow("31 Mar 2023 - 1") << at(2023, 3, 31) << -1 << at(2023, 2, 28);
    QTest::newRow("31 Dec 2023 + 2: next year's leap February") << at(2023, 12, 31) << 2 << at(2024, 2, 29);
    QTest::newRow("31 May + 1: 30 June") << at(2024, 5, 31) << 1 << at(2024, 6, 30);
    QTest::newRow("15 Jan - 1: previous December") << at(2024, 1, 15) << -1 << at(2023, 12, 15);
    QTest::newRow("15 Mar - 14: January of the year before") << at(2024, 3, 15) << -14 << at(2023, 1, 15);
    QTest::newRow("29 Feb 2024 + 12") << at(2024, 2, 29) << 12 << at(2025, 2, 28);
    QTest::newRow("a 30-year term") << at(2004, 1, 1) << 360 << at(2034, 1, 1);
    QTest::newRow("zero months") << at(2024, 7, 4, 0.5) << 0 << at(2024, 7, 4, 0.5);
    QTest::newRow("time of day kept") << at(2024, 1, 31, 0.75) << 1 << at(2024, 2, 29, 0.75);
    // -1.25 is 29 Dec 1899, 6:00; one month on is 29 Jan 1900 (serial 30), 6:00.
    QTest::newRow("from before day 0, time kept") << -1.25 << 1 << 30.25;
    QTest::newRow("to before day 0, time kept") << 30.25 << -1 << -1.25;
    QTest::newRow("last month of the range") << at(9999, 11, 30) << 1 << at(9999, 12, 30);
    QTest::newRow("first month of the range") << at(1, 2, 28) << -1 << at(1, 1, 28);
}

void TestDates::incMonth()
{
    QFETCH(double, date);
    QFETCH(int, months);
    QFETCH(double, expected);
    QCOMPARE(calvora::incMonth(date, months), expected);
}

void TestDates::incMonthOutOfRange_data()
{
    QTest::addColumn<double>("date");
    QTest::addColumn<int>("months");
    QTest::newRow("past December 9999") << encodeDate(9999, 12, 1) << 1;
    QTest::newRow("before January 1") << encodeDate(1, 1, 15) << -1;
    QTest::newRow("far future") << encodeDate(2024, 1, 1) << 1000000;
    QTest::newRow("far past") << encodeDate(2024, 1, 1) << -1000000;
}

void TestDates::incMonthOutOfRange()
{
    QFETCH(double, date);
    QFETCH(int, months);
    QString message;
    try {
        calvora::incMonth(date, months);
    } catch (const ConvertError &error) {
        message = QString::fromUtf8(error.what());
    }
    QCOMPARE(message, EncodeError);
}

void TestDates::today()
{
    // The local clock may pass midnight between the readings.
    const QDate before = QDate::currentDate();
    const DateTime now = calvora::today();
    const QDate after = QDate::currentDate();
    QCOMPARE(now, std::floor(now)); // no time of day
    const DateParts parts = decodeDate(now);
    const QDate date(parts.year, parts.month, parts.day);
    QVERIFY2(date == before || date == after, qPrintable(date.toString(Qt::ISODate)));
}

void TestDates::isoRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("serial");
    QTest::newRow("2000-01-01") << QStringLiteral("2000-01-01") << 36526.0;
    QTest::newRow("leap day") << QStringLiteral("2024-02-29") << 45351.0;
    QTest::newRow("day 0") << QStringLiteral("1899-12-30") << 0.0;
    QTest::newRow("before day 0") << QStringLiteral("1899-12-29") << -1.0;
    QTest::newRow("first day") << QStringLiteral("0001-01-01") << -693593.0;
    QTest::newRow("last day") << QStringLiteral("9999-12-31") << 2958465.0;
}

void TestDates::isoRoundTrip()
{
    QFETCH(QString, text);
    QFETCH(double, serial);
    QCOMPARE(QString::fromStdString(toIsoDate(serial)), text);
    QCOMPARE(QString::fromStdString(toIsoDate(serial + (serial < 0 ? -0.75 : 0.75))), text);
    DateTime read = 0;
    QVERIFY(fromIsoDate(text.toStdString(), read));
    QCOMPARE(read, serial);
}

void TestDates::isoWithTime_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("space, 18:00") << QStringLiteral("2024-02-29 18:00:00") << 45351.75;
    QTest::newRow("T, 06:00") << QStringLiteral("2024-02-29T06:00:00") << 45351.25;
    QTest::newRow("midnight") << QStringLiteral("2024-02-29 00:00:00") << 45351.0;
    // 12:00 before day 0 is stored away from zero.
    QTest::newRow("before day 0, noon") << QStringLiteral("1899-12-29 12:00:00") << -1.5;
}

void TestDates::isoWithTime()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    DateTime read = 0;
    QVERIFY(fromIsoDate(text.toStdString(), read));
    QCOMPARE(read, expected);
}

void TestDates::isoRejects_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("garbage") << QStringLiteral("abcd-ef-gh");
    QTest::newRow("one-digit month") << QStringLiteral("2024-2-29");
    QTest::newRow("slashes") << QStringLiteral("2024/02/29");
    QTest::newRow("29 February 2023") << QStringLiteral("2023-02-29");
    QTest::newRow("month 13") << QStringLiteral("2024-13-01");
    QTest::newRow("year 0") << QStringLiteral("0000-01-01");
    QTest::newRow("trailing text") << QStringLiteral("2024-02-29x");
    QTest::newRow("leading blank") << QStringLiteral(" 2024-02-29");
    QTest::newRow("hour 24") << QStringLiteral("2024-02-29 24:00:00");
    QTest::newRow("minute 60") << QStringLiteral("2024-02-29 10:60:00");
    QTest::newRow("bad time separator") << QStringLiteral("2024-02-29_10:00:00");
    QTest::newRow("sign in a field") << QStringLiteral("2024-+2-29");
}

void TestDates::isoRejects()
{
    QFETCH(QString, text);
    DateTime read = 777;
    QVERIFY(!fromIsoDate(text.toStdString(), read));
}

QTEST_APPLESS_MAIN(TestDates)
#include "test_dates.moc"
