// calvora-calc run as a script runs it: the JSON and CSV it prints, its exit
// codes and what it says on standard error.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run calc(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(CALC_PATH), arguments);
    Run run;
    if (!process.waitForStarted(10000)) {
        qWarning("calvora-calc did not start: %s", qPrintable(process.errorString()));
        return run;
    }
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        qWarning("calvora-calc did not finish");
        return run;
    }
    if (process.exitStatus() != QProcess::NormalExit) {
        qWarning("calvora-calc crashed");
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

const QStringList ResultKeys{
    QStringLiteral("MonthlyPayment"),        QStringLiteral("TotalPayment"),  QStringLiteral("TotalInterest"),
    QStringLiteral("BiweeklyPayment"),       QStringLiteral("BiweeklyTerm"),  QStringLiteral("BiweeklyTotal"),
    QStringLiteral("BiweeklyTotalInterest"), QStringLiteral("BiweeklyInterestSaved"),
};

// With --start the five prepayment results and the months follow the eight.
const QStringList ScheduleKeys = ResultKeys + QStringList{
    QStringLiteral("ActualMonthly"),       QStringLiteral("ActualTerm"),    QStringLiteral("ActualTotal"),
    QStringLiteral("ActualTotalInterest"), QStringLiteral("InterestSaved"), QStringLiteral("rows"),
};

// The columns of a month, in the order of a row object and of the CSV.
const QStringList RowKeys{
    QStringLiteral("PayDate"),        QStringLiteral("Interest"),        QStringLiteral("Principal"),
    QStringLiteral("PrincipalLeft"),  QStringLiteral("ActualInterest"), QStringLiteral("ActualPrincipal"),
    QStringLiteral("ActualLeft"),
};

// The keys of the JSON objects nesting `depth` levels deep in the order the
// text has them: 1 the outermost object, 3 the objects of an array in it.
// The program's strings hold no quotes, braces or brackets.
QStringList keysInTextOrder(const QString &text, int depth = 1)
{
    QStringList keys;
    int level = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'{' || c == u'[') {
            ++level;
        } else if (c == u'}' || c == u']') {
            --level;
        } else if (c == u'"') {
            const qsizetype end = text.indexOf(u'"', i + 1);
            if (end < 0)
                break;
            if (level == depth && end + 1 < text.size() && text.at(end + 1) == u':')
                keys << text.mid(i + 1, end - i - 1);
            i = end;
        }
    }
    return keys;
}

QJsonObject parsedObject(const QString &text)
{
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

// The texts of a row object in column order.
QStringList rowTexts(const QJsonObject &row)
{
    QStringList texts;
    for (const QString &key : RowKeys)
        texts << row.value(key).toString();
    return texts;
}

const char *const WorkedExample = "--loan 100000 --rate 6 --term 360 --start 2005-03 --prepayment 100";

QStringList args(const char *line) { return QString::fromLatin1(line).split(QLatin1Char(' '), Qt::SkipEmptyParts); }

} // namespace

class TestCalc : public QObject
{
    Q_OBJECT

private slots:
    void results_data();
    void results();
    void schedule();
    void scheduleRows_data();
    void scheduleRows();
    void csv();
    void badArguments_data();
    void badArguments();
    void calculationFaults_data();
    void calculationFaults();
    void help_data();
    void help();
};

void TestCalc::results_data()
{
    QTest::addColumn<QStringList>("arguments");
    // The keys to compare; every row also checks that all eight are there.
    QTest::addColumn<QJsonObject>("expected");

    const QJsonObject sixPercent{
        {QStringLiteral("MonthlyPayment"), QStringLiteral("599.5505")},
        {QStringLiteral("TotalPayment"), QStringLiteral("215838.1800")},
        {QStringLiteral("TotalInterest"), QStringLiteral("115838.1800")},
        {QStringLiteral("BiweeklyPayment"), QStringLiteral("299.7752")},
        {QStringLiteral("BiweeklyTerm"), 295},
        {QStringLiteral("BiweeklyTotal"), QStringLiteral("191026.1721")},
        {QStringLiteral("BiweeklyTotalInterest"), QStringLiteral("91026.1721")},
        {QStringLiteral("BiweeklyInterestSaved"), QStringLiteral("24812.0079")},
    };
    QTest::newRow("100000 at 6 % over 360 months") << args("--loan 100000 --rate 6 --term 360") << sixPercent;
    QTest::newRow("options in another order, with =") << args("--term=360 --rate=6 --loan=100000") << sixPercent;
    QTest::newRow("amount with decimals") << args("--loan 100000.00 --rate 6.0 --term 360") << sixPercent;
    // The rate goes through single precision, as the program stores it.
    QTest::newRow("5.99 %") << args("--loan 100000 --rate 5.99 --term 360")
                            << QJsonObject{{QStringLiteral("MonthlyPayment"), QStringLiteral("598.9077")},
                                           {QStringLiteral("BiweeklyPayment"), QStringLiteral("299.4538")},
                                           {QStringLiteral("BiweeklyTerm"), 295}};
    QTest::newRow("negative loan") << args("--loan -100000 --rate 6 --term 360")
                                   << QJsonObject{{QStringLiteral("MonthlyPayment"), QStringLiteral("-599.5505")},
                                                  {QStringLiteral("TotalPayment"), QStringLiteral("-215838.1800")}};
    QTest::newRow("longest term the column holds") << args("--loan 100000 --rate 6 --term 32767") << QJsonObject{};
}

