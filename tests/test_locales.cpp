// Money in the regional settings of several countries: every amount shows its
// value, and the texts the money edit shows read back as the amount rounded
// to the locale's currency decimals, from zero to the limits of Currency.

#include "Connection.h"
#include "CvDBCurrencyEdit.h"
#include "DataSource.h"
#include "ErrorHandler.h"
#include "Field.h"
#include "FormSupport.h"
#include "Format.h"
#include "Query.h"
#include "StoreFixture.h"

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <limits>
#include <memory>

using namespace calvora;
using calvora::store::Query;

Q_DECLARE_METATYPE(calvora::RegionalSettings)

namespace {

constexpr qint64 RawMax = std::numeric_limits<qint64>::max();
constexpr qint64 RawMin = std::numeric_limits<qint64>::min();

RegionalSettings make(const char *symbol, int positive, int negative, const char *decimal,
                      const char *thousands, int decimals)
{
    RegionalSettings s = RegionalSettings::usEnglish();
    s.currencySymbol = symbol;
    s.positiveCurrencyFormat = positive;
    s.negativeCurrencyFormat = negative;
    s.decimalSeparator = decimal;
    s.thousandSeparator = thousands;
    s.currencyDecimals = decimals;
    return s;
}

struct Locale
{
    const char *name;
    RegionalSettings settings;
};

// Each locale by hand, as its own settings would be read.
const std::vector<Locale> &locales()
{
    static const std::vector<Locale> all{
        // "-$1,234.50"
        {"en_US", make("$", 0, 1, ".", ",", 2)},
        // "($1,234.50)"
        {"en_US parentheses", RegionalSettings::usEnglish()},
        // "ج.م. 1٬234٫500-": the sign after the number, Arabic separators.
        {"ar_EG", make("\u062c.\u0645.", 2, 11, "\u066b", "\u066c", 3)},
        // "￥-1,234": no decimals.
        {"ja_JP", make("\uffe5", 0, 2, ".", ",", 0)},
        // "-1.234,50 €"
        {"de_DE", make("\u20ac", 3, 8, ",", ".", 2)},
        // "1٬234٫500- ؋": the sign between the number and the symbol.
        {"ps_AF", make("\u060b", 3, 13, "\u066b", "\u066c", 3)},
    };
    return all;
}

__extension__ typedef __int128 Wide;

// The amount rounded to the given decimals, ties to even; one that would
// leave the range of Currency that way stays as it is.
qint64 roundedTo(qint64 raw, int decimals)
{
    Wide unit = 1;
    for (int i = decimals; i < 4; ++i)
        unit *= 10;
    const Wide magnitude = raw < 0 ? -Wide(raw) : Wide(raw);
    Wide units = magnitude / unit;
    const Wide rest = magnitude % unit;
    if (2 * rest > unit || (2 * rest == unit && units % 2 == 1))
        ++units;
    const Wide rounded = (raw < 0 ? -units : units) * unit;
    if (rounded > RawMax || rounded < RawMin)
        return raw;
    return qint64(rounded);
}

QString qt(const std::string &text)
{
    return QString::fromStdString(text);
}

// A money edit on a mortgage's HouseAmount and a plain edit to move the
// focus to, on one connection whose settings each test sets.
struct Window
{
    Window()
    {
        store.addMortgages({{1, QStringLiteral("First")}});
        connection.setDatabasePath(store.path());
        query.setSql(QStringLiteral("SELECT * FROM tblMortgage"));
        source.setDataSet(&query);
        auto *layout = new QVBoxLayout(&window);
        edit = new TCvDBCurrencyEdit(&window);
        other = new QLineEdit(&window);
        layout->addWidget(edit);
        layout->addWidget(other);
        edit->setDataSource(&source);
        edit->setDataField(QStringLiteral("HouseAmount"));
        query.open();
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            qWarning("the test window did not become active");
        other->setFocus();
    }

    StoreFixture store;
    store::Connection connection;
    Query query{connection, QStringLiteral("qMortgage")};
    store::DataSource source;
    QWidget window;
    TCvDBCurrencyEdit *edit = nullptr;
    QLineEdit *other = nullptr;
};

} // namespace

class TestLocales : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void everyAmountShowsItsValue_data();
    void everyAmountShowsItsValue();

private:
    std::unique_ptr<Window> m_window;
    QStringList m_errors;
};

void TestLocales::initTestCase()
{
    platform::initApplication();
    platform::setErrorSink([this](const QString &message) { m_errors << message; });
    m_window = std::make_unique<Window>();
}

void TestLocales::cleanupTestCase()
{
    m_window.reset();
    platform::resetErrorSink();
}

