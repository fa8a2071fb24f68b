// The record-set layer on a real database file: reading, moving, editing and
// storing records, the events the forms rely on, and the file's faults.

#include "Command.h"
#include "Connection.h"
#include "DataSource.h"
#include "Errors.h"
#include "Field.h"
#include "Query.h"
#include "StoreError.h"
#include "StoreFixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

using namespace calvora;
using namespace calvora::store;

namespace {

const QString kMortgageSql = QStringLiteral("SELECT * FROM tblMortgage\nORDER BY NameSequence");

// A connection and the mortgage query over a fixture's file, counting the
// after-scroll events.
struct MortgageQuery
{
    explicit MortgageQuery(const StoreFixture &fixture)
    {
        connection.setDatabasePath(fixture.path());
        connection.setRegionalSettings(RegionalSettings::usEnglish());
        query.setSql(kMortgageSql);
        query.afterScroll = [this](Query &) { ++scrolls; };
    }
    QString name() const { return query.field(u"MortgageName").asString(); }

    Connection connection;
    Query query{connection, QStringLiteral("qMortgage")};
    int scrolls = 0;
};

// Records what a data source tells its controls.
struct RecordingLink : DataLink
{
    void dataSetChanged() override { events << QStringLiteral("changed"); }
    void dataSetScrolled() override { events << QStringLiteral("scrolled"); }
    void recordChanged(const Field *field) override
    {
        events << QStringLiteral("record:") + (field ? field->name() : QStringLiteral("*"));
    }
    void editingChanged() override { events << QStringLiteral("editing"); }
    void updateData() override
    {
        events << QStringLiteral("update");
        if (pendingField)
            pendingField->setText(pendingText);
    }
    QStringList events;
    Field *pendingField = nullptr;
    QString pendingText;
};

QString message(const std::function<void()> &action)
{
    try {
        action();
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

} // namespace

class TestStore : public QObject
{
    Q_OBJECT

private slots:
    void createDatabaseWritesTablesAndMonths();
    void createDatabaseRefusesAnExistingFile();

    void openMakesFirstRowCurrentInListOrder();
    void openOnAnEmptyTableRaisesNoScroll();
    void movesRaiseAfterScrollButPostDoesNot();
    void locateFindsFirstMatchOrStays_data();
    void locateFindsFirstMatchOrStays();
    void nullColumnsReadAsZero();
    void moneyColumnTexts_data();
    void moneyColumnTexts();
    void textsThatAreNotValuesAreRefused_data();
    void textsThatAreNotValuesAreRefused();

    void requeryStoresAPendingEdit();
    void requeryTakesPendingTextFromControls();
    void requeryOnAnEmptyResultStillScrolls();
    void closeDropsAPendingEdit();
    void editOnAnEmptyQueryBeginsAnInsert();
    void postOfAnInsertAddsTheRowWithItsKey();
    void cancelOfAnInsertRemovesTheRecord();
    void cursorSkipsANewRecordNotStoredYet();
    void parameterSelectsRows();
    void disabledControlsAreRefreshedOnEnable();
    void storingIntoADeletedRowFails();

    void missingFileIsNamedAndNotCreated();
    void readOnlyFileKeepsTheEdit();
    void lockedFileFailsWithinBoundedTime();
    void missingColumnOrTableIsNamed_data();
    void missingColumnOrTableIsNamed();
    void damagedFileFailsWithMessage();
    void commandReportsFailures();
};

void TestStore::createDatabaseWritesTablesAndMonths()
{
    StoreFixture fixture;
    QCOMPARE(fixture.value(QStringLiteral("SELECT COUNT(*) FROM tblMonth")).toInt(), 12);
    QCOMPARE(fixture.value(QStringLiteral("SELECT MonthName FROM tblMonth WHERE MonthID=1")).toString(),
             QStringLiteral("Jan"));
    QCOMPARE(fixture.value(QStringLiteral("SELECT MonthName FROM tblMonth WHERE MonthID=12")).toString(),
             QStringLiteral("Dec"));
    QCOMPARE(fixture.value(QStringLiteral("SELECT COUNT(*) FROM tblMortgage")).toInt(), 0);
    QCOMPARE(fixture.value(QStringLiteral("SELECT COUNT(*) FROM tblAmortization")).toInt(), 0);
}

void TestStore::createDatabaseRefusesAnExistingFile()
{
    StoreFixture fixture;
    fixture.addMortgages({{1, QStringLiteral("Kept")}});
    const QString text = message([&] { createDatabase(fixture.path()); });
    QVERIFY2(text.contains(fixture.path()), qPrintable(text));
    QCOMPARE(fixture.value(QStringLiteral("SELECT MortgageName FROM tblMortgage")).toString(), QStringLiteral("Kept"));
}

void TestStore::openMakesFirstRowCurrentInListOrder()
{
    StoreFixture fixture;
    fixture.addMortgages({{3, QStringLiteral("Third")}, {1, QStringLiteral("First")}, {2, QStringLiteral("Second")}});
    MortgageQuery m(fixture);
    m.query.open();
    QCOMPARE(m.query.recordCount(), 3);
    QCOMPARE(m.name(), QStringLiteral("First"));
    QCOMPARE(m.scrolls, 1);
    QVERIFY(m.connection.isConnected());
    m.query.close();
    QVERIFY(!m.connection.isConnected());
}

void TestStore::openOnAnEmptyTableRaisesNoScroll()
{
    StoreFixture fixture;
    MortgageQuery m(fixture);
    m.query.open();
    QVERIFY(m.query.isEmpty());
    QCOMPARE(m.scrolls, 0);
    QCOMPARE(m.query.currentRow(), -1);
}

void TestStore::movesRaiseAfterScrollButPostDoesNot()
{
    StoreFixture fixture;
    fixture.addMortgages({{1, QStringLiteral("A")}, {2, QStringLiteral("B")}});
    MortgageQuery m(fixture);
    m.query.open();
    m.query.next();
    QCOMPARE(m.name(), QStringLiteral("B"));
    QCOMPARE(m.scrolls, 2);
    m.query.edit();
    m.query.field(u"MortgageName").setString(QStringLiteral("Bee"));
    m.query.post();
    QCOMPARE(m.scrolls, 2);
    m.query.first();
    QCOMPARE(m.scrolls, 3);
    QCOMPARE(fixture.value(QStringLiteral("SELECT MortgageName FROM tblMortgage WHERE NameSequence=2")).toString(),
             QStringLiteral("Bee"));
}

void TestStore::locateFindsFirstMatchOrStays_data()
{
    QTest::addColumn<qint64>("sequence");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("current");
    QTest::addColumn<int>("scrolls");
    // Rows in list order: 1 A, 2 B, 2 C, 3 D; the query starts on D.
    QTest::newRow("match") << qint64(3) << true << QStringLiteral("D") << 1;
    QTest::newRow("first of two matches in list order") << qint64(2) << true << QStringLiteral("B") << 1;
    QTest::newRow("no match stays") << qint64(9) << false << QStringLiteral("D") << 0;
}

void TestStore::locateFindsFirstMatchOrStays()
{
    QFETCH(qint64, sequence);
    QFETCH(bool, found);
    QFETCH(QString, current);
    QFETCH(int, scrolls);
    StoreFixture fixture;
    fixture.addMortgages({{3, QStringLiteral("D")}, {2, QStringLiteral("B")}, {1, QStringLiteral("A")}, {2, QStringLiteral("C")}});
    MortgageQuery m(fixture);
    m.query.open();
    QVERIFY(m.query.locate(u"MortgageName", QStringLiteral("D")));
    m.scrolls = 0;
    QCOMPARE(m.query.locate(u"NameSequence", sequence), found);
    QCOMPARE(m.name(), current);
    QCOMPARE(m.scrolls, scrolls);
}

void TestStore::nullColumnsReadAsZero()
{
    StoreFixture fixture;
    fixture.addMortgages({{1, QStringLiteral("Only a name")}});
    MortgageQuery m(fixture);
    m.query.open();
    QCOMPARE(m.query.field(u"InterestRate").asDouble(), 0.0);
    QCOMPARE(m.query.field(u"TermInMonth").asInteger(), 0);
    QVERIFY(m.query.field(u"LoanAmount").asCurrency().isZero());
    QCOMPARE(m.query.field(u"StartYear").asInteger(), 0);
    QVERIFY(m.query.field(u"LoanAmount").displayText().isEmpty());
    QVERIFY(m.query.field(u"LoanAmount").asString().isEmpty());
}

void TestStore::moneyColumnTexts_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<qint64>("raw");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("edit");
    QTest::newRow("shown as money") << QStringLiteral("HouseAmount") << qint64(2345000) << QStringLiteral("$234.50")
                                    << QStringLiteral("234.50");
    QTest::newRow("negative money") << QStringLiteral("LoanAmount") << qint64(-500000000)
                                    << QStringLiteral("($50,000.00)") << QStringLiteral("-50000.00");
    QTest::newRow("more decimals round ties to even") << QStringLiteral("HouseAmount") << qint64(2345650)
                                                      << QStringLiteral("$234.56") << QStringLiteral("234.56");
    QTest::newRow("plain number keeps every decimal") << QStringLiteral("BiweeklyPayment") << qint64(2997752)
                                                      << QStringLiteral("299.7752") << QStringLiteral("299.7752");
    QTest::newRow("plain whole number") << QStringLiteral("BiweeklyTotal") << qint64(1000000)
                                        << QStringLiteral("100") << QStringLiteral("100");
}

void TestStore::moneyColumnTexts()
{
    QFETCH(QString, column);
    QFETCH(qint64, raw);
    QFETCH(QString, display);
    QFETCH(QString, edit);
    StoreFixture fixture;
    fixture.addMortgages({{1, QStringLiteral("A")}});
    fixture.exec({QStringLiteral("UPDATE tblMortgage SET %1=%2").arg(column).arg(raw)});
    MortgageQuery m(fixture);
    m.query.open();
    const Field &field = m.query.field(column);
    QCOMPARE(field.asCurrency().raw(), raw);
    QCOMPARE(field.displayText(), display);
    QCOMPARE(field.editText(), edit);
}

void TestStore::textsThatAreNotValuesAreRefused_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    QTest::newRow("letters in an amount") << QStringLiteral("HouseAmount") << QStringLiteral("12a")
                                          << QStringLiteral("'12a' is not a valid amount");
    QTest::newRow("amount beyond the money range") << QStringLiteral("HouseAmount")
                                                   << QStringLiteral("99999999999999999")
                                                   << QStringLiteral("'99999999999999999' is too large for an amount");
    QTest::newRow("term beyond 16 bits") << QStringLiteral("TermInMonth") << QStringLiteral("40000")
                                         << QStringLiteral("40000 is not a valid value for TermInMonth. The allowed "
                                                           "range is -32768 to 32767.");
    QTest::newRow("two points in a rate") << QStringLiteral("InterestRate") << QStringLiteral("6.5.1")
                                          << QStringLiteral("'6.5.1' is not a valid floating point value");
}

