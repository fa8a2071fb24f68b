// What the program does with a file that other programs share or have
// written: a second copy of the program changing or deleting a mortgage, a
// table that lost its key, values that do not fit their columns, a file
// locked at start-up, a list that could not be opened. Every case runs the
// real window on a real file and ends with SQLite's integrity check and the
// stored rows compared with what must be there.

#include "CvDBCurrencyEdit.h"
#include "DBEdit.h"
#include "DBGrid.h"
#include "MainWindowFixture.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringDecoder>

#include <cstdio>
#include <memory>

#include <unistd.h>

using namespace calvora;
using calvora::platform::DBEdit;

namespace {

// The mortgages as stored: one text per row, in the order of the file.
QStringList storedMortgages(const StoreFixture &store)
{
    return store.rows(QStringLiteral("SELECT MortgageID, NameSequence, MortgageName, quote(HouseAmount), "
                                     "quote(DownPayment), quote(LoanAmount), quote(TermInMonth) FROM tblMortgage "
                                     "ORDER BY rowid"));
}

QString integrity(const StoreFixture &store)
{
    return store.value(QStringLiteral("PRAGMA integrity_check")).toString();
}

// Runs this test program as a second copy of the calculator on the same file,
// doing one thing and storing it; returns what it reported.
QString otherCopy(const StoreFixture &store, const QString &action)
{
    QProcess copy;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("CALVORA_OTHER_COPY"), store.folder());
    environment.insert(QStringLiteral("CALVORA_OTHER_ACTION"), action);
    copy.setProcessEnvironment(environment);
    copy.start(QCoreApplication::applicationFilePath(), {});
    if (!copy.waitForFinished(30000) || copy.exitStatus() != QProcess::NormalExit)
        return QStringLiteral("the other copy did not finish");
    return QString::fromUtf8(copy.readAllStandardOutput()).trimmed();
}

// Types a text into an edit as a paste would and leaves it with Tab.
void enter(DBEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    edit->insert(text);
    QTest::keyClick(edit, Qt::Key_Tab);
}

const QString Priced = QStringLiteral(
    "UPDATE tblMortgage SET HouseAmount=2500000000, DownPayment=500000000, LoanAmount=2000000000, "
    "InterestRate=6, TermInMonth=360");

} // namespace

class TestFileFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void otherCopyChangedTheMortgage();
    void otherCopyDeletedTheMortgage();
    void tableWithoutItsKey_data();
    void tableWithoutItsKey();
    void foreignValues_data();
    void foreignValues();
    void lockedStartOffersRetry_data();
    void lockedStartOffersRetry();
    void closedListWritesNothing();
    void longNameStaysValidText();
    void loanAmountThatCannotBeComputedIsRefused();
    void unnumberedFirstRecordTakesNoNumber();
    void fileSystemFaults_data();
    void fileSystemFaults();
};

void TestFileFaults::initTestCase() { platform::initApplication(); }

void TestFileFaults::otherCopyChangedTheMortgage()
{
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}, {2, QStringLiteral("Second"), 2020, 1}});
    f.store.exec({Priced});
    TfrmMain &window = f.show();

    // Copy A stores a new price; this copy, which read the mortgage before,
    // changes the down payment and saves.
    QCOMPARE(otherCopy(f.store, QStringLiteral("price 300000")), QStringLiteral("stored"));
    enter(f.child<DBEdit>("edtDown"), QStringLiteral("60000"));
    f.button("btnSave")->click();
    QCOMPARE(f.errors.size(), 1);
    QVERIFY2(f.errors.first().contains(QStringLiteral("mortgage \"First\" was changed by another program")),
             qPrintable(f.errors.first()));
    QCOMPARE(storedMortgages(f.store).first(), QStringLiteral("1|1|First|3000000000|500000000|2500000000|360"));
    // The changes stay on screen.
    QVERIFY(window.qMortgage.isEditing());
    QCOMPARE(f.current("DownPayment"), QStringLiteral("60000.00"));

    // Saving again stores nothing either; moving on drops the changes and
    // reads the mortgage again.
    f.button("btnSave")->click();
    QCOMPARE(f.errors.size(), 2);
    window.qMortgage.next();
    window.qMortgage.first();
    QCOMPARE(f.errors.size(), 2);
    QCOMPARE(f.current("HouseAmount"), QStringLiteral("300000.00"));
    QCOMPARE(f.child<QLineEdit>("edtLoanAmt")->text(), QStringLiteral("$250,000.00"));

    // From there on everything works as usual.
    enter(f.child<DBEdit>("edtDown"), QStringLiteral("60000"));
    f.button("btnSave")->click();
    QCOMPARE(f.errors.size(), 2);
    QCOMPARE(storedMortgages(f.store).first(), QStringLiteral("1|1|First|3000000000|600000000|2400000000|360"));
    QCOMPARE(integrity(f.store), QStringLiteral("ok"));
}

