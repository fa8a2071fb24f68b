// calvora-bench: times the program's hot paths on a database file of 10,000
// mortgages and prints one line per figure:
//
//   NAME: median_ms=X
//   NAME: median_ms=X baseline_ms=Y ratio=Z
//
// Each figure is the median of the measured runs (see Timing.h). The file is
// built afresh in a temporary folder and removed at the end.
//
// payment_calculation is per call, from batches of calls, and printed with six
// decimals: a single call takes microseconds, which three would show as 0.000.

#include "Timing.h"

#include "Connection.h"
#include "DBEdit.h"
#include "Errors.h"
#include "ErrorHandler.h"
#include "Field.h"
#include "FormSupport.h"
#include "LoanMath.h"
#include "Query.h"
#include "RegionalSettings.h"
#include "Schema.h"
#include "fMain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace calvora;
using calvora::bench::medianMs;
using calvora::bench::report;
using calvora::bench::Stopwatch;

namespace {

constexpr int MortgageCount = 10000;
const QString MortgageListSql = QStringLiteral("SELECT * FROM tblMortgage\nORDER BY NameSequence");

// Keeps results that are read only for the benchmark's sake from being
// optimised away.
volatile std::int64_t g_sink = 0;
volatile double g_realSink = 0;

// The database file through the plain SQLite C API, for the fixture and the
// baseline reads.
class PlainDatabase
{
public:
    explicit PlainDatabase(const QString &path)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_handle, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            fail("open " + path.toStdString());
    }
    ~PlainDatabase() { sqlite3_close(m_handle); }
    PlainDatabase(const PlainDatabase &) = delete;
    PlainDatabase &operator=(const PlainDatabase &) = delete;

    sqlite3 *handle() const { return m_handle; }