void TestStore::textsThatAreNotValuesAreRefused()
{
    QFETCH(QString, column);
    QFETCH(QString, text);
    QFETCH(QString, error);
    StoreFixture fixture;
    fixture.addMortgages({{1, QStringLiteral("A")}});
    fixture.exec({QStringLiteral("UPDATE tblMortgage SET HouseAmount=10000, TermInMonth=360, InterestRate=6")});
    MortgageQuery m(fixture);
    m.query.open();
    m.query.edit();
    const QString before = m.query.field(column).editText();
    QCOMPARE(message([&] { m.query.field(column).setText(text); }), error);
    QCOMPARE(m.query.field(column).editText(), before);
}

void TestStore::requeryStoresAPendingEdit()
{
    StoreFixture fixture;
    fixture.addMortgages({{1, QStringLiteral("A")}, {2, QStringLiteral("B")}});
    MortgageQuery m(fixture);
    m.query.open();
    m.query.next();
    m.query.edit();
    m.query.field(u"InterestRate").setDouble(6.5);
    fixture.addMortgages({{0, QStringLiteral("Added elsewhere")}});
    m.scrolls = 0;
    m.query.requery();
    QCOMPARE(m.query.state(), Query::State::Browse);
    QCOMPARE(m.query.recordCount(), 3);
    QCOMPARE(m.name(), QStringLiteral("Added elsewhere"));
    QCOMPARE(m.scrolls, 1);
    QCOMPARE(fixture.value(QStringLiteral("SELECT InterestRate FROM tblMortgage WHERE NameSequence=2")).toDouble(), 6.5);
}

