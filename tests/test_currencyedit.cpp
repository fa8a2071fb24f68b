// The money edit with real key and focus events on a window offscreen, bound
// to a column of a real database file.

#include "Connection.h"
#include "CvDBCurrencyEdit.h"
#include "DBNumericEdit.h"
#include "DataSource.h"
#include "ErrorHandler.h"
#include "Field.h"
#include "FormSupport.h"
#include "Query.h"
#include "StoreFixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace calvora;
using calvora::store::Query;

// One key event: its key, the modifiers held and the text it carries.
struct KeyStroke
{
    Qt::Key key = Qt::Key_unknown;
    Qt::KeyboardModifiers modifiers;
    QString text;
};

Q_DECLARE_METATYPE(KeyStroke)
Q_DECLARE_METATYPE(calvora::RegionalSettings)

namespace {

// Which edit the fixture puts on its column.
enum class EditClass
{
    Money,
    Plain,
    Numeric
};

// A window with one edit (a money edit unless told otherwise) bound to a
// column of the first mortgage, and a plain edit to move the focus to.
class EditFixture
{
public:
    explicit EditFixture(const QString &column, const QString &assignments = QString(),
                         EditClass editClass = EditClass::Money,
                         const RegionalSettings &settings = RegionalSettings::usEnglish())
    {
        store.addMortgages({{1, QStringLiteral("First")}, {2, QStringLiteral("Second")}});
        if (!assignments.isEmpty())
            store.exec({QStringLiteral("UPDATE tblMortgage SET %1").arg(assignments)});
        connection.setDatabasePath(store.path());
        connection.setRegionalSettings(settings);
        query.setSql(QStringLiteral("SELECT * FROM tblMortgage\nORDER BY NameSequence"));
        source.setDataSet(&query);
        auto *layout = new QVBoxLayout(&window);
        switch (editClass) {
        case EditClass::Money:
            input = edit = new TCvDBCurrencyEdit(&window);
            break;
        case EditClass::Plain:
            input = new platform::DBEdit(&window);
            break;
        case EditClass::Numeric:
            input = new platform::DBNumericEdit(&window);
            break;
        }
        other = new QLineEdit(&window);
        layout->addWidget(input);
        layout->addWidget(other);
        input->setDataSource(&source);
        input->setDataField(column);
        query.open();
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            qWarning("the test window did not become active");
        other->setFocus();
        platform::setErrorSink([this](const QString &message) { errors << message; });
    }
    ~EditFixture() { platform::resetErrorSink(); }

    void focusEdit() { input->setFocus(Qt::MouseFocusReason); }
    void leaveEdit() { other->setFocus(Qt::TabFocusReason); }

    StoreFixture store;
    store::Connection connection;
    Query query{connection, QStringLiteral("qMortgage")};
    store::DataSource source;
    QWidget window;
    platform::DBEdit *input = nullptr;
    TCvDBCurrencyEdit *edit = nullptr; // the input when it is a money edit
    QLineEdit *other = nullptr;
    QStringList errors;
};

} // namespace

class TestCurrencyEdit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { platform::initApplication(); }

    void keyRules_data();
    void keyRules();
    void keyTheColumnRefusesIsRefused();
    void focusShowsTheBareNumberAndLeavingFormatsIt();
    void typedAmountReachesTheColumn();
    void blankZero_data();
    void blankZero();
    void invalidTextReadsAsZero_data();
    void invalidTextReadsAsZero();
    void parenthesisedAmountStaysNegative();
    void valueThatIsNoAmountShowsAsStored_data();
    void valueThatIsNoAmountShowsAsStored();
    void valueWrittenByCodeIsShownFormatted();
    void changeFiresTwiceOnlyWhenTheTextIsReformatted_data();
    void changeFiresTwiceOnlyWhenTheTextIsReformatted();
    void stripAndCutRoutines();
};

namespace {

KeyStroke typing(char c)
{
    // The key of a printable ASCII character is its upper-case code.
    const char upper = c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
    return {Qt::Key(upper), Qt::NoModifier, QString(QLatin1Char(c))};
}

KeyStroke typing(const QString &text, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    return {Qt::Key_unknown, modifiers, text};
}

KeyStroke withAlt(char c)
{
    KeyStroke stroke = typing(c);
    stroke.modifiers = Qt::AltModifier;
    return stroke;
}

// Ctrl+letter, with the control character it carries.
KeyStroke ctrl(Qt::Key letter)
{
    return {letter, Qt::ControlModifier, QString(QChar(char16_t(letter - Qt::Key_A + 1)))};
}

// The form's edit for a column: the money edit for an amount, the plain edit
// for the rate and the name, the numeric edit for the term.
EditClass formEditFor(const QString &column)
{
    if (column == QLatin1String("HouseAmount"))
        return EditClass::Money;
    if (column == QLatin1String("TermInMonth"))
        return EditClass::Numeric;
    return EditClass::Plain;
}

// "1.234,50 €": a decimal comma.
RegionalSettings germany()
{
    RegionalSettings s = RegionalSettings::usEnglish();
    s.currencySymbol = "\u20ac";
    s.positiveCurrencyFormat = 3;
    s.negativeCurrencyFormat = 8;
    s.decimalSeparator = ",";
    s.thousandSeparator = ".";
    return s;
}

} // namespace