void TestLocales::cleanup()
{
    m_window->other->setFocus();
    if (m_window->query.isEditing())
        m_window->query.cancel();
    m_errors.clear();
}

void TestLocales::everyAmountShowsItsValue_data()
{
    QTest::addColumn<RegionalSettings>("settings");
    QTest::addColumn<qint64>("raw");
    // The exact texts unfocused and focused, where a row pins them.
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("bare");

    const QHash<QString, std::pair<QString, QString>> exact{
        {QStringLiteral("ar_EG negative"),
         {QStringLiteral("\u062c.\u0645. 1\u066c234\u066b500-"), QStringLiteral("-1234\u066b500")}},
        {QStringLiteral("ps_AF min"),
         {QStringLiteral("922\u066c337\u066c203\u066c685\u066c477\u066b5808- \u060b"),
          QStringLiteral("-922337203685477\u066b5808")}},
        {QStringLiteral("ja_JP max"),
         {QStringLiteral("\uffe5922,337,203,685,477.5807"), QStringLiteral("922337203685477.5807")}},
        {QStringLiteral("ja_JP negative tie"), {QStringLiteral("\uffe5-2"), QStringLiteral("-2")}},
        {QStringLiteral("de_DE negative"), {QStringLiteral("-1.234,50 \u20ac"), QStringLiteral("-1234,50")}},
    };
    for (const Locale &locale : locales()) {
        qint64 unit = 1; // one unit of the locale's last decimal, in ten-thousandths
        for (int i = locale.settings.currencyDecimals; i < 4; ++i)
            unit *= 10;
        const qint64 half = unit / 2;
        const qint64 top = RawMax / unit * unit; // the highest amount with the locale's decimals
        const std::pair<const char *, qint64> values[] = {
            {"zero", 0},
            {"positive", 12345000},
            {"negative", -12345000},
            {"half a unit ties to zero", half},
            {"one and a half units tie to two", 3 * half},
            {"negative tie", -3 * half},
            {"max", RawMax},
            {"below max", RawMax - 1},
            {"min", RawMin},
            {"above min", RawMin + 1},
            {"tie near max", top - half},
            {"near min with the locale's decimals", -top},
        };
        for (const auto &[valueName, raw] : values) {
            const QString name =
                QStringLiteral("%1 %2").arg(QLatin1String(locale.name), QLatin1String(valueName));
            const auto pinned = exact.value(name);
            QTest::newRow(qPrintable(name)) << locale.settings << raw << pinned.first << pinned.second;
        }
    }
    // Every placement of the sign, for a negative amount.
    for (int code = 0; code < 16; ++code) {
        RegionalSettings s = RegionalSettings::usEnglish();
        s.negativeCurrencyFormat = code;
        QTest::addRow("negative code %d", code) << s << qint64(-12345000) << QString() << QString();
    }
}

void TestLocales::everyAmountShowsItsValue()
{
    QFETCH(RegionalSettings, settings);
    QFETCH(qint64, raw);
    QFETCH(QString, shown);
    QFETCH(QString, bare);
    Window &w = *m_window;
    w.connection.setRegionalSettings(settings);
    const Currency value = Currency::fromRaw(raw);
    const qint64 expected = roundedTo(raw, settings.currencyDecimals);
    const QString text = qt(calvora::formatMoney(value, settings));
    if (!shown.isEmpty())
        QCOMPARE(text, shown);

    // The money text reads back the way the edit reads its own text.
    Currency read = Currency::fromRaw(-99);
    QCOMPARE(calvora::parseCurrency(w.edit->StripText(text).toStdString(), settings, read), ParseResult::Ok);
    QCOMPARE(read.raw(), expected);

    // Bound to a column holding the amount, the edit shows that text and
    // gives the amount back.
    w.query.edit();
    w.query.field(u"HouseAmount").setCurrency(value);
    QCOMPARE(w.edit->text(), text);
    QCOMPARE(w.edit->Value().raw(), raw);

    // Focused, it shows the bare number with the locale's decimals, which is
    // what leaving the edit writes back into the column.
    w.edit->setFocus(Qt::MouseFocusReason);
    const QString focused = w.edit->text();
    if (!bare.isEmpty())
        QCOMPARE(focused, bare);
    QCOMPARE(focused, qt(calvora::formatFixed(value, settings.currencyDecimals, settings)));
    read = Currency::fromRaw(-99);
    QCOMPARE(calvora::parseCurrency(focused.toStdString(), settings, read), ParseResult::Ok);
    QCOMPARE(read.raw(), expected);

    w.other->setFocus(Qt::TabFocusReason);
    QCOMPARE(w.edit->text(), text);
    QVERIFY2(m_errors.isEmpty(), qPrintable(m_errors.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestLocales)
#include "test_locales.moc"