void TestStore::requeryTakesPendingTextFromControls()
{
    StoreFixture fixture;
    fixture.addMortgages({{1, QStringLiteral("A")}});
    MortgageQuery m(fixture);
    DataSource source;
    source.setDataSet(&m.query);
    RecordingLink link;
    link.setDataSource(&source);
    m.query.open();
    m.query.edit();
    link.pendingField = &m.query.field(u"HouseAmount");
    link.pendingText = QStringLiteral("1234.5");
    m.query.requery();
    QVERIFY(link.events.contains(QStringLiteral("update")));
    QCOMPARE(fixture.value(QStringLiteral("SELECT HouseAmount FROM tblMortgage")).toLongLong(), 12345000);
}

void TestStore::requeryOnAnEmptyResultStillScrolls()
{
    StoreFixture fixture;
    MortgageQuery m(fixture);
    m.query.open();
    m.query.requery();
    QCOMPARE(m.scrolls, 1);
}

void TestStore::closeDropsAPendingEdit()
{
    StoreFixture fixture;
    fixture.addMortgages({{1, QStringLiteral("A")}});
    MortgageQuery m(fixture);
    m.query.open();
    m.query.edit();
    m.query.field(u"MortgageName").setString(QStringLiteral("Changed"));
    m.query.close();
    QCOMPARE(fixture.value(QStringLiteral("SELECT MortgageName FROM tblMortgage")).toString(), QStringLiteral("A"));
}