void TestFileFaults::otherCopyDeletedTheMortgage()
{
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}, {2, QStringLiteral("Second"), 2020, 1}});
    f.store.exec({Priced});
    TfrmMain &window = f.show();
    QCOMPARE(otherCopy(f.store, QStringLiteral("delete")), QStringLiteral("stored"));
    enter(f.child<DBEdit>("edtName"), QStringLiteral("Renamed"));

    f.button("btnSave")->click();
    QCOMPARE(f.errors.size(), 1);
    QVERIFY2(f.errors.first().contains(QStringLiteral("mortgage \"First\" was deleted by another program")),
             qPrintable(f.errors.first()));
    QCOMPARE(storedMortgages(f.store).size(), 1);

    // Add stores one mortgage and reads the list again; so do the next ones.
    for (int i = 0; i < 3; ++i)
        f.button("btnNew")->click();
    QCOMPARE(f.errors.size(), 1);
    QCOMPARE(window.qMortgage.recordCount(), 4);
    QCOMPARE(f.store.value(QStringLiteral("SELECT group_concat(MortgageName, ',') FROM tblMortgage")).toString(),
             QStringLiteral("Second,Loan 1,Loan 3,Loan 4"));
    // Moving, Delete and Save work.
    window.qMortgage.first();
    f.button("btnDelete")->click();
    enter(f.child<DBEdit>("edtName"), QStringLiteral("Kept"));
    f.button("btnSave")->click();
    QCOMPARE(f.errors.size(), 1);
    QCOMPARE(f.store.value(QStringLiteral("SELECT count(*) FROM tblMortgage")).toInt(), 3);
    QCOMPARE(f.store.value(QStringLiteral("SELECT count(*) FROM tblMortgage WHERE MortgageName='Kept'")).toInt(), 1);
    QCOMPARE(integrity(f.store), QStringLiteral("ok"));
}

void TestFileFaults::tableWithoutItsKey_data()
{
    QTest::addColumn<QString>("twin");       // how the second row with the same MortgageID differs
    QTest::addColumn<bool>("stored");
    QTest::newRow("two identical rows") << QString() << false;
    QTest::newRow("rows that differ") << QStringLiteral("UPDATE tblMortgage SET MortgageName='Twin' WHERE rowid=2")
                                      << true;
}

void TestFileFaults::tableWithoutItsKey()
{
    QFETCH(QString, twin);
    QFETCH(bool, stored);
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}});
    f.store.exec({Priced,
                  // The table as another tool may leave it: the same columns, no key.
                  QStringLiteral("CREATE TABLE loose AS SELECT * FROM tblMortgage"),
                  QStringLiteral("INSERT INTO loose SELECT * FROM tblMortgage"), QStringLiteral("DROP TABLE tblMortgage"),
                  QStringLiteral("ALTER TABLE loose RENAME TO tblMortgage")});
    if (!twin.isEmpty())
        f.store.exec({twin});
    const QStringList before = storedMortgages(f.store);
    TfrmMain &window = f.show();
    window.qMortgage.locate(u"MortgageName", QStringLiteral("First"));
    enter(f.child<DBEdit>("edtDown"), QStringLiteral("60000"));
    f.button("btnSave")->click();
    if (stored) {
        QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(QLatin1Char('\n'))));
        QStringList after = before;
        after[0] = QStringLiteral("1|1|First|2500000000|600000000|1900000000|360");
        QCOMPARE(storedMortgages(f.store), after);
    } else {
        QCOMPARE(f.errors.size(), 1);
        QVERIFY2(f.errors.first().contains(QStringLiteral("more than one row")), qPrintable(f.errors.first()));
        QCOMPARE(storedMortgages(f.store), before);
    }
    QCOMPARE(integrity(f.store), QStringLiteral("ok"));
}

