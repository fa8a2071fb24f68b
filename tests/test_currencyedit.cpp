// The money edit with real key and focus events on a window offscreen, bound
// to a column of a real database file.

#include "Connection.h"
#include "CvDBCurrencyEdit.h"
#include "DataSource.h"
#include "ErrorHandler.h"
#include "Field.h"
#include "FormSupport.h"
#include "Query.h"
#include "StoreFixture.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace calvora;
using calvora::store::Query;

namespace {

// A window with one money edit bound to a column of the first mortgage, and
// a plain edit to move the focus to.
class EditFixture
{
public:
    explicit EditFixture(const QString &column, const QString &assignments = QString())
    {
        store.addMortgages({{1, QStringLiteral("First")}, {2, QStringLiteral("Second")}});
        if (!assignments.isEmpty())
            store.exec({QStringLiteral("UPDATE tblMortgage SET %1").arg(assignments)});
        connection.setDatabasePath(store.path());
        connection.setRegionalSettings(RegionalSettings::usEnglish());
        query.setSql(QStringLiteral("SELECT * FROM tblMortgage\nORDER BY NameSequence"));
        source.setDataSet(&query);
        auto *layout = new QVBoxLayout(&window);
        edit = new TCvDBCurrencyEdit(&window);
        other = new QLineEdit(&window);
        layout->addWidget(edit);
        layout->addWidget(other);
        edit->setDataSource(&source);
        edit->setDataField(column);
        query.open();
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            qWarning("the test window did not become active");
        other->setFocus();
        platform::setErrorSink([this](const QString &message) { errors << message; });
    }
    ~EditFixture() { platform::resetErrorSink(); }

    void focusEdit() { edit->setFocus(Qt::MouseFocusReason); }
    void leaveEdit() { other->setFocus(Qt::TabFocusReason); }

    StoreFixture store;
    store::Connection connection;
    Query query{connection, QStringLiteral("qMortgage")};
    store::DataSource source;
    QWidget window;
    TCvDBCurrencyEdit *edit = nullptr;
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
    void valueWrittenByCodeIsShownFormatted();
    void changeFiresTwiceOnlyWhenTheTextIsReformatted_data();
    void changeFiresTwiceOnlyWhenTheTextIsReformatted();
    void stripAndCutRoutines();
};

void TestCurrencyEdit::keyRules_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("selected");
    QTest::addColumn<char>("key");
    QTest::addColumn<QString>("result");
    // caret is the selection's start when selected > 0.
    QTest::newRow("minus inside refused") << QStringLiteral("1234") << 2 << 0 << '-' << QStringLiteral("1234");
    QTest::newRow("minus at start accepted") << QStringLiteral("1234") << 0 << 0 << '-' << QStringLiteral("-1234");
    QTest::newRow("plus anywhere accepted") << QStringLiteral("1234") << 2 << 0 << '+' << QStringLiteral("12+34");
    QTest::newRow("second point refused") << QStringLiteral("12.34") << 5 << 0 << '.' << QStringLiteral("12.34");
    QTest::newRow("point replacing a selection over the point") << QStringLiteral("12.34") << 1 << 2 << '.' << QStringLiteral("1.34");
    QTest::newRow("point replacing a digit before the point") << QStringLiteral("12.34") << 0 << 1 << '.' << QStringLiteral("12.34");
    QTest::newRow("third decimal at the end refused") << QStringLiteral("1.23") << 4 << 0 << '5' << QStringLiteral("1.23");
    QTest::newRow("digit right after the point accepted") << QStringLiteral("1.23") << 2 << 0 << '5' << QStringLiteral("1.523");
    QTest::newRow("digit before the point accepted") << QStringLiteral("1.23") << 0 << 0 << '9' << QStringLiteral("91.23");
    QTest::newRow("first point accepted") << QStringLiteral("12") << 2 << 0 << '.' << QStringLiteral("12.");
    QTest::newRow("letter refused") << QStringLiteral("12") << 2 << 0 << 'a' << QStringLiteral("12");
    QTest::newRow("space refused") << QStringLiteral("12") << 2 << 0 << ' ' << QStringLiteral("12");
    QTest::newRow("comma refused") << QStringLiteral("12") << 2 << 0 << ',' << QStringLiteral("12");
    QTest::newRow("dollar refused") << QStringLiteral("12") << 0 << 0 << '$' << QStringLiteral("12");
}

void TestCurrencyEdit::keyRules()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(int, selected);
    QFETCH(char, key);
    QFETCH(QString, result);
    EditFixture f(QStringLiteral("HouseAmount"));
    f.focusEdit();
    f.edit->setText(text);
    if (selected > 0)
        f.edit->setSelection(caret, selected);
    else
        f.edit->setCursorPosition(caret);
    QTest::keyClick(f.edit, key);
    QCOMPARE(f.edit->text(), result);
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