void TestStore::editOnAnEmptyQueryBeginsAnInsert()
{
    StoreFixture fixture;
    MortgageQuery m(fixture);
    m.query.open();
    m.query.edit();
    QCOMPARE(m.query.state(), Query::State::Insert);
    QCOMPARE(m.scrolls, 1);
    QCOMPARE(m.query.recordCount(), 0);
    QCOMPARE(m.query.field(u"MortgageID").asInteger(), 0);
}

void TestStore::postOfAnInsertAddsTheRowWithItsKey()
{
    StoreFixture fixture;
    MortgageQuery m(fixture);
    m.query.open();
    m.query.insert();
    m.query.field(u"MortgageName").setString(QStringLiteral("New"));
    m.query.field(u"HouseAmount").setCurrency(Currency::fromRaw(25000000));
    m.query.post();
    QCOMPARE(m.query.recordCount(), 1);
    const qint64 id = m.query.field(u"MortgageID").asInteger();
    QVERIFY(id > 0);
    QCOMPARE(fixture.value(QStringLiteral("SELECT HouseAmount FROM tblMortgage WHERE MortgageID=%1").arg(id)).toLongLong(),
             25000000);
}

void TestStore::cancelOfAnInsertRemovesTheRecord()
{
    StoreFixture fixture;
    fixture.addMortgages({{1, QStringLiteral("A")}});
    MortgageQuery m(fixture);
    m.query.open();
    m.query.insert();
    QCOMPARE(m.query.viewRowCount(), 2);
    m.query.cancel();
    QCOMPARE(m.query.viewRowCount(), 1);
    QCOMPARE(m.name(), QStringLiteral("A"));

    // Moving away from an unchanged new record drops it, and the move still
    // lands on the row that was chosen.
    fixture.addMortgages({{2, QStringLiteral("B")}});
    m.query.requery();
    m.query.insert(); // shown before A: the rows are new, A, B
    m.query.moveTo(2);
    QCOMPARE(m.query.viewRowCount(), 2);
    QCOMPARE(m.name(), QStringLiteral("B"));
}

