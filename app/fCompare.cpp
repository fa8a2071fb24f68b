#include "fCompare.h"

#include "Connection.h"
#include "Currency.h"
#include "DateTime.h"
#include "ErrorHandler.h"
#include "Field.h"
#include "Format.h"
#include "LoanMath.h"
#include "Query.h"
#include "Schedule.h"

#include <QBrush>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <exception>
#include <initializer_list>
#include <optional>

using namespace calvora;
using store::Field;
using Standing = ComparisonTable::Standing;

namespace {

QString qt(const std::string &text)
{
    return QString::fromStdString(text);
}

using enum ComparedColumn;

// The column names in the file, by ComparedColumn.
constexpr std::array<const char16_t *, std::size_t(ComparedColumn::Count)> ColumnNames{
    u"HouseAmount",   u"DownPayment",           u"LoanAmount",
    u"InterestRate",  u"TermInMonth",           u"StartYear",
    u"StartMonth",    u"MonthlyPayment",        u"TotalPayment",
    u"TotalInterest", u"BiweeklyPayment",       u"BiweeklyTerm",
    u"BiweeklyTotal", u"BiweeklyTotalInterest", u"BiweeklyInterestSaved",
    u"Prepayment",    u"ActualMonthly",         u"ActualTerm",
    u"ActualTotal",   u"ActualTotalInterest",   u"InterestSaved",
};

// How the notes name a stored figure.
QString figureName(ComparedColumn column)
{
    switch (column) {
    case MonthlyPayment:
        return QStringLiteral("Monthly Payment");
    case TotalPayment:
        return QStringLiteral("Total Payment");
    case TotalInterest:
        return QStringLiteral("Total Interest");
    case BiweeklyPayment:
        return QStringLiteral("Biweekly Payment");
    case BiweeklyTerm:
        return QStringLiteral("Biweekly Term");
    case BiweeklyTotal:
        return QStringLiteral("Biweekly Total");
    case BiweeklyTotalInterest:
        return QStringLiteral("Biweekly Total Interest");
    case BiweeklyInterestSaved:
        return QStringLiteral("Biweekly Interest Saved");
    case ActualMonthly:
        return QStringLiteral("Monthly Payment with Prepayment");
    case ActualTerm:
        return QStringLiteral("Payoff Month");
    case ActualTotal:
        return QStringLiteral("Total Payment with Prepayment");
    case ActualTotalInterest:
        return QStringLiteral("Total Interest with Prepayment");
    case InterestSaved:
        return QStringLiteral("Interest Saved");
    default:
        return QString::fromUtf16(ColumnNames[std::size_t(column)]);
    }
}

bool isForeign(const QVariant &value)
{
    return Field::isForeign(value);
}
// A column without a value reads as 0.
Currency moneyOf(const QVariant &value)
{
    return value.isValid() ? Currency::fromRaw(value.toLongLong()) : Currency();
}
qint64 integerOf(const QVariant &value)
{
    return value.isValid() ? value.toLongLong() : 0;
}
double doubleOf(const QVariant &value)
{
    return value.isValid() ? value.toDouble() : 0;
}

// What is computed from a mortgage's stored inputs, against its stored figures.
struct Check
{
    Standing standing = Standing::Current;
    bool loanChanged = false;
    QList<ComparedColumn> calculation; // figures Calculate would change
    QList<ComparedColumn> schedule;    // figures Schedule would change
    bool unchecked = false;            // a value that does not fit its column stood in the way