void TestFileFaults::foreignValues_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("stored"); // an SQL literal
    QTest::addColumn<QString>("shown");  // in the column's edit
    QTest::addColumn<QString>("edit");
    QTest::newRow("text in a money column") << QStringLiteral("HouseAmount") << QStringLiteral("'abc'")
                                            << QStringLiteral("abc") << QStringLiteral("edtPrice");
    QTest::newRow("formatted money text") << QStringLiteral("HouseAmount") << QStringLiteral("'250,000.00'")
                                          << QStringLiteral("250,000.00") << QStringLiteral("edtPrice");
    QTest::newRow("fraction of a ten-thousandth") << QStringLiteral("DownPayment") << QStringLiteral("250000.5")
                                                  << QStringLiteral("250000.5") << QStringLiteral("edtDown");
    QTest::newRow("beyond the money type") << QStringLiteral("LoanAmount") << QStringLiteral("1e300")
                                           << QStringLiteral("1e+300") << QStringLiteral("edtLoanAmt");
    QTest::newRow("term beyond 16 bits") << QStringLiteral("TermInMonth") << QStringLiteral("4294967656")
                                         << QStringLiteral("4294967656") << QStringLiteral("edtTermInMonth");
    QTest::newRow("term of the largest integer") << QStringLiteral("TermInMonth")
                                                 << QStringLiteral("9223372036854775807")
                                                 << QStringLiteral("9223372036854775807")
                                                 << QStringLiteral("edtTermInMonth");
    QTest::newRow("text in the rate") << QStringLiteral("InterestRate") << QStringLiteral("'six'")
                                      << QStringLiteral("six") << QStringLiteral("edtInterestRate");
    QTest::newRow("text as the first payment year") << QStringLiteral("StartYear") << QStringLiteral("'soon'")
                                                    << QString() << QString();
    QTest::newRow("text as the first payment month") << QStringLiteral("StartMonth") << QStringLiteral("'March'")
                                                     << QString() << QString();
}

void TestFileFaults::foreignValues()
{
    QFETCH(QString, column);
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    QFETCH(QString, edit);
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("Odd"), 2020, 1}, {2, QStringLiteral("Plain"), 2020, 1}});
    f.store.exec({Priced, QStringLiteral("UPDATE tblMortgage SET %1=%2 WHERE NameSequence=1").arg(column, stored)});
    const QString raw = f.store.value(QStringLiteral("SELECT quote(%1) FROM tblMortgage WHERE NameSequence=1").arg(column)).toString();
    TfrmMain &window = f.show();

    // Reported once, naming the table, the column and the mortgage.
    QCOMPARE(f.errors.size(), 1);
    QVERIFY2(f.errors.first().contains(QStringLiteral("tblMortgage, column %1 of the mortgage \"Odd\"").arg(column)),
             qPrintable(f.errors.first()));
    // Shown as stored, never as another value, and not used in a figure.
    if (!edit.isEmpty())
        QCOMPARE(f.child<QLineEdit>(edit.toLatin1().constData())->text(), shown);
    // Calculate reads the rate, the term and the loan amount: with one of
    // them unreadable it is not offered.
    const bool readByCalculate = QStringList{QStringLiteral("InterestRate"), QStringLiteral("TermInMonth"),
                                             QStringLiteral("LoanAmount")}
                                     .contains(column);
    QCOMPARE(f.button("btnCalculate")->isEnabled(), !readByCalculate);

    // The other mortgages go on as usual; a change to another column of the
    // odd one stores that change and leaves the odd value as it is.
    window.qMortgage.next();
    QCOMPARE(f.current("MortgageName"), QStringLiteral("Plain"));
    window.qMortgage.first();
    enter(f.child<DBEdit>("edtName"), QStringLiteral("Odd, renamed"));
    f.button("btnSave")->click();
    QCOMPARE(f.errors.size(), 1);
    QCOMPARE(f.store.value(QStringLiteral("SELECT MortgageName FROM tblMortgage WHERE NameSequence=1")).toString(),
             QStringLiteral("Odd, renamed"));
    QCOMPARE(f.store.value(QStringLiteral("SELECT quote(%1) FROM tblMortgage WHERE NameSequence=1").arg(column)).toString(), raw);
    QCOMPARE(integrity(f.store), QStringLiteral("ok"));
}