void TestStore::cursorSkipsANewRecordNotStoredYet()
{
    StoreFixture fixture;
    fixture.addMortgages({{1, QStringLiteral("A")}, {2, QStringLiteral("B")}});
    MortgageQuery m(fixture);
    m.query.open();
    m.query.insert();
    QStringList names;
    for (Query::Cursor rows = m.query.cursor(); !rows.eof(); rows.next())
        names << rows.value(u"MortgageName").toString();
    QCOMPARE(names, (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
    QCOMPARE(m.query.cursor().count(), 2);
    QCOMPARE(m.query.state(), Query::State::Insert);
}

void TestStore::parameterSelectsRows()
{
    StoreFixture fixture;
    fixture.exec({QStringLiteral("INSERT INTO tblAmortization (MortgageID, PayDate, Principal) VALUES "
                                 "(7, '2025-01-01', 10000), (7, '2025-02-01', 20000), (8, '2025-01-01', 1)")});
    Connection connection;
    connection.setDatabasePath(fixture.path());
    Query schedule(connection, QStringLiteral("qAmortization"));
    schedule.setSql(QStringLiteral("SELECT * FROM tblAmortization\nWHERE MortgageID=:MortgageID"));
    for (const auto &[id, rows] : {std::pair{7, 2}, std::pair{0, 0}}) {
        schedule.close();
        schedule.setParameter(QStringLiteral("MortgageID"), id);
        schedule.open();
        QCOMPARE(schedule.recordCount(), rows);
    }
    schedule.close();
    schedule.setParameter(QStringLiteral("MortgageID"), 7);
    schedule.open();
    QCOMPARE(decodeDate(schedule.field(u"PayDate").asDate()), (DateParts{2025, 1, 1}));
}

void TestStore::disabledControlsAreRefreshedOnEnable()
{
    StoreFixture fixture;
    fixture.addMortgages({{1, QStringLiteral("A")}, {2, QStringLiteral("B")}});
    MortgageQuery m(fixture);
    DataSource source;
    source.setDataSet(&m.query);
    RecordingLink link;
    link.setDataSource(&source);
    m.query.open();
    link.events.clear();
    m.query.disableControls();
    m.query.next();
    m.query.requery();
    QVERIFY(link.events.isEmpty());
    m.query.enableControls();
    QCOMPARE(link.events, QStringList{QStringLiteral("changed")});
}

void TestStore::storingIntoADeletedRowFails()
{
    StoreFixture fixture;
    fixture.addMortgages({{1, QStringLiteral("A")}});
    MortgageQuery m(fixture);
    m.query.open();
    m.query.edit();
    m.query.field(u"MortgageName").setString(QStringLiteral("Changed"));
    fixture.exec({QStringLiteral("DELETE FROM tblMortgage")});
    const QString text = message([&] { m.query.post(); });
    QVERIFY2(text.contains(QStringLiteral("was deleted by another program")), qPrintable(text));
    QCOMPARE(m.query.state(), Query::State::Edit);
    QCOMPARE(fixture.value(QStringLiteral("SELECT COUNT(*) FROM tblMortgage")).toInt(), 0);
}

void TestStore::missingFileIsNamedAndNotCreated()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Mortgage.mdb"));
    Connection connection;
    connection.setDatabasePath(path);
    Query query(connection, QStringLiteral("qMortgage"));
    query.setSql(kMortgageSql);
    const QString text = message([&] { query.open(); });
    QVERIFY2(text.contains(path), qPrintable(text));
    QVERIFY(!query.isActive());
    QVERIFY(!QFile::exists(path));
    query.close(); // closing a query that is not open does nothing
}

void TestStore::readOnlyFileKeepsTheEdit()
{
    StoreFixture fixture;
    fixture.addMortgages({{1, QStringLiteral("A")}});
    if (!fixture.setReadOnly(true))
        QSKIP("this machine cannot make a file read-only for this user");
    MortgageQuery m(fixture);
    m.query.open();
    m.query.edit();
    m.query.field(u"MortgageName").setString(QStringLiteral("Changed"));
    const QString text = message([&] { m.query.post(); });
    QVERIFY2(text.contains(QStringLiteral("is read-only")), qPrintable(text));
    QCOMPARE(m.query.state(), Query::State::Edit);
    QCOMPARE(m.name(), QStringLiteral("Changed"));
    m.query.close();
    QVERIFY(fixture.setReadOnly(false));
    QCOMPARE(fixture.value(QStringLiteral("SELECT MortgageName FROM tblMortgage")).toString(), QStringLiteral("A"));
}

void TestStore::lockedFileFailsWithinBoundedTime()
{
    StoreFixture fixture;
    fixture.addMortgages({{1, QStringLiteral("A")}});
    MortgageQuery m(fixture);
    m.query.open();
    m.query.edit();
    m.query.field(u"MortgageName").setString(QStringLiteral("Changed"));

    // Another connection, as another program would, holds the write lock.
    {
        OtherProgramLock lock(fixture.path());
        QVERIFY(lock.isHeld());

        QElapsedTimer timer;
        timer.start();
        const QString text = message([&] { m.query.post(); });
        QVERIFY2(text.contains(QStringLiteral("in use by another program")), qPrintable(text));
        QVERIFY(timer.elapsed() < 10000);
        QCOMPARE(m.query.state(), Query::State::Edit);
    }
    m.query.post();
    QCOMPARE(fixture.value(QStringLiteral("SELECT MortgageName FROM tblMortgage")).toString(), QStringLiteral("Changed"));
}

void TestStore::missingColumnOrTableIsNamed_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("named");
    QTest::newRow("missing column") << QStringLiteral("ALTER TABLE tblMortgage DROP COLUMN InterestRate")
                                    << QStringLiteral("no column InterestRate");
    QTest::newRow("missing table") << QStringLiteral("DROP TABLE tblMortgage") << QStringLiteral("tblMortgage");
}