    bool calculationStale() const { return standing == Standing::NotCalculated || !calculation.isEmpty(); }
    bool scheduleStale() const { return standing == Standing::NotCalculated || !schedule.isEmpty(); }
};

Check checkMortgage(const StoredMortgage &mortgage)
{
    Check check;
    auto anyForeign = [&](std::initializer_list<ComparedColumn> columns) {
        for (const ComparedColumn column : columns)
            if (isForeign(mortgage.value(column)))
                return true;
        return false;
    };
    auto money = [&](ComparedColumn column) { return moneyOf(mortgage.value(column)); };
    // A stored figure against the one computed; a foreign one is not compared.
    auto compare = [&](QList<ComparedColumn> &changed, ComparedColumn column, auto computed) {
        const QVariant &stored = mortgage.value(column);
        if (isForeign(stored)) {
            check.unchecked = true;
            return;
        }
        bool same = false;
        if constexpr (std::is_same_v<decltype(computed), Currency>)
            same = moneyOf(stored) == computed;
        else
            same = integerOf(stored) == computed;
        if (!same)
            changed << column;
    };

    // The loan amount follows the price and the down payment.
    if (anyForeign({HouseAmount, DownPayment, LoanAmount})) {
        check.unchecked = true;
    } else {
        try {
            check.loanChanged = money(HouseAmount) - money(DownPayment) != money(LoanAmount);
        } catch (const std::exception &) {
            check.loanChanged = true;
        }
    }

    if (isForeign(mortgage.value(MonthlyPayment))) {
        check.unchecked = true;
        return check;
    }
    if (money(MonthlyPayment).isZero()) {
        check.standing = Standing::NotCalculated;
        return check;
    }

    static constexpr std::array CalculationFigures{MonthlyPayment,        TotalPayment,         TotalInterest,
                                                   BiweeklyPayment,       BiweeklyTerm,         BiweeklyTotal,
                                                   BiweeklyTotalInterest, BiweeklyInterestSaved};
    if (anyForeign({LoanAmount, InterestRate, TermInMonth})) {
        check.unchecked = true;
    } else {
        try {
            const PaymentResults results =
                CalculatePayments({money(LoanAmount), doubleOf(mortgage.value(InterestRate)),
                                   std::int32_t(integerOf(mortgage.value(TermInMonth)))});
            compare(check.calculation, MonthlyPayment, results.monthlyPayment);
            compare(check.calculation, TotalPayment, results.totalPayment);
            compare(check.calculation, TotalInterest, results.totalInterest);
            compare(check.calculation, BiweeklyPayment, results.biweeklyPayment);
            compare(check.calculation, BiweeklyTerm, qint64(results.biweeklyTerm));
            compare(check.calculation, BiweeklyTotal, results.biweeklyTotal);
            compare(check.calculation, BiweeklyTotalInterest, results.biweeklyTotalInterest);
            compare(check.calculation, BiweeklyInterestSaved, results.biweeklyInterestSaved);
        } catch (const std::exception &) {
            // The inputs no longer give figures at all (a zero rate, term or loan).
            check.calculation = QList<ComparedColumn>(CalculationFigures.begin(), CalculationFigures.end());
        }
    }

    // The prepayment results, once a schedule was made (or a prepayment
    // entered that no schedule has taken in yet).
    static constexpr std::array ScheduleFigures{ActualMonthly, ActualTerm, ActualTotal, ActualTotalInterest,
                                                InterestSaved};
    if (anyForeign({ActualTerm, ActualMonthly, Prepayment})) {
        check.unchecked = true;
    } else if (integerOf(mortgage.value(ActualTerm)) != 0 || !money(ActualMonthly).isZero() ||
               !money(Prepayment).isZero()) {
        if (anyForeign({LoanAmount, InterestRate, TermInMonth, StartYear, StartMonth, TotalInterest})) {
            check.unchecked = true;
        } else {
            ScheduleInputs inputs;
            inputs.loanAmount = money(LoanAmount);
            inputs.monthlyPayment = money(MonthlyPayment);
            inputs.prepayment = money(Prepayment);
            inputs.interestRate = doubleOf(mortgage.value(InterestRate));
            inputs.startYear = std::int32_t(integerOf(mortgage.value(StartYear)));
            inputs.startMonth = std::int32_t(integerOf(mortgage.value(StartMonth)));
            inputs.termInMonth = std::int32_t(integerOf(mortgage.value(TermInMonth)));
            try {
                const PrepaymentResults results = GeneratePrepaymentResults(inputs, money(TotalInterest));
                compare(check.schedule, ActualMonthly, results.actualMonthly);
                compare(check.schedule, ActualTerm, qint64(results.actualTerm));
                compare(check.schedule, ActualTotal, results.actualTotal);
                compare(check.schedule, ActualTotalInterest, results.actualTotalInterest);
                compare(check.schedule, InterestSaved, results.interestSaved);
            } catch (const std::exception &) {
                check.schedule = QList<ComparedColumn>(ScheduleFigures.begin(), ScheduleFigures.end());
            }
        }
    }
    if (check.loanChanged || !check.calculation.isEmpty() || !check.schedule.isEmpty())
        check.standing = Standing::Changed;
    return check;
}

// How a row shows its values and their difference.
enum class Shown
{
    Money,
    Rate,
    Count,
    FirstMonth,
    PayoffMonth
};
// Which check a row's figure depends on.
enum class Source
{
    Input,
    Loan,
    Calculation,
    Schedule
};

struct RowDef
{
    const char *caption;
    ComparedColumn column;
    Shown shown;
    Source source;
};

constexpr std::array<RowDef, 15> Rows{{
    {"House Price", HouseAmount, Shown::Money, Source::Input},
    {"Down Payment", DownPayment, Shown::Money, Source::Input},
    {"Loan Amount", LoanAmount, Shown::Money, Source::Loan},
    {"Interest Rate (%)", InterestRate, Shown::Rate, Source::Input},
    {"Term in Months", TermInMonth, Shown::Count, Source::Input},
    {"First Payment", StartMonth, Shown::FirstMonth, Source::Input},
    {"Monthly Payment (P&I)", MonthlyPayment, Shown::Money, Source::Calculation},
    {"Total Payment (P&I)", TotalPayment, Shown::Money, Source::Calculation},
    {"Total Interest Paid", TotalInterest, Shown::Money, Source::Calculation},
    {"Biweekly Payment (P&I)", BiweeklyPayment, Shown::Money, Source::Calculation},
    {"Biweekly Term in Months", BiweeklyTerm, Shown::Count, Source::Calculation},
    {"Biweekly Interest Saved", BiweeklyInterestSaved, Shown::Money, Source::Calculation},
    {"Prepayment", Prepayment, Shown::Money, Source::Input},
    {"Payoff Month", ActualTerm, Shown::PayoffMonth, Source::Schedule},
    {"Interest Saved", InterestSaved, Shown::Money, Source::Schedule},
}};

const QString NoFigure = QStringLiteral("\u2014");
const QString Minus = QStringLiteral("\u2212");

// A value of a row as shown, and the number a difference is made of (none
// when the value is foreign or missing).
struct Figure
{
    QString text;
    std::optional<Currency> money;
    std::optional<double> rate;
    std::optional<qint64> count; // a count, or a month as months since year 0
};

// The month of the first payment as months since year 0, when it forms a date.
std::optional<qint64> firstMonthOf(const StoredMortgage &mortgage)
{
    const QVariant &year = mortgage.value(StartYear);
    const QVariant &month = mortgage.value(StartMonth);
    if (isForeign(year) || isForeign(month))
        return std::nullopt;
    DateTime date = 0;
    if (!tryEncodeDate(int(integerOf(year)), int(integerOf(month)), 1, date))
        return std::nullopt;
    return integerOf(year) * 12 + integerOf(month) - 1;
}

QString monthText(qint64 months, const RegionalSettings &settings)
{
    DateTime date = 0;
    if (!tryEncodeDate(int(months / 12), int(months % 12) + 1, 1, date))
        return NoFigure;
    return qt(formatDate("mmm yyyy", date, settings));
}

Figure figureOf(const StoredMortgage &mortgage, const RowDef &row, const RegionalSettings &settings)
{
    Figure figure;
    if (row.shown == Shown::FirstMonth) {
        for (const ComparedColumn column : {StartMonth, StartYear})
            if (isForeign(mortgage.value(column)))
                figure.text = mortgage.value(column).value<store::ForeignValue>().stored.toString();
        if (!figure.text.isEmpty())
            return figure;
        figure.count = firstMonthOf(mortgage);
        if (figure.count)
            figure.text = monthText(*figure.count, settings);
        return figure;
    }
    const QVariant &value = mortgage.value(row.column);
    if (isForeign(value)) {
        figure.text = value.value<store::ForeignValue>().stored.toString();
        return figure;
    }
    switch (row.shown) {
    case Shown::Money:
        figure.money = moneyOf(value);
        figure.text = qt(formatMoney(*figure.money, settings));
        break;
    case Shown::Rate:
        // As the rate edit shows it: every significant digit, the locale's separator.
        figure.rate = doubleOf(value);
        figure.text =
            QString::number(*figure.rate, 'g', 15).replace(QLatin1Char('.'), qt(settings.decimalSeparator));
        break;
    case Shown::Count:
        figure.count = integerOf(value);
        figure.text = qt(formatFloat(",0;-,0", *figure.count, settings));
        break;
    case Shown::PayoffMonth: {
        const qint64 term = integerOf(value);
        const std::optional<qint64> first = firstMonthOf(mortgage);
        if (term == 0 || !first || isForeign(mortgage.value(ActualTerm))) {
            figure.text = NoFigure;
        } else {
            figure.count = *first + term - 1;
            figure.text = monthText(*figure.count, settings);
        }
        break;
    }
    case Shown::FirstMonth:
        break;
    }
    return figure;
}

QString signedText(int sign, const QString &magnitude)
{
    return sign > 0 ? QLatin1Char('+') + magnitude : sign < 0 ? Minus + magnitude : magnitude;
}

QString monthsText(qint64 months)
{
    return QString::number(months < 0 ? -months : months) +
           (months == 1 || months == -1 ? QStringLiteral(" month") : QStringLiteral(" months"));
}

// other − base, signed; a dash when either has no number.
QString differenceText(const Figure &base, const Figure &other, Shown shown, const RegionalSettings &settings)
{
    try {
        if (base.money && other.money) {
            const Currency difference = *other.money - *base.money;
            const int sign = difference.isZero() ? 0 : difference < Currency() ? -1 : 1;
            return signedText(sign, qt(formatMoney(sign < 0 ? -difference : difference, settings)));
        }
        if (base.rate && other.rate) {
            // Twelve significant digits leave out what binary fractions add (5.99 − 6).
            const double difference = *other.rate - *base.rate;
            const QString magnitude = QString::number(difference < 0 ? -difference : difference, 'g', 12)
                                          .replace(QLatin1Char('.'), qt(settings.decimalSeparator));
            return signedText(difference == 0 ? 0 : difference < 0 ? -1 : 1, magnitude);
        }
        if (base.count && other.count) {
            const qint64 difference = *other.count - *base.count;
            const int sign = difference == 0 ? 0 : difference < 0 ? -1 : 1;
            if (shown == Shown::Count)
                return signedText(sign,
                                  qt(formatFloat(",0", difference < 0 ? -difference : difference, settings)));
            return signedText(sign, monthsText(difference));
        }
    } catch (const std::exception &) {
        // A difference beyond the range of money has no figure.
    }
    return NoFigure;
}

bool staleFor(const Check &check, Source source)
{
    switch (source) {
    case Source::Input:
        return false;
    case Source::Loan:
        return check.loanChanged;
    case Source::Calculation:
        return check.calculationStale();
    case Source::Schedule:
        return check.scheduleStale();
    }
    return false;
}

QString quotedName(const QString &name)
{
    return QStringLiteral("\u201C%1\u201D").arg(name);
}

QString figureList(const QList<ComparedColumn> &columns)
{
    QStringList names;
    for (const ComparedColumn column : columns)
        names << figureName(column);
    if (names.size() == 1)
        return names.front() + QStringLiteral(" is");
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last + QStringLiteral(" are");
}

QString headerOf(const StoredMortgage &mortgage, const Check &check)
{
    if (check.standing == Standing::NotCalculated)
        return mortgage.name + QStringLiteral("\n(not calculated)");
    if (check.standing == Standing::Changed) {
        const bool calculation = check.loanChanged || !check.calculation.isEmpty();
        const bool schedule = !check.schedule.isEmpty();
        return mortgage.name + (calculation && schedule
                                    ? QStringLiteral("\n(changed since last Calculate and Schedule)")
                                : calculation ? QStringLiteral("\n(changed since last Calculate)")
                                              : QStringLiteral("\n(changed since last Schedule)"));
    }
    return mortgage.name;
}

QStringList notesOf(const StoredMortgage &mortgage, const Check &check)
{
    QStringList notes;
    const QString name = quotedName(mortgage.name);
    if (check.standing == Standing::NotCalculated)
        notes << QStringLiteral("%1 has not been calculated; Calculate gives its figures.").arg(name);
    if (check.loanChanged)
        notes << QStringLiteral("%1: Loan Amount is not House Price less Down Payment.").arg(name);
    if (!check.calculation.isEmpty())
        notes << QStringLiteral("%1: %2 out of date; Calculate brings them up to date.")
                     .arg(name, figureList(check.calculation));
    if (!check.schedule.isEmpty())
        notes << QStringLiteral("%1: %2 out of date; Schedule brings them up to date.")
                     .arg(name, figureList(check.schedule));
    if (check.unchecked)
        notes << QStringLiteral(
                     "%1: a stored value does not fit its column; it is shown as stored and has no "
                     "difference, and the figures that depend on it could not be checked.")
                     .arg(name);
    return notes;
}

} // namespace

