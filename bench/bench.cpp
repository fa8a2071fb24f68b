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
//
// The schedule figures give the first mortgage of the list a loan, a rate, a
// prepayment and a term, and generate its schedule through the main window:
// 360 months, then 32,767 (the longest term the column holds), whose payment
// grid is then painted at the end of the list with and without the grouping
// by year and exported as CSV the same two ways. Its schedule is removed again
// before mortgage_add.
//
// The window figures use a second, smaller file of their own: 100
// mortgages, each with its stored schedule of 360 months. They time the main
// window's start until it has painted, and the selection of another mortgage
// in the list until the payment grid shows its schedule. The chart and
// comparison figures, last, use a third file holding the first ten of them.

#include "Timing.h"

#include "Connection.h"
#include "DBEdit.h"
#include "ErrorHandler.h"
#include "Errors.h"
#include "Field.h"
#include "FormSupport.h"
#include "GroupedTableView.h"
#include "LoanMath.h"
#include "Query.h"
#include "RegionalSettings.h"
#include "Schedule.h"
#include "ScheduleChart.h"
#include "Schema.h"
#include "TableExport.h"
#include "fCompare.h"
#include "fMain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QHeaderView>
#include <QImage>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeView>

#include <sqlite3.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace calvora;
using calvora::bench::medianMs;
using calvora::bench::Stopwatch;

namespace {

// Declared where it is used: calvora::report, the namespace of the CSV
// export, has the same name.
using calvora::bench::report;

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

// One prepared statement of a PlainDatabase, finalized when it goes.
class PlainStatement
{
public:
    PlainStatement(PlainDatabase &db, const char *sql) : m_db(db)
    {
        if (sqlite3_prepare_v2(db.handle(), sql, -1, &m_statement, nullptr) != SQLITE_OK)
            db.fail(std::string("prepare ") + sql);
    }
    ~PlainStatement() { sqlite3_finalize(m_statement); }
    PlainStatement(const PlainStatement &) = delete;
    PlainStatement &operator=(const PlainStatement &) = delete;

    sqlite3_stmt *get() const { return m_statement; }