void TestStore::missingColumnOrTableIsNamed()
{
    QFETCH(QString, statement);
    QFETCH(QString, named);
    StoreFixture fixture;
    fixture.exec({statement});
    MortgageQuery m(fixture);
    const QString text = message([&] { m.query.open(); });
    QVERIFY2(text.contains(named), qPrintable(text));
    QVERIFY(!m.query.isActive());
    QVERIFY(!m.connection.isConnected());
}

void TestStore::damagedFileFailsWithMessage()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Mortgage.mdb"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    Connection connection;
    connection.setDatabasePath(path);
    Query query(connection, QStringLiteral("qMortgage"));
    query.setSql(kMortgageSql);
    const QString text = message([&] { query.open(); });
    QVERIFY2(text.contains(QStringLiteral("not a database")), qPrintable(text));
    QVERIFY(!query.isActive());
}

void TestStore::commandReportsFailures()
{
    StoreFixture fixture;
    Connection connection;
    connection.setDatabasePath(fixture.path());
    const QString text = message([&] { ExecuteSql(connection, QStringLiteral("DELETE FROM tblNothing WHERE MortgageID=1")); });
    QVERIFY2(text.contains(QStringLiteral("tblNothing")), qPrintable(text));
    QVERIFY(!connection.isConnected());
    ExecuteSql(connection, QStringLiteral("DELETE FROM tblAmortization WHERE MortgageID=1"));
}

QTEST_GUILESS_MAIN(TestStore)
#include "test_store.moc"