std::vector<StoredMortgage> ReadStoredMortgages(store::Connection &connection)
{
    // The order of the mortgage list.
    store::Query query(connection, QStringLiteral("qCompare"));
    query.setSql(QStringLiteral("SELECT * FROM tblMortgage\nORDER BY NameSequence"));
    query.open();
    std::array<int, std::size_t(ComparedColumn::Count)> indexes{};
    for (std::size_t i = 0; i < ColumnNames.size(); ++i)
        indexes[i] = query.field(ColumnNames[i]).index();
    const int id = query.field(u"MortgageID").index();
    const int name = query.field(u"MortgageName").index();

    std::vector<StoredMortgage> mortgages;
    mortgages.reserve(std::size_t(query.viewRowCount()));
    for (int row = 0; row < query.viewRowCount(); ++row) {
        StoredMortgage mortgage;
        mortgage.id = qint32(query.viewValue(row, id).toLongLong());
        mortgage.name = query.viewText(row, name);
        for (std::size_t i = 0; i < indexes.size(); ++i)
            mortgage.values[i] = query.viewValue(row, indexes[i]);
        mortgages.push_back(std::move(mortgage));
    }
    query.close();
    return mortgages;
}

ComparisonTable CompareMortgages(const std::vector<StoredMortgage> &mortgages,
                                 const RegionalSettings &settings)
{
    ComparisonTable table;
    for (const RowDef &row : Rows)
        table.rowCaptions << QString::fromLatin1(row.caption);
    table.cells.resize(Rows.size());
    if (mortgages.size() < 2) {
        table.hint = QStringLiteral("Tick two or more mortgages to compare them.");
        return table;
    }

    const Check baseCheck = checkMortgage(mortgages.front());
    std::vector<Figure> base;
    base.reserve(Rows.size());
    for (const RowDef &row : Rows)
        base.push_back(figureOf(mortgages.front(), row, settings));

    for (std::size_t m = 0; m < mortgages.size(); ++m) {
        const StoredMortgage &mortgage = mortgages[m];
        const Check check = m == 0 ? baseCheck : checkMortgage(mortgage);
        const QString header = headerOf(mortgage, check);
        table.columnCaptions << header;
        table.mortgageIds.push_back(mortgage.id);
        table.difference.push_back(false);
        table.standing.push_back(check.standing);
        if (m > 0) {
            table.columnCaptions << QStringLiteral("Difference");
            table.mortgageIds.push_back(mortgage.id);
            table.difference.push_back(true);
            table.standing.push_back(check.standing);
        }
        table.notes << notesOf(mortgage, check);

        for (std::size_t r = 0; r < Rows.size(); ++r) {
            const RowDef &row = Rows[r];
            const Figure figure = m == 0 ? base[r] : figureOf(mortgage, row, settings);
            table.cells[r].push_back(figure.text);
            if (m == 0)
                continue;
            // Figures out of date on either side make no difference worth reading.
            table.cells[r].push_back(staleFor(baseCheck, row.source) || staleFor(check, row.source)
                                         ? NoFigure
                                         : differenceText(base[r], figure, row.shown, settings));
        }
    }
    return table;
}