void TestCurrencyEdit::keyRules_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<RegionalSettings>("settings");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("selected");
    QTest::addColumn<KeyStroke>("stroke");
    QTest::addColumn<QString>("result");
    // caret is the selection's start when selected > 0.
    const auto row = [](const char *name, const QString &column, const QString &text, int caret, int selected,
                        const KeyStroke &stroke, const QString &result,
                        const RegionalSettings &settings = RegionalSettings::usEnglish()) {
        QTest::newRow(name) << column << settings << text << caret << selected << stroke << result;
    };
    const QString money = QStringLiteral("HouseAmount");
    const QString rate = QStringLiteral("InterestRate");
    const QString term = QStringLiteral("TermInMonth");
    const QString name = QStringLiteral("MortgageName");
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    const QString mathDigit = QString::fromUcs4(U"\U0001D7CF"); // a bold digit one

    row("minus inside refused", money, QStringLiteral("1234"), 2, 0, typing('-'), QStringLiteral("1234"));
    row("minus at start accepted", money, QStringLiteral("1234"), 0, 0, typing('-'), QStringLiteral("-1234"));
    row("plus anywhere accepted", money, QStringLiteral("1234"), 2, 0, typing('+'), QStringLiteral("12+34"));
    row("second point refused", money, QStringLiteral("12.34"), 5, 0, typing('.'), QStringLiteral("12.34"));
    row("point replacing a selection over the point", money, QStringLiteral("12.34"), 1, 2, typing('.'),
        QStringLiteral("1.34"));
    row("point replacing a digit before the point", money, QStringLiteral("12.34"), 0, 1, typing('.'),
        QStringLiteral("12.34"));
    row("third decimal at the end refused", money, QStringLiteral("1.23"), 4, 0, typing('5'),
        QStringLiteral("1.23"));
    row("digit right after the point accepted", money, QStringLiteral("1.23"), 2, 0, typing('5'),
        QStringLiteral("1.523"));
    row("digit before the point accepted", money, QStringLiteral("1.23"), 0, 0, typing('9'),
        QStringLiteral("91.23"));
    row("first point accepted", money, QStringLiteral("12"), 2, 0, typing('.'), QStringLiteral("12."));
    row("letter refused", money, QStringLiteral("12"), 2, 0, typing('a'), QStringLiteral("12"));
    row("space refused", money, QStringLiteral("12"), 2, 0, typing(' '), QStringLiteral("12"));
    row("comma refused", money, QStringLiteral("12"), 2, 0, typing(','), QStringLiteral("12"));
    row("dollar refused", money, QStringLiteral("12"), 0, 0, typing('$'), QStringLiteral("12"));
    // The decimal separator is the locale's.
    row("second decimal comma refused", money, QStringLiteral("12,34"), 5, 0, typing(','),
        QStringLiteral("12,34"), germany());
    row("third decimal after a decimal comma refused", money, QStringLiteral("1,23"), 4, 0, typing('5'),
        QStringLiteral("1,23"), germany());
    // Characters beyond the basic plane come as two UTF-16 units in one event.
    row("emoji into the money edit refused", money, QStringLiteral("12"), 2, 0, typing(emoji),
        QStringLiteral("12"));
    row("mathematical digit into the money edit refused", money, QStringLiteral("12"), 2, 0,
        typing(mathDigit), QStringLiteral("12"));
    row("emoji into the rate refused", rate, QStringLiteral("6.5"), 3, 0, typing(emoji),
        QStringLiteral("6.5"));
    row("mathematical digit into the rate refused", rate, QStringLiteral("6.5"), 3, 0, typing(mathDigit),
        QStringLiteral("6.5"));
    row("emoji into the term refused", term, QStringLiteral("360"), 3, 0, typing(emoji),
        QStringLiteral("360"));
    row("mathematical digit into the term refused", term, QStringLiteral("360"), 3, 0, typing(mathDigit),
        QStringLiteral("360"));
    row("emoji into the name accepted whole", name, QStringLiteral("Home"), 4, 0, typing(emoji),
        QStringLiteral("Home") + emoji);
    // Text typed with Alt or AltGr held is typed text, under the same rules.
    row("Alt+5 into the money edit types the digit", money, QStringLiteral("12"), 2, 0, withAlt('5'),
        QStringLiteral("125"));
    row("Alt+a into the money edit refused", money, QStringLiteral("12"), 2, 0, withAlt('a'),
        QStringLiteral("12"));
    row("Alt+a into the rate refused", rate, QStringLiteral("6.5"), 3, 0, withAlt('a'),
        QStringLiteral("6.5"));
    row("AltGr euro sign into the money edit refused", money, QStringLiteral("12"), 2, 0,
        typing(QStringLiteral("\u20ac"), Qt::ControlModifier | Qt::AltModifier), QStringLiteral("12"));
    row("two characters in one event, each under the rules", money, QStringLiteral("12"), 2, 0,
        typing(QStringLiteral("3a")), QStringLiteral("123"));
    // Shortcuts insert no typed text and keep working; the clipboard holds "42".
    row("Ctrl+V pastes", money, QStringLiteral("12"), 1, 0, ctrl(Qt::Key_V), QStringLiteral("1422"));
    row("Ctrl+X cuts the selection", money, QStringLiteral("1234"), 1, 2, ctrl(Qt::Key_X),
        QStringLiteral("14"));
}