void TestFileFaults::lockedStartOffersRetry_data()
{
    QTest::addColumn<bool>("retry");
    QTest::newRow("Retry once it is free") << true;
    QTest::newRow("Cancel") << false;
}

void TestFileFaults::lockedStartOffersRetry()
{
    QFETCH(bool, retry);
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}});
    const QStringList before = storedMortgages(f.store);
    {
        OtherProgramLock lock(f.store.path());
        QVERIFY(lock.isHeld());
        // The other program lets go while the person reads the message.
        platform::setErrorSink([&](const QString &message) {
            f.errors << message;
            lock.release();
        });
        platform::setNextModalResults({retry ? QMessageBox::Retry : QMessageBox::Cancel});
        TfrmMain &window = f.show();
        QCOMPARE(f.errors.size(), 1);
        QVERIFY2(f.errors.first().contains(QStringLiteral("in use by another program")), qPrintable(f.errors.first()));
        QCOMPARE(window.qMortgage.isActive(), retry);
        QCOMPARE(f.button("btnCalculate")->isEnabled(), false);
        if (retry) {
            QCOMPARE(f.current("MortgageName"), QStringLiteral("First"));
            QVERIFY(window.qMonth.isActive());
        } else {
            // Nothing acts on a list that is not open.
            f.button("btnNew")->click();
            QCOMPARE(f.errors.size(), 2);
            QVERIFY2(f.errors.last().contains(QStringLiteral("nothing was changed")), qPrintable(f.errors.last()));
        }
    }
    QCOMPARE(storedMortgages(f.store), before);
    QCOMPARE(integrity(f.store), QStringLiteral("ok"));
}

void TestFileFaults::closedListWritesNothing()
{
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}});
    f.store.exec({QStringLiteral("ALTER TABLE tblMortgage DROP COLUMN BiweeklyTerm")});
    const QStringList before = storedMortgages(f.store);
    f.show();
    QCOMPARE(f.errors.size(), 1);
    for (const char *name : {"btnNew", "btnDelete", "btnSave"})
        f.button(name)->click();
    for (const QString &message : f.errors.mid(1))
        QVERIFY2(message.contains(QStringLiteral("nothing was changed")), qPrintable(message));
    QCOMPARE(f.errors.size(), 4);
    QCOMPARE(storedMortgages(f.store), before);
    QCOMPARE(integrity(f.store), QStringLiteral("ok"));
}

void TestFileFaults::longNameStaysValidText()
{
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}});
    TfrmMain &window = f.show();
    // 49 letters and a character outside the basic plane: 51 units, cut to 49.
    const QString name = QString(49, QLatin1Char('a')) + QStringLiteral("\U0001F600");
    window.qMortgage.edit();
    window.qMortgage.field(u"MortgageName").setString(name);
    window.qMortgage.post();
    const QByteArray bytes =
        f.store.value(QStringLiteral("SELECT CAST(MortgageName AS BLOB) FROM tblMortgage")).toByteArray();
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder.decode(bytes);
    QVERIFY(!decoder.hasError());
    QCOMPARE(decoded, QString(49, QLatin1Char('a')));
    // Half a character handed in (an edit's length limit cut it) is dropped too.
    window.qMortgage.edit();
    window.qMortgage.field(u"MortgageName").setString(QStringLiteral("ab") + QChar(0xD83D) + QStringLiteral("c"));
    window.qMortgage.post();
    QCOMPARE(f.store.value(QStringLiteral("SELECT MortgageName FROM tblMortgage")).toString(), QStringLiteral("abc"));
    QCOMPARE(integrity(f.store), QStringLiteral("ok"));
}

