// calvora-calc run as a script runs it: the JSON it prints, its exit codes
// and what it says on standard error.

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

// The keys of a one-level JSON object in the order the text has them.
QStringList keysInTextOrder(const QString &text)
{
    static const QRegularExpression key(QStringLiteral("\"(\\w+)\":"));
    QStringList keys;
    for (const QRegularExpressionMatch &match : key.globalMatch(text))
        keys << match.captured(1);
    return keys;
}

QStringList args(const char *line) { return QString::fromLatin1(line).split(QLatin1Char(' '), Qt::SkipEmptyParts); }

} // namespace

class TestCalc : public QObject
{
    Q_OBJECT

private slots:
    void results_data();
    void results();
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
    for (const char *option : {"--loan", "--rate", "--term"})
        QVERIFY2(run.out.contains(QLatin1String(option)), option);
    for (const QString &key : ResultKeys)
        QVERIFY2(run.out.contains(key), qPrintable(key));
}

QTEST_GUILESS_MAIN(TestCalc)
#include "test_calc.moc"