    void exec(const char *sql)
    {
        if (sqlite3_exec(m_handle, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(sql);
    }

    [[noreturn]] void fail(const std::string &what) const
    {
        throw Error("SQLite: " + what + ": " + sqlite3_errmsg(m_handle));
    }

private:
    sqlite3 *m_handle = nullptr;
};

std::int64_t money(double dollars) { return std::llround(dollars * 100.0) * 100; }

double monthlyPayment(double loan, double ratePercent, int months)
{
    const double rate = ratePercent / 1200.0;
    return loan * rate / (1.0 - std::pow(1.0 + rate, -months));
}

// Writes MortgageCount calculated mortgages, "Loan 1" .. "Loan 10000", into a
// fresh database file in one transaction. Every column has a value, so a read
// converts every cell.
void fillMortgages(const QString &path)
{
    PlainDatabase db(path);
    db.exec("BEGIN");
    sqlite3_stmt *insert = nullptr;
    const char *sql =
        "INSERT INTO tblMortgage (MortgageName, NameSequence, InterestRate, TermInMonth, HouseAmount, DownPayment,"
        " LoanAmount, StartYear, StartMonth, MonthlyPayment, TotalPayment, TotalInterest, Prepayment, ActualMonthly,"
        " ActualTerm, ActualTotal, ActualInterest, InterestSaved, ActualTotalInterest, BiweeklyTerm,"
        " BiweeklyPayment, BiweeklyTotal, BiweeklyTotalInterest, BiweeklyInterestSaved)"
        " VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
    if (sqlite3_prepare_v2(db.handle(), sql, -1, &insert, nullptr) != SQLITE_OK)
        db.fail("prepare the insert");

    static constexpr int Terms[] = {120, 180, 240, 360};
    for (int n = 1; n <= MortgageCount; ++n) {
        const double rate = 3.0 + (n % 48) * 0.125;
        const int term = Terms[n % 4];
        const double house = 150000.0 + (n * 7919 % 600) * 1000.0;
        const double down = std::round(house * (0.10 + (n % 3) * 0.05));
        const double loan = house - down;
        const double monthly = std::round(monthlyPayment(loan, rate, term) * 100.0) / 100.0;
        const double total = monthly * term;
        const double prepayment = n % 5 == 0 ? 100.0 : 0.0;
        // With a prepayment the loan is paid off sooner; a rough figure does here.
        const int actualTerm = prepayment > 0 ? term * 9 / 10 : term;
        const double actualTotal = (monthly + prepayment) * actualTerm;
        const double biweekly = std::round(monthly * 50.0) / 100.0;
        const int biweeklyTerm = term * 26 / 12 * 85 / 100;
        const double biweeklyTotal = biweekly * biweeklyTerm;

        const std::string name = "Loan " + std::to_string(n);
        int at = 0;
        sqlite3_bind_text(insert, ++at, name.c_str(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, ++at, n);
        sqlite3_bind_double(insert, ++at, rate);
        sqlite3_bind_int(insert, ++at, term);
        sqlite3_bind_int64(insert, ++at, money(house));
        sqlite3_bind_int64(insert, ++at, money(down));
        sqlite3_bind_int64(insert, ++at, money(loan));
        sqlite3_bind_int(insert, ++at, 2000 + n % 25);
        sqlite3_bind_int(insert, ++at, 1 + n % 12);
        sqlite3_bind_int64(insert, ++at, money(monthly));
        sqlite3_bind_int64(insert, ++at, money(total));
        sqlite3_bind_int64(insert, ++at, money(total - loan));
        sqlite3_bind_int64(insert, ++at, money(prepayment));
        sqlite3_bind_int64(insert, ++at, money(monthly + prepayment));
        sqlite3_bind_int(insert, ++at, actualTerm);
        sqlite3_bind_int64(insert, ++at, money(actualTotal));
        sqlite3_bind_int64(insert, ++at, money(actualTotal - loan));
        sqlite3_bind_int64(insert, ++at, money(total - actualTotal));
        sqlite3_bind_int64(insert, ++at, money(actualTotal - loan));
        sqlite3_bind_int(insert, ++at, biweeklyTerm);
        sqlite3_bind_int64(insert, ++at, money(biweekly));
        sqlite3_bind_int64(insert, ++at, money(biweeklyTotal));
        sqlite3_bind_int64(insert, ++at, money(biweeklyTotal - loan));
        sqlite3_bind_int64(insert, ++at, money(total - biweeklyTotal));
        if (sqlite3_step(insert) != SQLITE_DONE) {
            sqlite3_finalize(insert);
            db.fail("insert mortgage " + std::to_string(n));
        }
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    db.exec("COMMIT");
}

// One row as the baseline reads it: every cell in its own type.
struct PlainRow
{
    std::vector<std::int64_t> integers;
    std::vector<double> reals;
    std::vector<std::string> texts;
};

// Reads every row of sql with the plain C API: prepare, step, and each column
// through the call that fits its declared type.
std::vector<PlainRow> readPlain(PlainDatabase &db, const QByteArray &sql)
{
    enum class Kind { Integer, Real, Text };
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db.handle(), sql.constData(), int(sql.size()), &statement, nullptr) != SQLITE_OK)
        db.fail("prepare the read");

    const int columns = sqlite3_column_count(statement);
    std::vector<Kind> kinds(columns, Kind::Text);
    for (int i = 0; i < columns; ++i) {
        const char *declared = sqlite3_column_decltype(statement, i);
        if (declared && std::strncmp(declared, "INTEGER", 7) == 0)
            kinds[i] = Kind::Integer;
        else if (declared && std::strcmp(declared, "REAL") == 0)
            kinds[i] = Kind::Real;
    }

    std::vector<PlainRow> rows;
    int step;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        PlainRow row;
        row.integers.reserve(columns);
        for (int i = 0; i < columns; ++i) {
            switch (kinds[i]) {
            case Kind::Integer:
                row.integers.push_back(sqlite3_column_int64(statement, i));
                break;
            case Kind::Real:
                row.reals.push_back(sqlite3_column_double(statement, i));
                break;
            case Kind::Text: {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, i));
                row.texts.emplace_back(text ? text : "", std::size_t(sqlite3_column_bytes(statement, i)));
                break;
            }
            }
        }
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(statement);
    if (step != SQLITE_DONE)
        db.fail("read the rows");
    return rows;
}