ComparisonTable CompareMortgages(store::Connection &connection, const QList<qint32> &mortgageIds,
                                 const RegionalSettings &settings)
{
    const std::vector<StoredMortgage> stored = ReadStoredMortgages(connection);
    std::vector<StoredMortgage> chosen;
    for (const qint32 id : mortgageIds)
        for (const StoredMortgage &mortgage : stored)
            if (mortgage.id == id)
                chosen.push_back(mortgage);
    return CompareMortgages(chosen, settings);
}

// ---------------------------------------------------------------------------

namespace {

// The look of the schedule grids.
const QColor ContentEven(0xE3, 0xE8, 0xDA);
const QColor HeaderColor(0xEE, 0xF1, 0xE7);
const QColor GridLine(0xC6, 0xCE, 0xB6);
// A mortgage whose figures are out of date, its rows still told apart.
const QColor StaleTint(0xFF, 0xEE, 0xD2);
const QColor StaleTintEven(0xF8, 0xE0, 0xB8);

constexpr int IdRole = Qt::UserRole;

} // namespace

TfrmCompare::TfrmCompare(store::Connection &connection, const RegionalSettings &settings,
                         qint32 currentMortgageId, QWidget *parent)
    : QDialog(parent), m_connection(connection), m_settings(settings), m_currentId(currentMortgageId)
{
    setObjectName(QStringLiteral("frmCompare"));
    setWindowTitle(QStringLiteral("Compare Mortgages"));
    setSizeGripEnabled(true);
    resize(780, 430);

    auto *lblMortgages = new QLabel(QStringLiteral("Mortgages"), this);
    lblMortgages->setObjectName(QStringLiteral("lblMortgages"));
    lstMortgages = new QListWidget(this);
    lstMortgages->setObjectName(QStringLiteral("lstMortgages"));
    lstMortgages->setToolTip(
        QStringLiteral("Tick the mortgages to compare; the first ticked is the base of the differences"));
    lstMortgages->setFixedWidth(160);
    lblMortgages->setBuddy(lstMortgages);

    grdCompare = new QTableWidget(this);
    grdCompare->setObjectName(QStringLiteral("grdCompare"));
    grdCompare->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdCompare->setSelectionMode(QAbstractItemView::NoSelection);
    grdCompare->setFocusPolicy(Qt::ClickFocus);
    grdCompare->setAlternatingRowColors(true);
    grdCompare->verticalHeader()->setVisible(false);
    grdCompare->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grdCompare->horizontalHeader()->setHighlightSections(false);
    QFont font = grdCompare->font();
    font.setPixelSize(11);
    grdCompare->setFont(font);
    grdCompare->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 6);
    QPalette palette = grdCompare->palette();
    palette.setColor(QPalette::AlternateBase, ContentEven);
    palette.setColor(QPalette::Base, Qt::white);
    grdCompare->setPalette(palette);
    grdCompare->setStyleSheet(QStringLiteral("QTableWidget { gridline-color: %1; }").arg(GridLine.name()));
    grdCompare->horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { background-color: %1; border: none; "
                       "border-right: 1px solid %2; border-bottom: 1px solid %2; padding-left: 3px; }")
            .arg(HeaderColor.name(), GridLine.name()));

    lblHint = new QLabel(this);
    lblHint->setObjectName(QStringLiteral("lblHint"));
    lblHint->setAlignment(Qt::AlignCenter);
    lblNotes = new QLabel(this);
    lblNotes->setObjectName(QStringLiteral("lblNotes"));
    lblNotes->setWordWrap(true);
    lblNotes->setTextFormat(Qt::PlainText);

    btnRefresh = new QPushButton(QStringLiteral("&Refresh"), this);
    btnRefresh->setObjectName(QStringLiteral("btnRefresh"));
    btnRefresh->setToolTip(QStringLiteral("Read the stored mortgages again"));
    btnRefresh->setAutoDefault(false);
    btnClose = new QPushButton(QStringLiteral("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setAutoDefault(false);
    for (QPushButton *button : {btnRefresh, btnClose})
        button->setMinimumWidth(75);

    // Differences are exact; the amounts beside them are rounded to cents.
    auto *lblExact = new QLabel(
        QStringLiteral("Differences are taken between the amounts as stored, to a ten-thousandth, so a "
                       "difference can be a cent off the difference of the rounded amounts shown."),
        this);
    lblExact->setObjectName(QStringLiteral("lblExact"));
    lblExact->setWordWrap(true);
    lblExact->setStyleSheet(QStringLiteral("color: #404040;"));

    auto *left = new QVBoxLayout;
    left->addWidget(lblMortgages);
    left->addWidget(lstMortgages);
    auto *right = new QVBoxLayout;
    right->addWidget(grdCompare, 1);
    right->addWidget(lblHint, 1);
    right->addWidget(lblNotes);
    right->addWidget(lblExact);
    auto *body = new QHBoxLayout;
    body->addLayout(left);
    body->addLayout(right, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnRefresh);
    buttons->addWidget(btnClose);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);

    connect(lstMortgages, &QListWidget::itemChanged, this,
            [this](QListWidgetItem *item) { platform::guarded([&] { lstMortgagesItemChanged(item); }); });
    connect(lstMortgages, &QListWidget::itemPressed, this,
            [this](QListWidgetItem *item) { platform::guarded([&] { lstMortgagesItemPressed(item); }); });
    connect(lstMortgages, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { platform::guarded([&] { lstMortgagesItemClicked(item); }); });
    connect(btnRefresh, &QPushButton::clicked, this, [this] { platform::guarded([this] { refresh(); }); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);

    platform::guarded([this] { FormCreate(); });
}

TfrmCompare::~TfrmCompare() = default;

void TfrmCompare::FormCreate()
{
    // Opens on the current mortgage and the one after it in the list.
    QList<qint32> ticked{m_currentId};
    try {
        readMortgages();
    } catch (...) {
        fillList({});
        throw;
    }
    for (std::size_t i = 0; i + 1 < m_mortgages.size(); ++i)
        if (m_mortgages[i].id == m_currentId)
            ticked << m_mortgages[i + 1].id;
    fillList(ticked);
    if (lstMortgages->count() > 0)
        lstMortgages->setCurrentRow(0);
    for (int row = 0; row < lstMortgages->count(); ++row)
        if (lstMortgages->item(row)->data(IdRole).toInt() == m_currentId)
            lstMortgages->setCurrentRow(row);
}

void TfrmCompare::refresh()
{
    const QList<qint32> ticked = tickedMortgages();
    const int current = lstMortgages->currentRow();
    m_mortgages.clear();
    try {
        readMortgages();
    } catch (...) {
        fillList({});
        throw;
    }
    fillList(ticked);
    if (current >= 0 && current < lstMortgages->count())
        lstMortgages->setCurrentRow(current);
}

void TfrmCompare::refresh(qint32 currentMortgageId)
{
    if (currentMortgageId == m_currentId) {
        refresh();
        return;
    }
    m_currentId = currentMortgageId;
    QList<qint32> ticked = tickedMortgages();
    ticked.removeAll(currentMortgageId);
    ticked.prepend(currentMortgageId);
    m_mortgages.clear();
    try {
        readMortgages();
    } catch (...) {
        fillList({});
        throw;
    }
    fillList(ticked);
    for (int row = 0; row < lstMortgages->count(); ++row)
        if (lstMortgages->item(row)->data(IdRole).toInt() == m_currentId)
            lstMortgages->setCurrentRow(row);
}

void TfrmCompare::readMortgages()
{
    m_mortgages = ReadStoredMortgages(m_connection);
}

void TfrmCompare::fillList(const QList<qint32> &ticked)
{
    {
        m_filling = true;
        const auto done = qScopeGuard([this] { m_filling = false; });
        lstMortgages->clear();
        for (const StoredMortgage &mortgage : m_mortgages) {
            auto *item = new QListWidgetItem(mortgage.name, lstMortgages);
            item->setData(IdRole, mortgage.id);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(ticked.contains(mortgage.id) ? Qt::Checked : Qt::Unchecked);
        }
    }
    showComparison();
}

QList<qint32> TfrmCompare::tickedMortgages() const
{
    // In list order, the current mortgage first.
    QList<qint32> ticked;
    for (int row = 0; row < lstMortgages->count(); ++row) {
        const QListWidgetItem *item = lstMortgages->item(row);
        if (item->checkState() != Qt::Checked)
            continue;
        const qint32 id = item->data(IdRole).toInt();
        if (id == m_currentId)
            ticked.prepend(id);
        else
            ticked << id;
    }
    return ticked;
}

void TfrmCompare::showComparison()
{
    std::vector<StoredMortgage> chosen;
    for (const qint32 id : tickedMortgages())
        for (const StoredMortgage &mortgage : m_mortgages)
            if (mortgage.id == id)
                chosen.push_back(mortgage);
    const ComparisonTable table = CompareMortgages(chosen, m_settings);

    const bool compared = table.hint.isEmpty();
    grdCompare->setVisible(compared);
    lblHint->setVisible(!compared);
    lblHint->setText(table.hint);
    QStringList notes = table.notes;
    const qint32 unsaved = m_unsaved ? m_unsaved() : -1;
    for (const StoredMortgage &mortgage : chosen)
        if (mortgage.id == unsaved && compared)
            notes << QStringLiteral("%1 has changes that are not saved; this shows it as saved.").arg(mortgage.name);
    lblNotes->setText(notes.join(QLatin1Char('\n')));
    lblNotes->setVisible(!notes.isEmpty());
    grdCompare->clear();
    if (!compared) {
        grdCompare->setRowCount(0);
        grdCompare->setColumnCount(0);
        return;
    }

    grdCompare->setRowCount(int(table.rowCaptions.size()));
    grdCompare->setColumnCount(int(table.columnCaptions.size()) + 1);
    grdCompare->setHorizontalHeaderItem(0, new QTableWidgetItem(QString()));
    for (int column = 0; column < table.columnCaptions.size(); ++column)
        grdCompare->setHorizontalHeaderItem(column + 1, new QTableWidgetItem(table.columnCaptions[column]));
    for (int row = 0; row < table.rowCaptions.size(); ++row) {
        auto *caption = new QTableWidgetItem(table.rowCaptions[row]);
        caption->setBackground(HeaderColor);
        grdCompare->setItem(row, 0, caption);
        for (int column = 0; column < table.columnCaptions.size(); ++column) {
            auto *cell = new QTableWidgetItem(table.cells[std::size_t(row)][std::size_t(column)]);
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (table.stale(column))
                cell->setBackground(row % 2 == 1 ? StaleTintEven : StaleTint);
            grdCompare->setItem(row, column + 1, cell);
        }
    }
    grdCompare->resizeColumnsToContents();
    for (int column = 1; column < grdCompare->columnCount(); ++column)
        grdCompare->setColumnWidth(column, std::max(grdCompare->columnWidth(column) + 8, 96));
}

void TfrmCompare::lstMortgagesItemChanged(QListWidgetItem *)
{
    if (!m_filling)
        showComparison();
}

// A click anywhere on a mortgage ticks or unticks it, not only on its box:
// the box itself has turned it already when the click ends there.
void TfrmCompare::lstMortgagesItemPressed(QListWidgetItem *item)
{
    m_pressedState = item->checkState();
}

void TfrmCompare::lstMortgagesItemClicked(QListWidgetItem *item)
{
    if (item->checkState() == m_pressedState)
        item->setCheckState(m_pressedState == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}