void TestCurrencyEdit::keyRules()
{
    QFETCH(QString, column);
    QFETCH(RegionalSettings, settings);
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(int, selected);
    QFETCH(KeyStroke, stroke);
    QFETCH(QString, result);
    EditFixture f(column, QString(), formEditFor(column), settings);
    QGuiApplication::clipboard()->setText(QStringLiteral("42"));
    f.focusEdit();
    f.input->setText(text);
    if (selected > 0)
        f.input->setSelection(caret, selected);
    else
        f.input->setCursorPosition(caret);
    QTest::sendKeyEvent(QTest::Click, f.input, stroke.key, stroke.text, stroke.modifiers);
    QCOMPARE(f.input->text(), result);
}

void TestCurrencyEdit::keyTheColumnRefusesIsRefused()
{
    // A point passes the edit's own rules but a whole-number column refuses it.
    EditFixture f(QStringLiteral("TermInMonth"), QStringLiteral("TermInMonth=360"));
    f.focusEdit();
    f.edit->setCursorPosition(3);
    QTest::keyClick(f.edit, '.');
    QCOMPARE(f.edit->text(), QStringLiteral("360"));
    QCOMPARE(f.query.state(), Query::State::Browse);
    QTest::keyClick(f.edit, '0');
    QCOMPARE(f.edit->text(), QStringLiteral("3600"));
    QCOMPARE(f.query.state(), Query::State::Edit);
}

void TestCurrencyEdit::focusShowsTheBareNumberAndLeavingFormatsIt()
{
    EditFixture f(QStringLiteral("HouseAmount"), QStringLiteral("HouseAmount=2345000"));
    QCOMPARE(f.edit->text(), QStringLiteral("$234.50"));
    f.focusEdit();
    QCOMPARE(f.edit->text(), QStringLiteral("234.50"));
    f.leaveEdit();
    QCOMPARE(f.edit->text(), QStringLiteral("$234.50"));
    QCOMPARE(f.query.state(), Query::State::Browse);
    QVERIFY(f.errors.isEmpty());
}

void TestCurrencyEdit::typedAmountReachesTheColumn()
{
    EditFixture f(QStringLiteral("HouseAmount"));
    f.focusEdit();
    f.edit->selectAll();
    QTest::keyClicks(f.edit, QStringLiteral("250000.5"));
    f.leaveEdit();
    QVERIFY(f.errors.isEmpty());
    QCOMPARE(f.query.field(u"HouseAmount").asCurrency().raw(), 2500005000);
    QCOMPARE(f.edit->text(), QStringLiteral("$250,000.50"));
    QCOMPARE(f.edit->Value().raw(), 2500005000);
}

void TestCurrencyEdit::blankZero_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("blankZero");
    QTest::addColumn<QString>("shown");
    QTest::newRow("null column") << QStringLiteral("NULL") << false << QStringLiteral("$0.00");
    QTest::newRow("null column, blank zero") << QStringLiteral("NULL") << true << QStringLiteral("");
    QTest::newRow("zero, blank zero") << QStringLiteral("0") << true << QStringLiteral("");
    QTest::newRow("amount, blank zero") << QStringLiteral("10000") << true << QStringLiteral("$1.00");
}

void TestCurrencyEdit::blankZero()
{
    QFETCH(QString, stored);
    QFETCH(bool, blankZero);
    QFETCH(QString, shown);
    EditFixture f(QStringLiteral("DownPayment"), QStringLiteral("DownPayment=%1").arg(stored));
    f.edit->setBlankZero(blankZero);
    f.focusEdit();
    f.leaveEdit();
    QCOMPARE(f.edit->text(), shown);
    QCOMPARE(f.edit->Value().isZero(), stored != QLatin1String("10000"));
}