std::int64_t checksum(const std::vector<PlainRow> &rows)
{
    std::int64_t sum = 0;
    for (const PlainRow &row : rows)
        sum += row.integers.size() + row.reals.size() + (row.texts.empty() ? 0 : row.texts.front().size());
    return sum;
}

void requireRows(const store::Query &query)
{
    if (query.recordCount() < MortgageCount)
        throw Error("the mortgage list read " + std::to_string(query.recordCount()) + " rows, expected " +
                    std::to_string(MortgageCount));
}

// Opening the mortgage list: the connection is opened by the query and closed
// again with it, as when the program starts.
double mortgageListOpen(store::Connection &connection)
{
    store::Query query(connection, QStringLiteral("qMortgage"));
    query.setSql(MortgageListSql);
    return medianMs([&] {
        Stopwatch watch;
        query.open();
        const double ms = watch.elapsedMs();
        requireRows(query);
        query.close();
        return ms;
    });
}

// Re-reading the open mortgage list, against the same rows read straight
// through the SQLite C API on a connection of its own.
void mortgageListRequery(store::Connection &connection, const QString &path)
{
    store::Query query(connection, QStringLiteral("qMortgage"));
    query.setSql(MortgageListSql);
    query.open();
    const double requeryMs = medianMs([&] {
        Stopwatch watch;
        query.requery();
        const double ms = watch.elapsedMs();
        requireRows(query);
        return ms;
    });
    query.close();

    PlainDatabase db(path);
    const QByteArray sql = MortgageListSql.toUtf8();
    std::vector<PlainRow> rows;
    const double baselineMs = medianMs([&] {
        Stopwatch watch;
        rows = readPlain(db, sql); // the previous rows are freed here, as a re-read frees its old ones
        const double ms = watch.elapsedMs();
        g_sink = g_sink + checksum(rows);
        return ms;
    });
    if (rows.size() < std::size_t(MortgageCount))
        throw Error("the baseline read " + std::to_string(rows.size()) + " rows");

    report("mortgage_list_requery", requeryMs, baselineMs);
}

// How many calls one timed run of a single calculation makes; the figure is
// the run's time divided by this.
constexpr int CallsPerBatch = 10000;

// Inputs for a batch of calculations, varied so that no call repeats the one
// before it: rates 3 % to 8.875 % in eighths, four terms, loans 100,000 to
// 349,000.
std::vector<PaymentInputs> calculationInputs()
{
    static constexpr int Terms[] = {120, 180, 240, 360};
    std::vector<PaymentInputs> inputs;
    inputs.reserve(CallsPerBatch);
    for (int n = 0; n < CallsPerBatch; ++n) {
        PaymentInputs input;
        input.loanAmount = Currency::fromRaw(money(100000.0 + (n * 7919 % 250) * 1000.0));
        input.interestRate = 3.0 + (n % 48) * 0.125;
        input.termInMonth = Terms[n % 4];
        inputs.push_back(input);
    }
    return inputs;
}

// A whole calculation, all eight figures with their rounding and fault
// checks, per call, against the bare annuity formula in double on the same
// inputs.
void paymentCalculation()
{
    const std::vector<PaymentInputs> inputs = calculationInputs();

    const double calculationMs = medianMs([&] {
        std::int64_t sum = 0;
        Stopwatch watch;
        for (const PaymentInputs &input : inputs) {
            const PaymentResults results = CalculatePayments(input);
            sum += results.monthlyPayment.raw() + results.biweeklyTerm + results.biweeklyInterestSaved.raw();
        }
        const double ms = watch.elapsedMs();
        g_sink = g_sink + sum;
        return ms / CallsPerBatch;
    });

    const double baselineMs = medianMs([&] {
        double sum = 0;
        Stopwatch watch;
        for (const PaymentInputs &input : inputs) {
            const double loan = double(input.loanAmount.raw()) / double(Currency::Scale);
            sum += monthlyPayment(loan, input.interestRate, input.termInMonth);
        }
        const double ms = watch.elapsedMs();
        g_realSink = g_realSink + sum;
        return ms / CallsPerBatch;
    });

    report("payment_calculation", calculationMs, baselineMs, 6);
}