void TestCalc::results()
{
    QFETCH(QStringList, arguments);
    QFETCH(QJsonObject, expected);

    const Run run = calc(arguments);
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.endsWith(QLatin1Char('\n')), qPrintable(run.out));
    QCOMPARE(run.out.count(QLatin1Char('\n')), 1);

    QCOMPARE(keysInTextOrder(run.out), ResultKeys);

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(run.out.toUtf8(), &error);
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
    QVERIFY(document.isObject());
    const QJsonObject object = document.object();
    QCOMPARE(object.size(), ResultKeys.size());
    for (const QString &key : ResultKeys) {
        // Money as text with four decimals, the term as a number.
        if (key == QLatin1String("BiweeklyTerm")) {
            QVERIFY2(object.value(key).isDouble(), qPrintable(key));
        } else {
            QVERIFY2(object.value(key).isString(), qPrintable(key));
            static const QRegularExpression fourDecimals(QStringLiteral("^-?\\d+\\.\\d{4}$"));
            QVERIFY2(fourDecimals.match(object.value(key).toString()).hasMatch(),
                     qPrintable(key + QLatin1String(": ") + object.value(key).toString()));
        }
    }
    for (auto it = expected.constBegin(); it != expected.constEnd(); ++it)
        QCOMPARE(object.value(it.key()), it.value());
}

void TestCalc::schedule()
{
    const Run run = calc(args(WorkedExample));
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.endsWith(QLatin1Char('\n')), qPrintable(run.out.right(200)));
    QCOMPARE(run.out.count(QLatin1Char('\n')), 1);

    QCOMPARE(keysInTextOrder(run.out), ScheduleKeys);
    const QStringList rowKeys = keysInTextOrder(run.out, 3);
    QCOMPARE(rowKeys.size(), 360 * RowKeys.size());
    for (qsizetype i = 0; i < rowKeys.size(); i += RowKeys.size())
        QCOMPARE(rowKeys.mid(i, RowKeys.size()), RowKeys);

    const QJsonObject object = parsedObject(run.out);
    QCOMPARE(object.size(), ScheduleKeys.size());

    // The payment results are those of the run without a schedule.
    const QJsonObject payments = parsedObject(calc(args("--loan 100000 --rate 6 --term 360")).out);
    QCOMPARE(payments.size(), ResultKeys.size());
    for (const QString &key : ResultKeys)
        QCOMPARE(object.value(key), payments.value(key));

    QCOMPARE(object.value(QStringLiteral("ActualMonthly")), QJsonValue(QStringLiteral("699.5505")));
    QCOMPARE(object.value(QStringLiteral("ActualTerm")), QJsonValue(252));
    QCOMPARE(object.value(QStringLiteral("ActualTotal")), QJsonValue(QStringLiteral("175937.9433")));
    QCOMPARE(object.value(QStringLiteral("ActualTotalInterest")), QJsonValue(QStringLiteral("75937.9433")));
    QCOMPARE(object.value(QStringLiteral("InterestSaved")), QJsonValue(QStringLiteral("39900.2367")));
    QCOMPARE(object.value(QStringLiteral("rows")).toArray().size(), 360);
}