void TestFileFaults::loanAmountThatCannotBeComputedIsRefused()
{
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}});
    f.store.exec({QStringLiteral("UPDATE tblMortgage SET HouseAmount=9223372036854775807, DownPayment=0, "
                                 "LoanAmount=9223372036854775807")});
    TfrmMain &window = f.show();
    auto *down = f.child<DBEdit>("edtDown");
    enter(down, QStringLiteral("-1"));
    QCOMPARE(f.errors, QStringList{QStringLiteral("Floating point overflow")});
    QVERIFY(down->hasFocus());
    QCOMPARE(down->text(), QStringLiteral("-1"));
    QCOMPARE(window.qMortgage.field(u"DownPayment").asCurrency().raw(), 0);
    // Corrected, it goes through; the stored loan amount is price less down payment.
    enter(down, QStringLiteral("1"));
    f.button("btnSave")->click();
    QCOMPARE(f.errors.size(), 1);
    QCOMPARE(storedMortgages(f.store).first(),
             QStringLiteral("1|1|First|9223372036854775807|10000|9223372036854765807|NULL"));
    QCOMPARE(integrity(f.store), QStringLiteral("ok"));
}

void TestFileFaults::unnumberedFirstRecordTakesNoNumber()
{
    MainWindowFixture f;
    TfrmMain &window = f.show(); // a fresh file: an unnamed new record
    for (int i = 0; i < 3; ++i)
        f.button("btnNew")->click();
    QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(QLatin1Char('\n'))));
    QCOMPARE(f.store.value(QStringLiteral("SELECT group_concat(coalesce(MortgageName, '-'), ',') FROM "
                                          "(SELECT MortgageName FROM tblMortgage ORDER BY rowid)"))
                 .toString(),
             QStringLiteral("-,Loan 1,Loan 2,Loan 3"));
    QCOMPARE(window.qMortgage.recordCount(), 4);
    QCOMPARE(integrity(f.store), QStringLiteral("ok"));
}

namespace {

// Marks a file or folder so that nobody may change it, the super-user
// included, for as long as the scope lasts.
class Immutable
{
public:
    explicit Immutable(const QString &path) : m_path(path) { m_set = change(true); }
    ~Immutable()
    {
        if (m_set)
            change(false);
    }
    bool isSet() const { return m_set; }

private:
    bool change(bool on) const
    {
        if (geteuid() != 0)
            return QFile::setPermissions(m_path, on ? QFile::ReadOwner | QFile::ExeOwner
                                                    : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return QProcess::execute(QStringLiteral("chattr"), {on ? QStringLiteral("+i") : QStringLiteral("-i"), m_path}) == 0;
    }
    QString m_path;
    bool m_set = false;
};

// Leaves a journal of a write that never finished beside the file: a copy of
// this program begins one and is killed.
bool leaveJournal(const StoreFixture &store)
{
    QProcess writer;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("CALVORA_UNFINISHED_WRITE"), store.path());
    writer.setProcessEnvironment(environment);
    writer.start(QCoreApplication::applicationFilePath(), {});
    if (!writer.waitForReadyRead(30000))
        return false;
    writer.kill();
    writer.waitForFinished();
    return QFileInfo(store.path() + QStringLiteral("-journal")).size() > 0;
}

} // namespace

void TestFileFaults::fileSystemFaults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("atStart");  // said when the file is opened
    QTest::addColumn<QString>("onSave");   // said when a change is stored
    QTest::newRow("read-only file") << QStringLiteral("read-only file") << QStringLiteral("is read-only")
                                    << QStringLiteral("is read-only");
    QTest::newRow("read-only folder") << QStringLiteral("read-only folder")
                                      << QStringLiteral("does not allow the journal file")
                                      << QStringLiteral("does not allow the journal file");
    QTest::newRow("file replaced") << QStringLiteral("replaced") << QString()
                                   << QStringLiteral("was removed or replaced while the program ran");
    QTest::newRow("file removed") << QStringLiteral("removed") << QString()
                                  << QStringLiteral("was removed or replaced while the program ran");
    QTest::newRow("journal left in a read-only folder") << QStringLiteral("journal") << QStringLiteral("does not allow the journal file")
                                                        << QString();
}