// The widgets bound to the eight result columns, some of them twice: on the
// Monthly Payment page and on the Biweekly Payment page.
constexpr const char *ResultFields[] = {
    "edtMonthly",         "edtInterest",        "edtTotal",           "CvDBCurrencyEdit6",
    "CvDBCurrencyEdit8",  "CvDBCurrencyEdit9",  "CvDBCurrencyEdit10", "CvDBCurrencyEdit11",
    "CvDBCurrencyEdit12", "CvDBCurrencyEdit13", "RzDBNumericEdit2",
};

// Whether the column holds the figure the calculation gives for it.
bool holdsResult(const store::Field &column, const PaymentResults &results)
{
    const QString &name = column.name();
    if (name == QLatin1String("BiweeklyTerm"))
        return column.asInteger() == results.biweeklyTerm;
    const struct
    {
        const char *name;
        Currency value;
    } figures[] = {
        {"MonthlyPayment", results.monthlyPayment},
        {"TotalPayment", results.totalPayment},
        {"TotalInterest", results.totalInterest},
        {"BiweeklyPayment", results.biweeklyPayment},
        {"BiweeklyTotal", results.biweeklyTotal},
        {"BiweeklyTotalInterest", results.biweeklyTotalInterest},
        {"BiweeklyInterestSaved", results.biweeklyInterestSaved},
    };
    for (const auto &figure : figures) {
        if (name == QLatin1String(figure.name))
            return column.asCurrency() == figure.value;
    }
    throw Error("the field is bound to " + name.toStdString() + ", not to a result of the calculation");
}

// Throws unless every edit shows the new figure: its column holds the
// calculated value and its text is the one it loads from the column (loading
// it once more leaves the text as it is).
void requireShown(const std::vector<std::pair<const char *, platform::DBEdit *>> &edits,
                  const PaymentResults &results, double rate)
{
    for (const auto &[name, edit] : edits) {
        const store::Field *column = edit->field();
        if (!column)
            throw Error(std::string(name) + " is bound to no column");
        if (!holdsResult(*column, results))
            throw Error(std::string(name) + ": " + column->name().toStdString() + " does not hold the figure for " +
                        std::to_string(rate) + " %");
        const QString shown = edit->text();
        edit->reset();
        if (edit->text() != shown)
            throw Error(std::string(name) + " showed \"" + shown.toStdString() + "\" instead of \"" +
                        edit->text().toStdString() + "\"");
    }
}