    // Runs a statement that returns no rows and makes it ready for the next
    // values.
    void run(const char *what)
    {
        if (sqlite3_step(m_statement) != SQLITE_DONE)
            m_db.fail(what);
        sqlite3_reset(m_statement);
    }

private:
    PlainDatabase &m_db;
    sqlite3_stmt *m_statement = nullptr;
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
// through the call that fits its declared type. A parameter, when given, is
// bound to the one placeholder of sql.
std::vector<PlainRow> readPlain(PlainDatabase &db, const QByteArray &sql,
                                std::optional<std::int64_t> parameter = std::nullopt)
{
    enum class Kind { Integer, Real, Text };
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db.handle(), sql.constData(), int(sql.size()), &statement, nullptr) != SQLITE_OK)
        db.fail("prepare the read");
    if (parameter)
        sqlite3_bind_int64(statement, 1, *parameter);

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

void requireRows(const store::Query &query, int expected = MortgageCount)
{
    if (query.recordCount() < expected)
        throw Error("the mortgage list read " + std::to_string(query.recordCount()) + " rows, expected " +
                    std::to_string(expected));
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

// Collects what the program reports through its error handler for as long
// as it lives, and hands the handler back afterwards, also when a benchmark
// throws.
class ErrorCapture
{
public:
    ErrorCapture()
    {
        platform::setErrorSink([this](const QString &message) { errors << message; });
    }
    ~ErrorCapture() { platform::resetErrorSink(); }
    ErrorCapture(const ErrorCapture &) = delete;
    ErrorCapture &operator=(const ErrorCapture &) = delete;

    QStringList errors;
};

// The main window on the benchmark's folder, shown, with the file opened and
// checked: no error reported, at least the mortgages expected read, the
// designed 632x446.
class ShownWindow
{
public:
    explicit ShownWindow(const QString &folder, int mortgages = MortgageCount)
        : form(RegionalSettings::usEnglish(), folder)
    {
        frmMain = &form;
        form.show(); // FormShow opens the store
        QCoreApplication::processEvents();
        if (!capture.errors.isEmpty())
            throw Error("showing the main window failed: " + capture.errors.join(QStringLiteral("; ")).toStdString());
        requireRows(form.qMortgage, mortgages);
        if (form.size() != QSize(632, 446))
            throw Error("the main window is " + std::to_string(form.width()) + "x" +
                        std::to_string(form.height()) + ", not at its designed 632x446");
    }
    ~ShownWindow() { frmMain = nullptr; }
    ShownWindow(const ShownWindow &) = delete;
    ShownWindow &operator=(const ShownWindow &) = delete;

    const QStringList &errors() const { return capture.errors; }

    ErrorCapture capture; // before the form: it hears the form's start
    TfrmMain form;
};

// From a click on Calculate until every field bound to a result shows the new
// figure, repaints included. The current mortgage gets fixed inputs, and each
// run a rate 0.01 % above the last, so that every click changes the figures.
// The record is never stored: the file stays as it was.
double calculateClick(const QString &folder)
{
    ShownWindow shown(folder);
    TfrmMain &form = shown.form;
    const QStringList &errors = shown.errors();

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
    return ms;
}

// Add as the main window does it: the INSERT through its command, the list
// re-read with its grid detached, and the new row made current. Every run
// adds a row ("Loan 10001", "Loan 10002", ...), so the file grows by one row
// a run; against 10,000 rows that does not move the figure.
double mortgageAdd(const QString &folder)
{
    ShownWindow shown(folder);
    TfrmMain &form = shown.form;

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

    return ms;
}

// Storing one changed mortgage: the down payment of the current one changed
// in memory, then Save, which stores it only into its own row as it was read.
// Baseline: the plain SQLite C API updating the same row by its key.
void mortgageSave(const QString &folder, const QString &path)
{
    ShownWindow shown(folder);
    TfrmMain &form = shown.form;
    const QStringList &errors = shown.errors();

    std::int64_t down = 0;
    const double saveMs = medianMs([&] {
        form.qMortgage.edit();
        form.qMortgage.field(u"DownPayment").setCurrency(Currency::fromRaw(down += 10000));
        Stopwatch watch;
        form.btnSaveClick();
        const double elapsed = watch.elapsedMs();
        QCoreApplication::processEvents();
        if (form.qMortgage.isEditing() || !errors.isEmpty())
            throw Error("Save did not store the mortgage: " + errors.join(QStringLiteral("; ")).toStdString());
        return elapsed;
    });
    const std::int64_t id = form.qMortgage.field(u"MortgageID").asInteger();

    PlainDatabase db(path);
    PlainStatement update(db, "UPDATE tblMortgage SET DownPayment=? WHERE MortgageID=?");
    const double baselineMs = medianMs([&] {
        Stopwatch watch;
        sqlite3_bind_int64(update.get(), 1, down += 10000);
        sqlite3_bind_int64(update.get(), 2, id);
        update.run("update the mortgage");
        return watch.elapsedMs();
    });
    report("mortgage_save", saveMs, baselineMs);
}

// The mortgage the schedule figures work on: 100,000.00 at 6 % from January
// 2004 with 100.00 prepaid every month, over the given term, and the monthly
// payment a calculation gives for it (599.5505 for 360 months).
ScheduleInputs scheduleInputs(std::int32_t term)
{
    ScheduleInputs inputs;
    inputs.loanAmount = Currency::fromRaw(money(100000.0));
    inputs.interestRate = 6.0;
    inputs.termInMonth = term;
    inputs.startYear = 2004;
    inputs.startMonth = 1;
    inputs.prepayment = Currency::fromRaw(money(100.0));
    inputs.monthlyPayment =
        CalculatePayments(PaymentInputs{inputs.loanAmount, inputs.interestRate, term}).monthlyPayment;
    return inputs;
}

// Stores the inputs and the eight figures of a calculation (for 360 months a
// total interest of 115,838.18) in the first mortgage of the list, the one
// the main window makes current when it opens, as if Calculate had been
// clicked and the record stored; removes its schedule. Returns its MortgageID.
std::int64_t prepareScheduleMortgage(const QString &path, const ScheduleInputs &inputs)
{
    const PaymentResults results =
        CalculatePayments(PaymentInputs{inputs.loanAmount, inputs.interestRate, inputs.termInMonth});
    const Currency down = Currency::fromRaw(money(20000.0));

    PlainDatabase db(path);
    PlainStatement update(
        db,
        "UPDATE tblMortgage SET HouseAmount=?, DownPayment=?, LoanAmount=?, InterestRate=?, TermInMonth=?,"
        " StartYear=?, StartMonth=?, Prepayment=?, MonthlyPayment=?, TotalPayment=?, TotalInterest=?,"
        " BiweeklyPayment=?, BiweeklyTerm=?, BiweeklyTotal=?, BiweeklyTotalInterest=?,"
        " BiweeklyInterestSaved=? WHERE NameSequence=1");
    int at = 0;
    sqlite3_stmt *statement = update.get();
    sqlite3_bind_int64(statement, ++at, (inputs.loanAmount + down).raw());
    sqlite3_bind_int64(statement, ++at, down.raw());
    sqlite3_bind_int64(statement, ++at, inputs.loanAmount.raw());
    sqlite3_bind_double(statement, ++at, inputs.interestRate);
    sqlite3_bind_int(statement, ++at, inputs.termInMonth);
    sqlite3_bind_int(statement, ++at, inputs.startYear);
    sqlite3_bind_int(statement, ++at, inputs.startMonth);
    sqlite3_bind_int64(statement, ++at, inputs.prepayment.raw());
    sqlite3_bind_int64(statement, ++at, results.monthlyPayment.raw());
    sqlite3_bind_int64(statement, ++at, results.totalPayment.raw());
    sqlite3_bind_int64(statement, ++at, results.totalInterest.raw());
    sqlite3_bind_int64(statement, ++at, results.biweeklyPayment.raw());
    sqlite3_bind_int(statement, ++at, results.biweeklyTerm);
    sqlite3_bind_int64(statement, ++at, results.biweeklyTotal.raw());
    sqlite3_bind_int64(statement, ++at, results.biweeklyTotalInterest.raw());
    sqlite3_bind_int64(statement, ++at, results.biweeklyInterestSaved.raw());
    update.run("store the schedule's mortgage");
    if (sqlite3_changes(db.handle()) != 1)
        throw Error("the file has no mortgage with NameSequence 1");

    const std::vector<PlainRow> rows =
        readPlain(db, "SELECT MortgageID FROM tblMortgage WHERE NameSequence=1");
    if (rows.size() != 1 || rows.front().integers.size() != 1)
        throw Error("the MortgageID of the schedule's mortgage could not be read");
    const std::int64_t id = rows.front().integers.front();
    PlainStatement remove(db, "DELETE FROM tblAmortization WHERE MortgageID=?");
    sqlite3_bind_int64(remove.get(), 1, id);
    remove.run("remove the schedule");
    return id;
}

template <typename Widget> Widget *child(TfrmMain &form, const char *name)
{
    auto *widget = form.findChild<Widget *>(QString::fromLatin1(name));
    if (!widget)
        throw Error(std::string("the main window has no ") + name);
    return widget;
}

// Brings the "Payment Schedule" page to the front: the page with the
// Schedule button and the payment grid.
void showPaymentSchedulePage(TfrmMain &form)
{
    child<QTabWidget>(form, "pgMort")->setCurrentIndex(1);
    QCoreApplication::processEvents();
}

// Throws unless the click left a whole schedule of term months, the
// prepayment view's sums and the mortgage record stored, without an error.
void requireGenerated(const TfrmMain &form, const QStringList &errors, std::int32_t term)
{
    if (!errors.isEmpty())
        throw Error("Schedule failed: " + errors.join(QStringLiteral("; ")).toStdString());
    if (form.qAmortization.recordCount() != term)
        throw Error("the schedule has " + std::to_string(form.qAmortization.recordCount()) +
                    " rows, expected " + std::to_string(term));
    if (!form.tvPrepay.footerValue(2))
        throw Error("the prepayment view has no sum of ActualTotal after Schedule");
    if (form.qMortgage.isEditing())
        throw Error("the mortgage record is not stored after Schedule");
}

// From a click on Schedule until its handler returns: the old schedule of
// the current mortgage deleted and the new one stored in one transaction,
// both schedule views rebuilt with their summaries, and the mortgage record
// stored with the prepayment results. Every run replaces the schedule the run
// before made.
double scheduleGenerateClick(const QString &folder, const ScheduleInputs &inputs, int warmupRuns,
                             int measuredRuns)
{
    ShownWindow shown(folder);
    TfrmMain &form = shown.form;
    const QStringList &errors = shown.errors();
    showPaymentSchedulePage(form);
    auto *generate = child<QAbstractButton>(form, "btnGenerate");
    if (form.qMortgage.field(u"TermInMonth").asInteger() != inputs.termInMonth)
        throw Error("the current mortgage is not the schedule's mortgage");
    if (!generate->isEnabled())
        throw Error("Schedule is not enabled");

    const double ms = medianMs(
        [&] {
            Stopwatch watch;
            generate->click();
            const double elapsed = watch.elapsedMs();
            requireGenerated(form, errors, inputs.termInMonth);
            // The grid's layout, repaints and other posted work run outside
            // the timed part.
            QCoreApplication::processEvents();
            return elapsed;
        },
        warmupRuns, measuredRuns);

    return ms;
}

// Keeps every month of a schedule as it is computed.
class ScheduleRowCollector : public ScheduleRowWriter
{
public:
    explicit ScheduleRowCollector(std::vector<ScheduleRow> &rows) : m_rows(rows) {}
    void writeRow(const ScheduleRow &row) override { m_rows.push_back(row); }

private:
    std::vector<ScheduleRow> &m_rows;
};

// The same work as a click on Schedule, straight through the SQLite C API on
// a connection of its own: the months computed by the same GenerateSchedule
// (inside the timed part, as the window computes them too), then in one
// transaction the old schedule deleted and the months inserted with one
// prepared statement, then the schedule read back in full.
double scheduleGeneratePlain(const QString &path, std::int64_t mortgageId, const ScheduleInputs &inputs,
                             int warmupRuns, int measuredRuns)
{
    PlainDatabase db(path);
    const QByteArray readSql = QByteArrayLiteral("SELECT * FROM tblAmortization WHERE MortgageID=?");
    std::vector<ScheduleRow> months;
    months.reserve(std::size_t(inputs.termInMonth));
    std::vector<PlainRow> rows;
    return medianMs(
        [&] {
            Stopwatch watch;
            months.clear();
            ScheduleRowCollector collector(months);
            GenerateSchedule(inputs, collector);
            db.exec("BEGIN");
            {
                PlainStatement remove(db, "DELETE FROM tblAmortization WHERE MortgageID=?");
                sqlite3_bind_int64(remove.get(), 1, mortgageId);
                remove.run("delete the schedule");
                PlainStatement insert(db,
                                      "INSERT INTO tblAmortization (MortgageID, PayDate, Principal, Interest,"
                                      " PrincipalLeft, ActualPrincipal, ActualInterest, ActualLeft)"
                                      " VALUES (?,?,?,?,?,?,?,?)");
                sqlite3_stmt *statement = insert.get();
                for (const ScheduleRow &month : months) {
                    const std::string payDate = toIsoDate(month.payDate);
                    int at = 0;
                    sqlite3_bind_int64(statement, ++at, mortgageId);
                    sqlite3_bind_text(statement, ++at, payDate.c_str(), int(payDate.size()),
                                      SQLITE_TRANSIENT);
                    sqlite3_bind_int64(statement, ++at, month.principal.raw());
                    sqlite3_bind_int64(statement, ++at, month.interest.raw());
                    sqlite3_bind_int64(statement, ++at, month.principalLeft.raw());
                    sqlite3_bind_int64(statement, ++at, month.actualPrincipal.raw());
                    sqlite3_bind_int64(statement, ++at, month.actualInterest.raw());
                    sqlite3_bind_int64(statement, ++at, month.actualLeft.raw());
                    insert.run("insert a month");
                }
            }
            db.exec("COMMIT");
            rows = readPlain(db, readSql, mortgageId); // the previous rows are freed here
            const double ms = watch.elapsedMs();
            if (rows.size() != std::size_t(inputs.termInMonth))
                throw Error("the baseline read back " + std::to_string(rows.size()) + " months");
            g_sink = g_sink + checksum(rows);
            return ms;
        },
        warmupRuns, measuredRuns);
}

// The schedule of term months generated through the main window, against
// the plain C API doing the same work on the same file. Returns the
// MortgageID of the schedule's mortgage.
std::int64_t scheduleGenerate(const char *name, const QString &folder, const QString &path, std::int32_t term,
                              int warmupRuns, int measuredRuns)
{
    const ScheduleInputs inputs = scheduleInputs(term);
    const std::int64_t mortgageId = prepareScheduleMortgage(path, inputs);
    const double windowMs = scheduleGenerateClick(folder, inputs, warmupRuns, measuredRuns);
    const double baselineMs = scheduleGeneratePlain(path, mortgageId, inputs, warmupRuns, measuredRuns);
    report(name, windowMs, baselineMs);
    return mortgageId;
}

// Whether the grid shows its last row whole at the bottom of its rows area:
// the lowest row drawn has none below it. Scrolled to the end, the rows area
// may reach below the last row by less than a row's height.
bool showsLastRow(const platform::GroupedTableView &grid)
{
    const QWidget *rows = grid.viewport();
    const int x = rows->width() / 2;
    for (int y = rows->height() - 1; y >= 0; --y) {
        const QModelIndex lowest = grid.indexAt(QPoint(x, y));
        if (lowest.isValid())
            return !grid.indexBelow(lowest).isValid() && grid.visualRect(lowest).bottom() < rows->height();
    }
    return false;
}

// Whether the image has text in the band from x to x + width: a pixel as
// dark as the grid's black text, which no background, line or fill of the
// grid is.
bool hasTextIn(const QImage &image, int x, int width)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int dx = 0; dx < width; ++dx) {
            const QRgb pixel = image.pixel(std::clamp(x + dx, 0, image.width() - 1), y);
            if (qRed(pixel) < 0x60 && qGreen(pixel) < 0x60 && qBlue(pixel) < 0x60)
                return true;
        }
    }
    return false;
}