void TestFileFaults::fileSystemFaults()
{
    QFETCH(QString, fault);
    QFETCH(QString, atStart);
    QFETCH(QString, onSave);
    MainWindowFixture f;
    f.store.addMortgages({{1, QStringLiteral("First"), 2020, 1}});
    f.store.exec({Priced});
    const QStringList before = storedMortgages(f.store);
    std::unique_ptr<Immutable> locked;
    if (fault == QLatin1String("journal"))
        QVERIFY(leaveJournal(f.store));
    if (fault == QLatin1String("read-only file"))
        locked = std::make_unique<Immutable>(f.store.path());
    if (fault == QLatin1String("read-only folder") || fault == QLatin1String("journal"))
        locked = std::make_unique<Immutable>(f.store.folder());
    QVERIFY(!locked || locked->isSet());

    TfrmMain &window = f.show();
    if (atStart.isEmpty()) {
        QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join(QLatin1Char('\n'))));
    } else {
        QCOMPARE(f.errors.size(), 1);
        QVERIFY2(f.errors.first().contains(atStart), qPrintable(f.errors.first()));
    }
    if (fault == QLatin1String("replaced")) {
        QFile::copy(f.store.path(), f.store.path() + QStringLiteral(".copy"));
        QVERIFY(::rename(QFile::encodeName(f.store.path() + QStringLiteral(".copy")).constData(),
                         QFile::encodeName(f.store.path()).constData()) == 0);
    }
    if (fault == QLatin1String("removed"))
        QVERIFY(QFile::remove(f.store.path()));

    if (!onSave.isEmpty()) {
        const int said = int(f.errors.size());
        enter(f.child<DBEdit>("edtName"), QStringLiteral("Changed"));
        f.button("btnSave")->click();
        QCOMPARE(f.errors.size(), said + 1);
        QVERIFY2(f.errors.last().contains(onSave), qPrintable(f.errors.last()));
        QVERIFY(window.qMortgage.isEditing());
    }
    f.window.reset();
    locked.reset();
    if (fault != QLatin1String("removed")) {
        QCOMPARE(storedMortgages(f.store), before);
        QCOMPARE(integrity(f.store), QStringLiteral("ok"));
    }
}

// The second copy of the calculator: opens the file in the folder given,
// does one thing to the first mortgage and stores it.
static int runOtherCopy(const QString &folder, const QString &action, int argc, char *argv[])
{
    QApplication application(argc, argv);
    platform::initApplication();
    QStringList errors;
    platform::setErrorSink([&](const QString &message) { errors << message; });
    TfrmMain window(RegionalSettings::usEnglish(), folder);
    window.show();
    QApplication::processEvents();
    if (action.startsWith(QLatin1String("price "))) {
        window.qMortgage.edit();
        window.qMortgage.field(u"HouseAmount").setText(action.mid(6));
        window.findChild<QAbstractButton *>(QStringLiteral("btnSave"))->click();
    } else if (action == QLatin1String("delete")) {
        window.findChild<QAbstractButton *>(QStringLiteral("btnDelete"))->click();
    }
    std::fputs(errors.isEmpty() ? "stored\n" : qPrintable(errors.join(QLatin1Char('\n')) + QLatin1Char('\n')), stdout);
    return 0;
}

// Begins a write on the file and waits to be killed, leaving its journal.
static int unfinishedWrite(const QString &path)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    db.setDatabaseName(path);
    if (!db.open())
        return 1;
    QSqlQuery query(db);
    query.exec(QStringLiteral("PRAGMA cache_size=1"));
    query.exec(QStringLiteral("BEGIN"));
    query.exec(QStringLiteral("UPDATE tblMortgage SET MortgageName='half-written'"));
    query.exec(QStringLiteral("UPDATE tblMonth SET MonthName=MonthName||'x'"));
    std::fputs("writing\n", stdout);
    std::fflush(stdout);
    for (;;)
        ::pause();
}

int main(int argc, char *argv[])
{
    const QByteArray unfinished = qgetenv("CALVORA_UNFINISHED_WRITE");
    if (!unfinished.isEmpty()) {
        QCoreApplication application(argc, argv);
        return unfinishedWrite(QString::fromLocal8Bit(unfinished));
    }
    const QByteArray otherFolder = qgetenv("CALVORA_OTHER_COPY");
    if (!otherFolder.isEmpty())
        return runOtherCopy(QString::fromLocal8Bit(otherFolder), QString::fromLocal8Bit(qgetenv("CALVORA_OTHER_ACTION")),
                            argc, argv);
    QApplication application(argc, argv);
    TestFileFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_filefaults.moc"