// From a click on Calculate until every field bound to a result shows the new
// figure, repaints included. The current mortgage gets fixed inputs, and each
// run a rate 0.01 % above the last, so that every click changes the figures.
// The record is never stored: the file stays as it was.
double calculateClick(const QString &folder)
{
    QStringList errors;
    platform::setErrorSink([&errors](const QString &message) { errors << message; });

    TfrmMain form(RegionalSettings::usEnglish(), folder);
    frmMain = &form;
    form.show();
    QCoreApplication::processEvents();
    if (!errors.isEmpty())
        throw Error("showing the main window failed: " + errors.join(QStringLiteral("; ")).toStdString());
    requireRows(form.qMortgage);

    auto *calculate = form.findChild<QAbstractButton *>(QStringLiteral("btnCalculate"));
    if (!calculate)
        throw Error("the main window has no btnCalculate");
    std::vector<std::pair<const char *, platform::DBEdit *>> edits;
    for (const char *name : ResultFields) {
        QWidget *widget = form.findChild<QWidget *>(QString::fromLatin1(name));
        if (!widget) {
            std::fprintf(stderr, "calvora-bench: calculate_click: the main window has no %s yet, left out\n", name);
            continue;
        }
        auto *edit = qobject_cast<platform::DBEdit *>(widget);
        if (!edit)
            throw Error(std::string(name) + " is not a data-aware edit");
        edits.emplace_back(name, edit);
    }
    auto *monthly = form.findChild<platform::DBEdit *>(QStringLiteral("edtMonthly"));
    if (!monthly)
        throw Error("the main window has no edtMonthly");

    store::Query &mortgage = form.qMortgage;
    const Currency loan = Currency::fromRaw(money(200000.0));
    constexpr std::int32_t term = 360;
    mortgage.edit();
    mortgage.field(u"LoanAmount").setCurrency(loan);
    mortgage.field(u"TermInMonth").setInteger(term);

    int run = 0;
    const double ms = medianMs([&] {
        const double rate = 6.0 + 0.01 * run++;
        mortgage.field(u"InterestRate").setDouble(rate);
        const PaymentResults expected = CalculatePayments(PaymentInputs{loan, rate, term});
        // The inputs' own repaints run before the timed part.
        QCoreApplication::processEvents();
        if (!calculate->isEnabled())
            throw Error("Calculate is not enabled at " + std::to_string(rate) + " %");
        const QString before = monthly->text();

        Stopwatch watch;
        calculate->click();
        QCoreApplication::processEvents();
        const double elapsed = watch.elapsedMs();

        // Nothing runs between the stop and these checks: what they find is
        // what the fields showed when the time was taken.
        if (!errors.isEmpty())
            throw Error("Calculate failed: " + errors.join(QStringLiteral("; ")).toStdString());
        if (monthly->text() == before)
            throw Error("edtMonthly still shows \"" + before.toStdString() + "\" after Calculate at " +
                        std::to_string(rate) + " %");
        requireShown(edits, expected, rate);
        return elapsed;
    });

    mortgage.cancel();
    frmMain = nullptr;
    platform::resetErrorSink();
    return ms;
}

// Add as the main window does it: the INSERT through its command, the list
// re-read with its grid detached, and the new row made current. Every run
// adds a row ("Loan 10001", "Loan 10002", ...), so the file grows by one row
// a run; against 10,000 rows that does not move the figure.
double mortgageAdd(const QString &folder)
{
    QStringList errors;
    platform::setErrorSink([&errors](const QString &message) { errors << message; });

    TfrmMain form(RegionalSettings::usEnglish(), folder);
    frmMain = &form;
    form.show(); // FormShow opens the store
    QCoreApplication::processEvents();
    if (!errors.isEmpty())
        throw Error("showing the main window failed: " + errors.join(QStringLiteral("; ")).toStdString());
    requireRows(form.qMortgage);

    const int before = form.qMortgage.recordCount();
    const double ms = medianMs([&] {
        Stopwatch watch;
        form.btnNewClick();
        const double elapsed = watch.elapsedMs();
        // Repaints and other posted work run outside the timed part.
        QCoreApplication::processEvents();
        return elapsed;
    });
    const int added = form.qMortgage.recordCount() - before;
    if (added != bench::WarmupRuns + bench::MeasuredRuns)
        throw Error("Add stored " + std::to_string(added) + " rows, expected " +
                    std::to_string(bench::WarmupRuns + bench::MeasuredRuns));

    frmMain = nullptr;
    platform::resetErrorSink();
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    platform::initApplication();
    // Figures are printed with a decimal point whatever the locale.
    std::setlocale(LC_NUMERIC, "C");

    try {
        QTemporaryDir folder;
        if (!folder.isValid())
            throw Error("no temporary folder: " + folder.errorString().toStdString());
        // The name the main window looks for in its database folder.
        const QString path = QDir(folder.path()).filePath(QStringLiteral("Mortgage.mdb"));
        // Needs no file: first, on a quiet process.
        paymentCalculation();

        store::createDatabase(path);
        fillMortgages(path);

        {
            store::Connection connection;
            connection.setRegionalSettings(RegionalSettings::usEnglish());
            connection.setDatabasePath(path);
            report("mortgage_list_open", mortgageListOpen(connection));
            mortgageListRequery(connection, path);
        }
        report("calculate_click", calculateClick(folder.path()));
        // Last, as it adds rows to the file.
        report("mortgage_add", mortgageAdd(folder.path()));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "calvora-bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