// Shows the "Payment Schedule" page of the current mortgage, which must have
// a schedule of term months.
void showScheduleOf(TfrmMain &form, std::int32_t term)
{
    if (form.qAmortization.recordCount() != term)
        throw Error("the current mortgage has " + std::to_string(form.qAmortization.recordCount()) +
                    " months, expected " + std::to_string(term));
    showPaymentSchedulePage(form);
}

// Painting one screenful of the payment grid at the end of a schedule of
// term months: every shown row with its cells, each "Principal Paid" and
// "Interest Paid" cell asking the window for its running total. Without the
// grouping by year a running total adds up every month from the first; the
// baseline is the same paint with the grouping, where it adds up at most the
// twelve months of its year. The rows area is rendered into an image, as a
// repaint of the grid paints it.
void schedulePaintFlatEnd(const QString &folder, std::int32_t term)
{
    ShownWindow shown(folder);
    TfrmMain &form = shown.form;
    const QStringList &errors = shown.errors();
    showScheduleOf(form, term);
    auto *group = child<QAbstractButton>(form, "chkGroup");
    auto *grid = child<platform::GroupedTableView>(form, "grdAmort");
    const int runningTotal = form.tvAmort.columnIndex(u"tvAmortTotalPrincipal");
    if (runningTotal < 0)
        throw Error("the payment view has no tvAmortTotalPrincipal");

    auto paintAtEnd = [&](bool grouped) {
        if (group->isChecked() != grouped)
            group->click(); // chkGroupClick
        QCoreApplication::processEvents();
        if (!errors.isEmpty())
            throw Error("Summary each year failed: " + errors.join(QStringLiteral("; ")).toStdString());
        if (form.tvAmort.isGrouped() != grouped)
            throw Error(std::string("the payment view is ") + (grouped ? "not " : "") + "grouped");
        grid->scrollToBottom();
        QCoreApplication::processEvents();
        if (!showsLastRow(*grid))
            throw Error("the payment grid does not show its last row");

        QImage image(grid->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        const double ms = medianMs([&] {
            image.fill(Qt::white);
            Stopwatch watch;
            grid->viewport()->render(&image);
            return watch.elapsedMs();
        });
        if (!errors.isEmpty())
            throw Error("painting the payment grid failed: " +
                        errors.join(QStringLiteral("; ")).toStdString());
        const QHeaderView *header = grid->header();
        if (!hasTextIn(image, header->sectionViewportPosition(runningTotal),
                       header->sectionSize(runningTotal)))
            throw Error("the payment grid painted no running totals");
        return ms;
    };
    const double flatMs = paintAtEnd(false);
    const double groupedMs = paintAtEnd(true);

    report("schedule_paint_flat_end", flatMs, groupedMs);
}

// How many lines of a view's CSV say they show a month, and how many lines
// it has in all.
struct CsvLines
{
    int months = 0;
    int all = 0;
};

CsvLines csvLines(const QByteArray &csv)
{
    CsvLines lines;
    lines.all = int(csv.count("\r\n"));
    lines.months = int(csv.count("\r\nmonth,"));
    return lines;
}

// The least any CSV writer does for rows of figures: every field of each
// line written as plain text with snprintf into one growing string, the
// figures as ten-thousandths with their four decimals. Writes `lines` lines
// of `fields` fields from the months' raw figures, month after month.
std::size_t writePlainCsv(const std::vector<ScheduleRow> &months, int lines, int fields, std::string &out)
{
    out.clear();
    char buffer[32];
    for (int line = 0; line < lines; ++line) {
        const ScheduleRow &month = months[std::size_t(line) % months.size()];
        const std::int64_t figures[] = {month.principal.raw(),      month.interest.raw(),
                                        month.principalLeft.raw(),  month.actualPrincipal.raw(),
                                        month.actualInterest.raw(), month.actualLeft.raw()};
        out.append("month,");
        int length = std::snprintf(buffer, sizeof buffer, "%d", line);
        out.append(buffer, std::size_t(length));
        for (int field = 2; field < fields; ++field) {
            const std::int64_t figure = figures[std::size_t(field) % std::size(figures)];
            length =
                std::snprintf(buffer, sizeof buffer, ",%lld.%04lld", static_cast<long long>(figure / 10000),
                              static_cast<long long>(std::llabs(figure % 10000)));
            out.append(buffer, std::size_t(length));
        }
        out.append("\r\n");
    }
    return out.size();
}

// Exporting the payment view of a schedule of term months as CSV
// (report::ExportCsv, what Export writes to its file), grouped by year with
// every year open as the window shows it after generation, then without the
// grouping, where every "Principal Paid" and "Interest Paid" cell is a
// running total from the first month. Each is against the plain snprintf
// writer of as many lines and fields (header and totals included), on the
// same schedule's raw figures.
void scheduleExportCsv(const QString &folder, std::int32_t term)
{
    ShownWindow shown(folder);
    TfrmMain &form = shown.form;
    const QStringList &errors = shown.errors();
    showScheduleOf(form, term);
    auto *group = child<QAbstractButton>(form, "chkGroup");

    std::vector<ScheduleRow> months;
    months.reserve(std::size_t(term));
    ScheduleRowCollector collector(months);
    GenerateSchedule(scheduleInputs(term), collector);

    auto exportOf = [&](bool grouped, const char *name) {
        if (group->isChecked() != grouped)
            group->click(); // chkGroupClick
        QCoreApplication::processEvents();
        if (!errors.isEmpty())
            throw Error("Summary each year failed: " + errors.join(QStringLiteral("; ")).toStdString());
        if (form.tvAmort.isGrouped() != grouped)
            throw Error(std::string("the payment view is ") + (grouped ? "not " : "") + "grouped");

        QByteArray csv;
        // A run over the longest schedule takes long: fewer runs.
        const double exportMs = medianMs(
            [&] {
                Stopwatch watch;
                csv = report::ExportCsv(form.tvAmort); // the previous text is freed here
                return watch.elapsedMs();
            },
            1, 7);
        const CsvLines lines = csvLines(csv);
        if (lines.months != term)
            throw Error(std::string(name) + ": the CSV holds " + std::to_string(lines.months) +
                        " months, expected " + std::to_string(term));
        const int fields = int(csv.left(csv.indexOf("\r\n")).count(',')) + 1;

        std::string plain;
        const double baselineMs = medianMs(
            [&] {
                Stopwatch watch;
                g_sink = g_sink + std::int64_t(writePlainCsv(months, lines.all, fields, plain));
                return watch.elapsedMs();
            },
            1, 7);
        report(name, exportMs, baselineMs);
    };
    exportOf(true, "schedule_export_csv_32767");
    exportOf(false, "schedule_export_csv_32767_flat");
}

// Removes the schedule of a mortgage, so that the figures after the schedule
// ones read the file as it was before them.
void removeSchedule(const QString &path, std::int64_t mortgageId)
{
    PlainDatabase db(path);
    PlainStatement remove(db, "DELETE FROM tblAmortization WHERE MortgageID=?");
    sqlite3_bind_int64(remove.get(), 1, mortgageId);
    remove.run("remove the schedule");
}

// The file of the window figures: ScheduledMortgageCount mortgages of
// ScheduledTerm months, each with its schedule stored.
constexpr int ScheduledMortgageCount = 100;
constexpr std::int32_t ScheduledTerm = 360;

// The inputs of mortgage n (1 to 100) of that file: 100,000.00 for the first
// and 1,000.00 more for each after it, at 6 % from January 2004 over 360
// months, with 100.00 prepaid every month, and the monthly payment a
// calculation gives for it (599.5505 for the first). The loans differ, so
// that every mortgage has schedule sums of its own.
ScheduleInputs scheduledMortgageInputs(int n)
{
    ScheduleInputs inputs;
    inputs.loanAmount = Currency::fromRaw(money(100000.0 + (n - 1) * 1000.0));
    inputs.interestRate = 6.0;
    inputs.termInMonth = ScheduledTerm;
    inputs.startYear = 2004;
    inputs.startMonth = 1;
    inputs.prepayment = Currency::fromRaw(money(100.0));
    inputs.monthlyPayment =
        CalculatePayments(PaymentInputs{inputs.loanAmount, inputs.interestRate, ScheduledTerm}).monthlyPayment;
    return inputs;
}

// What the schedule views of a mortgage must hold once it is selected.
struct ScheduledMortgage
{
    std::int64_t mortgageId = 0;
    Currency interest;       // the sum of Interest over its months
    Currency actualInterest; // the sum of ActualInterest over its months
};

// Writes the mortgages "Loan 1" .. "Loan <count>" into a fresh database file, each
// with the eight figures of its calculation, the five prepayment results and
// its 360 schedule rows, as Calculate and Schedule leave them, in one
// transaction. Returns the mortgages in the list's order.
std::vector<ScheduledMortgage> fillScheduledMortgages(const QString &path, int count = ScheduledMortgageCount)
{
    PlainDatabase db(path);
    db.exec("BEGIN");
    std::vector<ScheduledMortgage> mortgages;
    {
        PlainStatement mortgage(
            db,
            "INSERT INTO tblMortgage (MortgageName, NameSequence, InterestRate, TermInMonth, HouseAmount,"
            " DownPayment, LoanAmount, StartYear, StartMonth, MonthlyPayment, TotalPayment, TotalInterest,"
            " Prepayment, ActualMonthly, ActualTerm, ActualTotal, ActualInterest, InterestSaved,"
            " ActualTotalInterest, BiweeklyTerm, BiweeklyPayment, BiweeklyTotal, BiweeklyTotalInterest,"
            " BiweeklyInterestSaved) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
        PlainStatement month(db,
                             "INSERT INTO tblAmortization (MortgageID, PayDate, Principal, Interest,"
                             " PrincipalLeft, ActualPrincipal, ActualInterest, ActualLeft)"
                             " VALUES (?,?,?,?,?,?,?,?)");
        const Currency down = Currency::fromRaw(money(20000.0));
        std::vector<ScheduleRow> months;
        for (int n = 1; n <= count; ++n) {
            const ScheduleInputs inputs = scheduledMortgageInputs(n);
            const PaymentResults results =
                CalculatePayments(PaymentInputs{inputs.loanAmount, inputs.interestRate, inputs.termInMonth});
            months.clear();
            ScheduleRowCollector collector(months);
            const PrepaymentResults prepayment = GeneratePrepaymentResults(inputs, results.totalInterest, &collector);
            // The footer sums the window must show for it.
            ScheduledMortgage expected;
            for (const ScheduleRow &row : months) {
                expected.interest += row.interest;
                expected.actualInterest += row.actualInterest;
            }

            const std::string name = "Loan " + std::to_string(n);
            sqlite3_stmt *statement = mortgage.get();
            int at = 0;
            sqlite3_bind_text(statement, ++at, name.c_str(), int(name.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int(statement, ++at, n);
            sqlite3_bind_double(statement, ++at, inputs.interestRate);
            sqlite3_bind_int(statement, ++at, inputs.termInMonth);
            sqlite3_bind_int64(statement, ++at, (inputs.loanAmount + down).raw());
            sqlite3_bind_int64(statement, ++at, down.raw());
            sqlite3_bind_int64(statement, ++at, inputs.loanAmount.raw());
            sqlite3_bind_int(statement, ++at, inputs.startYear);
            sqlite3_bind_int(statement, ++at, inputs.startMonth);
            sqlite3_bind_int64(statement, ++at, results.monthlyPayment.raw());
            sqlite3_bind_int64(statement, ++at, results.totalPayment.raw());
            sqlite3_bind_int64(statement, ++at, results.totalInterest.raw());
            sqlite3_bind_int64(statement, ++at, inputs.prepayment.raw());
            sqlite3_bind_int64(statement, ++at, prepayment.actualMonthly.raw());
            sqlite3_bind_int(statement, ++at, prepayment.actualTerm);
            sqlite3_bind_int64(statement, ++at, prepayment.actualTotal.raw());
            sqlite3_bind_int64(statement, ++at, prepayment.actualTotalInterest.raw()); // ActualInterest
            sqlite3_bind_int64(statement, ++at, prepayment.interestSaved.raw());
            sqlite3_bind_int64(statement, ++at, prepayment.actualTotalInterest.raw());
            sqlite3_bind_int(statement, ++at, results.biweeklyTerm);
            sqlite3_bind_int64(statement, ++at, results.biweeklyPayment.raw());
            sqlite3_bind_int64(statement, ++at, results.biweeklyTotal.raw());
            sqlite3_bind_int64(statement, ++at, results.biweeklyTotalInterest.raw());
            sqlite3_bind_int64(statement, ++at, results.biweeklyInterestSaved.raw());
            mortgage.run(("insert mortgage " + std::to_string(n)).c_str());
            expected.mortgageId = sqlite3_last_insert_rowid(db.handle());

            statement = month.get();
            for (const ScheduleRow &row : months) {
                const std::string payDate = toIsoDate(row.payDate);
                at = 0;
                sqlite3_bind_int64(statement, ++at, expected.mortgageId);
                sqlite3_bind_text(statement, ++at, payDate.c_str(), int(payDate.size()), SQLITE_TRANSIENT);
                sqlite3_bind_int64(statement, ++at, row.principal.raw());
                sqlite3_bind_int64(statement, ++at, row.interest.raw());
                sqlite3_bind_int64(statement, ++at, row.principalLeft.raw());
                sqlite3_bind_int64(statement, ++at, row.actualPrincipal.raw());
                sqlite3_bind_int64(statement, ++at, row.actualInterest.raw());
                sqlite3_bind_int64(statement, ++at, row.actualLeft.raw());
                month.run("insert a month");
            }
            mortgages.push_back(expected);
        }
    }
    db.exec("COMMIT");
    return mortgages;
}

// Counts the paint events a widget receives from the moment it is watched.
class PaintCounter : public QObject
{
public:
    void watch(QWidget &widget) { widget.installEventFilter(this); }
    int count() const { return m_count; }
    void reset() { m_count = 0; }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++m_count;
        return false;
    }

private:
    int m_count = 0;
};

// Throws unless the window shows the selected mortgage of the list (its row
// in mortgages) with its whole schedule in both schedule views, and no error
// was reported.
void requireSelected(const TfrmMain &form, const QStringList &errors,
                     const std::vector<ScheduledMortgage> &mortgages, int row)
{
    if (!errors.isEmpty())
        throw Error("the main window reported: " + errors.join(QStringLiteral("; ")).toStdString());
    if (form.qMortgage.recordCount() != ScheduledMortgageCount)
        throw Error("the mortgage list read " + std::to_string(form.qMortgage.recordCount()) + " rows, expected " +
                    std::to_string(ScheduledMortgageCount));
    if (form.qMortgage.currentRow() != row)
        throw Error("the current mortgage is row " + std::to_string(form.qMortgage.currentRow()) + ", not " +
                    std::to_string(row));
    const ScheduledMortgage &expected = mortgages.at(std::size_t(row));
    if (form.qMortgage.field(u"MortgageID").asInteger() != expected.mortgageId)
        throw Error("the current mortgage is not the mortgage of row " + std::to_string(row));
    if (form.qAmortization.recordCount() != ScheduledTerm ||
        form.qAmortization.field(u"MortgageID").asInteger() != expected.mortgageId)
        throw Error("the schedule query does not hold the 360 months of the mortgage of row " +
                    std::to_string(row));
    for (const platform::GroupedTableModel *view : {&form.tvAmort, &form.tvPrepay}) {
        if (view->recordCount() != ScheduledTerm)
            throw Error("a schedule view holds " + std::to_string(view->recordCount()) + " months, expected " +
                        std::to_string(ScheduledTerm));
    }
    // The sums tell one mortgage's months from another's.
    if (form.tvAmort.footerValue(1) != expected.interest)
        throw Error("the payment view's Interest sum is not that of the mortgage of row " + std::to_string(row));
    if (form.tvPrepay.footerValue(3) != expected.actualInterest)
        throw Error("the prepayment view's ActualInterest sum is not that of the mortgage of row " +
                    std::to_string(row));
}

// Notes which windows of the program receive a paint event while it lives.
class WindowPaintWatcher : public QObject
{
public:
    WindowPaintWatcher() { QCoreApplication::instance()->installEventFilter(this); }
    ~WindowPaintWatcher() override { QCoreApplication::instance()->removeEventFilter(this); }
    WindowPaintWatcher(const WindowPaintWatcher &) = delete;
    WindowPaintWatcher &operator=(const WindowPaintWatcher &) = delete;

    bool painted(const QWidget &window) const { return m_painted.contains(&window); }
    // Whether every shown window of the program has painted (and one is shown).
    bool everyShownWindowPainted() const
    {
        bool anyShown = false;
        for (const QWidget *window : QApplication::topLevelWidgets()) {
            if (!window->isVisible())
                continue;
            anyShown = true;
            if (!painted(*window))
                return false;
        }
        return anyShown;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType() && static_cast<QWidget *>(watched)->isWindow())
            m_painted.insert(watched);
        return false;
    }

private:
    QSet<const QObject *> m_painted;
};

// The main window's start, as when the program starts, on the file of 100
// scheduled mortgages: from constructing TfrmMain (the form set up, its
// queries, events and bound controls, FormCreate) through show() (FormShow:
// the side bar with the mortgage list placed and shown where the platform
// floats it, the list opened, the first mortgage's 360 months read and both
// schedule views built) until the main window and every other window it
// shows at start (the side bar) have been painted for the first time. The
// end is taken when the processEvents call in which the last of them
// received its first paint event returns: by then that window and every
// visible child of it are painted and the result handed to the screen. The
// window is deleted after each run, outside the timed part, without closing
// it (so no closing dialog is asked). A run takes long: fewer runs.
double windowStartFirstPaint(const QString &folder, const std::vector<ScheduledMortgage> &mortgages)
{
    ErrorCapture capture;
    const QStringList &errors = capture.errors;

    const double ms = medianMs(
        [&] {
            WindowPaintWatcher painted;
            Stopwatch watch;
            auto form = std::make_unique<TfrmMain>(RegionalSettings::usEnglish(), folder);
            frmMain = form.get();
            form->show(); // FormShow opens the store
            while (!painted.everyShownWindowPainted()) {
                QCoreApplication::processEvents();
                if (watch.elapsedMs() > 10000.0)
                    throw Error("the windows of the start were not painted within 10 s");
            }
            const double elapsed = watch.elapsedMs();

            if (!painted.painted(*form))
                throw Error("the main window was not painted at its start");
            requireSelected(*form, errors, mortgages, 0);
            if (form->size() != QSize(632, 446))
                throw Error("the main window is " + std::to_string(form->width()) + "x" +
                            std::to_string(form->height()) + ", not at its designed 632x446");
            frmMain = nullptr;
            form.reset();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::processEvents();
            return elapsed;
        },
        1, 9);

    return ms;
}

// Selecting another mortgage in the list, as a click on its row does
// (Query::moveTo): the pending edit completed, the new row made current,
// qMortgageAfterScroll reopening the schedule query for its 360 months, both
// schedule views rebuilt and their year groups opened, every bound control
// reloaded; then the posted work run (processEvents: layouts and the
// window's repaint) until the payment grid on the "Payment Schedule" page,
// which is at the front, has painted its rows area with the new schedule. If
// the posted repaint did not reach that area, it is repainted at once inside
// the timed part. Runs alternate between the first two rows of the list.
double selectMortgage(const QString &folder, const std::vector<ScheduledMortgage> &mortgages)
{
    ShownWindow shown(folder, int(mortgages.size()));
    TfrmMain &form = shown.form;
    const QStringList &errors = shown.errors();
    requireSelected(form, errors, mortgages, 0);
    showPaymentSchedulePage(form);
    auto *grid = child<QTreeView>(form, "grdAmort");
    if (!grid->isVisible())
        throw Error("the payment grid is not visible");
    PaintCounter gridPainted;
    gridPainted.watch(*grid->viewport());

    int run = 0;
    const double ms = medianMs([&] {
        const int row = run++ % 2 == 0 ? 1 : 0;
        gridPainted.reset();
        Stopwatch watch;
        form.qMortgage.moveTo(row);
        QCoreApplication::processEvents();
        if (gridPainted.count() == 0)
            grid->viewport()->repaint();
        const double elapsed = watch.elapsedMs();

        requireSelected(form, errors, mortgages, row);
        if (gridPainted.count() == 0)
            throw Error("the payment grid was not painted after the selection");
        return elapsed;
    });

    return ms;
}

// The file of the chart and comparison figures: the first ComparedCount
// mortgages of the window figures' file, each stored with its schedule.
constexpr int ComparedCount = 10;

// Drawing the chart of the selected mortgage, the first of the list (the
// worked example: 100,000.00 at 6 % over 360 months from January 2004, 100.00
// prepaid every month), in a chart window over the main window's two
// schedule views, shown: TfrmChart::rebuild reads the months and years from
// the views, fills the balance lines, the payoff point and the year bars,
// sets the axes and lays the charts out. The baseline is the reading alone
// (ChartDataOf).
void chartBuild(const QString &folder)
{
    ShownWindow shown(folder, ComparedCount);
    TfrmMain &form = shown.form;
    const QStringList &errors = shown.errors();
    if (form.tvAmort.recordCount() != ScheduledTerm)
        throw Error("the payment view holds " + std::to_string(form.tvAmort.recordCount()) +
                    " months, expected " + std::to_string(ScheduledTerm));

    TfrmChart chart(
        form.tvAmort, form.tvPrepay, [&form] { return form.qMortgage.field(u"MortgageName").asString(); },
        RegionalSettings::usEnglish(), &form);
    chart.show();
    QCoreApplication::processEvents();

    const double buildMs = medianMs([&] {
        Stopwatch watch;
        chart.rebuild();
        const double elapsed = watch.elapsedMs();
        if (!errors.isEmpty())
            throw Error("drawing the chart failed: " + errors.join(QStringLiteral("; ")).toStdString());
        const ScheduleChartData &data = chart.chartData();
        if (data.months.size() != std::size_t(ScheduledTerm) || data.years.size() != 30 ||
            data.payoffIndex < 0 || data.unreadableMonths != 0)
            throw Error("the chart holds " + std::to_string(data.months.size()) + " months and " +
                        std::to_string(data.years.size()) + " years, payoff month " +
                        std::to_string(data.payoffIndex) + ", expected 360 months, 30 years and a payoff");
        // Repaints run outside the timed part.
        QCoreApplication::processEvents();
        return elapsed;
    });

    const double baselineMs = medianMs([&] {
        Stopwatch watch;
        const ScheduleChartData data = ChartDataOf(form.tvAmort, form.tvPrepay);
        const double elapsed = watch.elapsedMs();
        g_sink = g_sink + std::int64_t(data.months.size()) + data.payoffIndex;
        return elapsed;
    });
    report("chart_build_360", buildMs, baselineMs);
}

// Throws unless the comparison shows every one of the mortgages, each after
// the first with its difference column, all up to date.
void requireCompared(const ComparisonTable &table, const std::vector<ScheduledMortgage> &mortgages)
{
    const int columns = 2 * ComparedCount - 1;
    if (!table.hint.isEmpty() || table.columnCaptions.size() != columns || table.cells.empty() ||
        table.cells.front().size() != std::size_t(columns))
        throw Error("the comparison has " + std::to_string(table.columnCaptions.size()) +
                    " columns, expected " + std::to_string(columns));
    for (int column = 0; column < columns; ++column) {
        const ScheduledMortgage &expected = mortgages.at(std::size_t((column + 1) / 2));
        if (table.mortgageIds[std::size_t(column)] != expected.mortgageId)
            throw Error("column " + std::to_string(column) + " of the comparison is not its mortgage's");
        if (table.stale(column))
            throw Error("the comparison finds the figures of column " + std::to_string(column) +
                        " out of date");
    }
}

// Comparing the ten stored mortgages side by side, as the Compare Mortgages
// window does when they are ticked: CompareMortgages building the table (the
// figures formatted, the differences against the first, the checks of each
// mortgage's figures against its inputs) from the records already read; then
// the same from the file, as Refresh does: the stored mortgages read
// (ReadStoredMortgages, through the main window's open connection) and the
// table built.
void compareMortgages(const QString &folder, const std::vector<ScheduledMortgage> &mortgages)
{
    ShownWindow shown(folder, ComparedCount);
    TfrmMain &form = shown.form;
    const RegionalSettings settings = RegionalSettings::usEnglish();
    QList<qint32> ids;
    for (const ScheduledMortgage &mortgage : mortgages)
        ids << qint32(mortgage.mortgageId);

    const std::vector<StoredMortgage> stored = ReadStoredMortgages(form.MainConnection);
    if (stored.size() != mortgages.size())
        throw Error("the file holds " + std::to_string(stored.size()) + " mortgages, expected " +
                    std::to_string(mortgages.size()));
    const double buildMs = medianMs([&] {
        Stopwatch watch;
        const ComparisonTable table = CompareMortgages(stored, settings);
        const double elapsed = watch.elapsedMs();
        requireCompared(table, mortgages);
        return elapsed;
    });
    report("compare_10", buildMs);

    const double fromFileMs = medianMs([&] {
        Stopwatch watch;
        const ComparisonTable table = CompareMortgages(form.MainConnection, ids, settings);
        const double elapsed = watch.elapsedMs();
        requireCompared(table, mortgages);
        return elapsed;
    });
    report("compare_10_from_file", fromFileMs);
}

} // namespace

int main(int argc, char *argv[])
{
    using calvora::bench::report;
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
        {
            scheduleGenerate("schedule_generate_360", folder.path(), path, 360, bench::WarmupRuns,
                             bench::MeasuredRuns);
            // One run of the longest term takes long: fewer runs.
            constexpr std::int32_t LongestTerm = 32767;
            const std::int64_t mortgageId =
                scheduleGenerate("schedule_generate_32767", folder.path(), path, LongestTerm, 1, 5);
            schedulePaintFlatEnd(folder.path(), LongestTerm);
            scheduleExportCsv(folder.path(), LongestTerm);
            removeSchedule(path, mortgageId);
        }
        mortgageSave(folder.path(), path);
        // Last, as it adds rows to the file.
        report("mortgage_add", mortgageAdd(folder.path()));

        // The window figures, on a file of their own.
        QTemporaryDir scheduledFolder;
        if (!scheduledFolder.isValid())
            throw Error("no temporary folder: " + scheduledFolder.errorString().toStdString());
        const QString scheduledPath = QDir(scheduledFolder.path()).filePath(QStringLiteral("Mortgage.mdb"));
        store::createDatabase(scheduledPath);
        const std::vector<ScheduledMortgage> scheduled = fillScheduledMortgages(scheduledPath);
        report("window_start_first_paint", windowStartFirstPaint(scheduledFolder.path(), scheduled));
        report("select_mortgage", selectMortgage(scheduledFolder.path(), scheduled));

        // The chart and the comparison, on a file of the first ten of them.
        QTemporaryDir comparedFolder;
        if (!comparedFolder.isValid())
            throw Error("no temporary folder: " + comparedFolder.errorString().toStdString());
        const QString comparedPath = QDir(comparedFolder.path()).filePath(QStringLiteral("Mortgage.mdb"));
        store::createDatabase(comparedPath);
        const std::vector<ScheduledMortgage> compared = fillScheduledMortgages(comparedPath, ComparedCount);
        chartBuild(comparedFolder.path());
        compareMortgages(comparedFolder.path(), compared);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "calvora-bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