void TestCurrencyEdit::invalidTextReadsAsZero_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("minus inside") << QStringLiteral("1-2");
    QTest::newRow("two minus signs") << QStringLiteral("--5");
    QTest::newRow("lone plus") << QStringLiteral("+");
}

void TestCurrencyEdit::invalidTextReadsAsZero()
{
    QFETCH(QString, text);
    TCvDBCurrencyEdit edit;
    edit.setText(text);
    QCOMPARE(edit.Value().raw(), 0);
    // Not focused: the text is shown as the formatted zero.
    QCOMPARE(edit.text(), QStringLiteral("$0.00"));
}

void TestCurrencyEdit::parenthesisedAmountStaysNegative()
{
    TCvDBCurrencyEdit edit;
    edit.setText(QStringLiteral("($12.00)"));
    QCOMPARE(edit.Value().raw(), -120000);
    QCOMPARE(edit.StripText(QStringLiteral("($1,234.50)")), QStringLiteral("-1234.50"));
    QCOMPARE(edit.text(), QStringLiteral("($12.00)"));

    // Bound: a negative loan amount edits as a negative number.
    EditFixture f(QStringLiteral("LoanAmount"), QStringLiteral("LoanAmount=-500000000"));
    QCOMPARE(f.edit->text(), QStringLiteral("($50,000.00)"));
    f.focusEdit();
    QCOMPARE(f.edit->text(), QStringLiteral("-50000.00"));
}

void TestCurrencyEdit::valueThatIsNoAmountShowsAsStored_data()
{
    QTest::addColumn<QString>("stored"); // an SQL literal
    QTest::addColumn<QString>("shown");
    QTest::newRow("letters") << QStringLiteral("'abc'") << QStringLiteral("abc");
    QTest::newRow("grouped number text") << QStringLiteral("'250,000.00'") << QStringLiteral("250,000.00");
}

void TestCurrencyEdit::valueThatIsNoAmountShowsAsStored()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    EditFixture f(QStringLiteral("HouseAmount"), QStringLiteral("HouseAmount=%1").arg(stored));
    QCOMPARE(f.edit->text(), shown);
    f.focusEdit();
    f.leaveEdit();
    QCOMPARE(f.edit->text(), shown);
}

void TestCurrencyEdit::valueWrittenByCodeIsShownFormatted()
{
    TCvDBCurrencyEdit edit;
    edit.setValue(Currency::fromRaw(2345650));
    QCOMPARE(edit.text(), QStringLiteral("$234.56")); // 234.565 to even
    QCOMPARE(edit.Value().raw(), 2345650);            // the amount written, not the text
    edit.setValue(Currency::fromRaw(2345750));
    QCOMPARE(edit.text(), QStringLiteral("$234.58"));
}

void TestCurrencyEdit::changeFiresTwiceOnlyWhenTheTextIsReformatted_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<int>("changes");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain number column") << QStringLiteral("BiweeklyPayment") << 2 << QStringLiteral("$299.78");
    QTest::newRow("money column") << QStringLiteral("HouseAmount") << 1 << QStringLiteral("$299.78");
}

void TestCurrencyEdit::changeFiresTwiceOnlyWhenTheTextIsReformatted()
{
    QFETCH(QString, column);
    QFETCH(int, changes);
    QFETCH(QString, shown);
    EditFixture f(column, QStringLiteral("%1 = CASE NameSequence WHEN 2 THEN 2997752 ELSE 10000 END").arg(column));
    QSignalSpy spy(f.edit, &platform::DBEdit::changed);
    f.query.next();
    QCOMPARE(spy.count(), changes);
    QCOMPARE(f.edit->text(), shown);
}

void TestCurrencyEdit::stripAndCutRoutines()
{
    QCOMPARE(CutText(QStringLiteral("abcdef"), 2, 3), QStringLiteral("aef"));
    QCOMPARE(CutText(QStringLiteral("abc"), 3, 5), QStringLiteral("ab"));
    QCOMPARE(RemoveAllText(QStringLiteral("usd"), QStringLiteral("USD 12 usd")), QStringLiteral(" 12 "));
    TCvDBCurrencyEdit edit;
    QCOMPARE(edit.StripText(QStringLiteral("$234.50")), QStringLiteral("234.50"));
    QCOMPARE(edit.StripText(QStringLiteral("$2,000.00")), QStringLiteral("2000.00"));
    QCOMPARE(edit.StripText(QStringLiteral("-234.5")), QStringLiteral("-234.5"));
}

QTEST_MAIN(TestCurrencyEdit)
#include "test_currencyedit.moc"