void TestCalc::scheduleRows_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("month"); // 1-based
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("first month") << args(WorkedExample) << 1
                                 << QStringList{QStringLiteral("2005-03-01"), QStringLiteral("500.0000"),
                                                QStringLiteral("99.5505"),    QStringLiteral("99900.4495"),
                                                QStringLiteral("500.0000"),   QStringLiteral("199.5505"),
                                                QStringLiteral("99800.4495")};
    QTest::newRow("payoff month") << args(WorkedExample) << 252
                                  << QStringList{QStringLiteral("2026-02-01"), QStringLiteral("251.4337"),
                                                 QStringLiteral("348.1168"),   QStringLiteral("49938.6281"),
                                                 QStringLiteral("1.7451"),     QStringLiteral("349.0227"),
                                                 QStringLiteral("0.0000")};
    QTest::newRow("last month") << args(WorkedExample) << 360
                                << QStringList{QStringLiteral("2035-02-01"), QStringLiteral("2.9830"),
                                               QStringLiteral("596.5675"),   QStringLiteral("0.0231"),
                                               QStringLiteral("0.0000"),     QStringLiteral("0.0000"),
                                               QStringLiteral("0.0000")};
    // No prepayment: both schedules pay 598.9077. The schedule takes the rate
    // at double precision: 100000 × 5.99 % ÷ 12 = 499.16667, where the single
    // precision rate of the payment calculation would give 499.16665.
    QTest::newRow("5.99 %, no prepayment")
        << args("--loan 100000 --rate 5.99 --term 360 --start 2024-12") << 1
        << QStringList{QStringLiteral("2024-12-01"), QStringLiteral("499.1667"), QStringLiteral("99.7410"),
                       QStringLiteral("99900.2590"), QStringLiteral("499.1667"), QStringLiteral("99.7410"),
                       QStringLiteral("99900.2590")};
}

void TestCalc::scheduleRows()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, month);
    QFETCH(QStringList, expected);

    const Run run = calc(arguments);
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    const QJsonArray rows = parsedObject(run.out).value(QStringLiteral("rows")).toArray();
    QVERIFY2(month <= rows.size(), qPrintable(QString::number(rows.size())));
    QCOMPARE(rowTexts(rows.at(month - 1).toObject()), expected);
}

void TestCalc::csv()
{
    const Run json = calc(args(WorkedExample));
    QCOMPARE(json.exitCode, 0);
    const QJsonArray rows = parsedObject(json.out).value(QStringLiteral("rows")).toArray();
    QCOMPARE(rows.size(), 360);

    const Run run = calc(args(WorkedExample) << QStringLiteral("--csv"));
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.endsWith(QLatin1Char('\n')), qPrintable(run.out.right(200)));
    const QStringList lines = run.out.chopped(1).split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 1 + 360);
    QCOMPARE(lines.first(), RowKeys.join(QLatin1Char(',')));
    for (qsizetype i = 0; i < rows.size(); ++i)
        QCOMPARE(lines.at(i + 1).split(QLatin1Char(',')), rowTexts(rows.at(i).toObject()));
}

void TestCalc::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    // What the one-line reason must name.
    QTest::addColumn<QString>("names");

    QTest::newRow("missing --term") << args("--loan 100000 --rate 6") << QStringLiteral("--term");
    QTest::newRow("unknown option") << args("--loan 100000 --rate 6 --term 360 --years 30") << QStringLiteral("--years");
    QTest::newRow("amount not a number") << args("--loan abc --rate 6 --term 360") << QStringLiteral("abc");
    QTest::newRow("amount with grouping") << args("--loan 1,000 --rate 6 --term 360") << QStringLiteral("1,000");
    QTest::newRow("rate not a number") << args("--loan 100000 --rate six --term 360") << QStringLiteral("six");
    QTest::newRow("term beyond the column") << args("--loan 100000 --rate 6 --term 40000") << QStringLiteral("40000");
    QTest::newRow("term one beyond the column") << args("--loan 100000 --rate 6 --term 32768") << QStringLiteral("32768");
    QTest::newRow("term with decimals") << args("--loan 100000 --rate 6 --term 360.5") << QStringLiteral("360.5");
    QTest::newRow("repeated option") << args("--loan 100000 --rate 6 --term 360 --rate 7") << QStringLiteral("--rate");
    QTest::newRow("option without value") << args("--loan --rate 6 --term 360") << QStringLiteral("--loan");
    QTest::newRow("empty value after =") << args("--loan= --rate 6 --term 360") << QStringLiteral("--loan");
    QTest::newRow("no arguments") << QStringList{} << QStringLiteral("--loan");
    QTest::newRow("month 13") << args("--loan 100000 --rate 6 --term 360 --start 2005-13")
                              << QStringLiteral("--start '2005-13'");
    QTest::newRow("month 00") << args("--loan 100000 --rate 6 --term 360 --start 2005-00")
                              << QStringLiteral("--start '2005-00'");
    QTest::newRow("year 0") << args("--loan 100000 --rate 6 --term 360 --start 0000-03")
                            << QStringLiteral("--start '0000-03'");
    QTest::newRow("year 10000") << args("--loan 100000 --rate 6 --term 360 --start 10000-03")
                                << QStringLiteral("--start '10000-03'");
    QTest::newRow("start with a slash") << args("--loan 100000 --rate 6 --term 360 --start 2005/03")
                                        << QStringLiteral("--start '2005/03'");
    QTest::newRow("start with a one-digit month") << args("--loan 100000 --rate 6 --term 360 --start 2005-3")
                                                  << QStringLiteral("--start '2005-3'");
    QTest::newRow("prepayment not a number")
        << args("--loan 100000 --rate 6 --term 360 --start 2005-03 --prepayment abc")
        << QStringLiteral("--prepayment 'abc'");
    QTest::newRow("prepayment beyond Currency")
        << args("--loan 100000 --rate 6 --term 360 --start 2005-03 --prepayment 1000000000000000")
        << QStringLiteral("--prepayment '1000000000000000'");
    QTest::newRow("prepayment without start") << args("--loan 100000 --rate 6 --term 360 --prepayment 100")
                                              << QStringLiteral("--prepayment");
    QTest::newRow("csv without start") << args("--loan 100000 --rate 6 --term 360 --csv") << QStringLiteral("--csv");
    QTest::newRow("export without start") << args("--loan 100000 --rate 6 --term 360 --export payment")
                                          << QStringLiteral("--export");
    QTest::newRow("export of no view") << args("--loan 100000 --rate 6 --term 360 --start 2005-03 --export monthly")
                                       << QStringLiteral("monthly");
    QTest::newRow("export and csv") << args("--loan 100000 --rate 6 --term 360 --start 2005-03 --csv --export payment")
                                    << QStringLiteral("--export");
    QTest::newRow("flat without export") << args("--loan 100000 --rate 6 --term 360 --start 2005-03 --flat")
                                         << QStringLiteral("--flat");
}

void TestCalc::badArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, names);

    const Run run = calc(arguments);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QString());
    const QString reason = run.err.section(QLatin1Char('\n'), 0, 0);
    QVERIFY2(reason.startsWith(QLatin1String("calvora-calc: ")), qPrintable(run.err));
    QVERIFY2(reason.contains(names), qPrintable(run.err));
    QVERIFY2(run.err.contains(QLatin1String("usage: calvora-calc --loan AMOUNT --rate PERCENT --term MONTHS")),
             qPrintable(run.err));
}

void TestCalc::calculationFaults_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");

    QTest::newRow("term 0") << args("--loan 100000 --rate 6 --term 0")
                            << QStringLiteral("calvora-calc: Floating point division by zero\n");
    QTest::newRow("rate 0") << args("--loan 100000 --rate 0 --term 360")
                            << QStringLiteral("calvora-calc: Invalid floating point operation\n");
    QTest::newRow("loan 0") << args("--loan 0 --rate 6 --term 360")
                            << QStringLiteral("calvora-calc: Invalid floating point operation\n");
    // Faults of the schedule, after the payment calculation has succeeded;
    // past December 9999 after its first month has been generated.
    QTest::newRow("schedule past December 9999")
        << args("--loan 100000 --rate 6 --term 360 --start 9999-12")
        << QStringLiteral("calvora-calc: Invalid argument to date encode\n");
    QTest::newRow("CSV past December 9999")
        << args("--loan 100000 --rate 6 --term 360 --start 9999-12 --csv")
        << QStringLiteral("calvora-calc: Invalid argument to date encode\n");
    QTest::newRow("export past December 9999")
        << args("--loan 100000 --rate 6 --term 360 --start 9999-12 --export prepayment")
        << QStringLiteral("calvora-calc: Invalid argument to date encode\n");
    QTest::newRow("payment plus prepayment beyond Currency")
        << args("--loan 100000 --rate 6 --term 360 --start 2005-03 --prepayment 922337203685477")
        << QStringLiteral("calvora-calc: Floating point overflow\n");
}

void TestCalc::calculationFaults()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);

    const Run run = calc(arguments);
    QCOMPARE(run.exitCode, 1);
    // Not even the results computed before the fault.
    QCOMPARE(run.out, QString());
    QCOMPARE(run.err, message);
}

void TestCalc::help_data()
{
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("alone") << args("--help");
    QTest::newRow("among other options") << args("--loan 100000 --help --rate 6");
}

void TestCalc::help()
{
    QFETCH(QStringList, arguments);

    const Run run = calc(arguments);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QString());
    for (const char *option : {"--loan", "--rate", "--term", "--start", "--prepayment", "--csv"})
        QVERIFY2(run.out.contains(QLatin1String(option)), option);
    for (const QString &key : ScheduleKeys + RowKeys)
        QVERIFY2(run.out.contains(key), qPrintable(key));
}

QTEST_GUILESS_MAIN(TestCalc)
#include "test_calc.moc"
