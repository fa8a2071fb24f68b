#include "ScheduleChart.h"

#include "ErrorHandler.h"
#include "FileNames.h"
#include "Errors.h"
#include "Field.h"
#include "Format.h"
#include "GroupedTableModel.h"
#include "Query.h"

#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QBuffer>
#include <QGraphicsLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <optional>

using calvora::Currency;
using calvora::platform::GroupedTableModel;

namespace {

QString qt(const std::string &text)
{
    return QString::fromStdString(text);
}

// The colours of the schedule grids: their lines, and calm tones of the
// selection blue and the grid greens for the figures.
const QColor GridLine(0xC6, 0xCE, 0xB6);
const QColor AxisLine(0x9A, 0xA5, 0x88);
const QColor PlainBalance(0x00, 0x66, 0xCC);
const QColor PrepaidBalance(0x4E, 0x7A, 0x27);
const QColor PrincipalBar(0x8F, 0xB0, 0x6A);
const QColor InterestBar(0xE0, 0xB8, 0x6B);

double plotted(Currency amount)
{
    return double(amount.toExtended());
}

// A column of a view by its name; throws when the view has none, which only
// a view set up differently can cause.
int columnOf(const GroupedTableModel &view, const char *name)
{
    const int column = view.columnIndex(QString::fromLatin1(name));
    if (column < 0)
        throw calvora::Error(QStringLiteral("The schedule view has no column %1.")
                                 .arg(QString::fromLatin1(name))
                                 .toStdString());
    return column;
}

// A step of 1, 2, 2.5 or 5 times a power of ten that divides 0..top into at
// most `most` parts.
double roundStep(double top, int most)
{
    if (!(top > 0))
        return 1;
    const double rough = top / most;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (factor * power >= rough)
            return factor * power;
    }
    return 10 * power;
}

// Years between labelled ticks of a time axis spanning `years` years.
int yearStep(int years)
{
    if (years <= 12)
        return 1;
    if (years <= 24)
        return 2;
    if (years <= 60)
        return 5;
    if (years <= 120)
        return 10;
    return 50 * (years / 600 + 1);
}

void styleAxis(QAbstractAxis &axis, const QFont &font)
{
    axis.setLabelsFont(font);
    axis.setLabelsColor(Qt::black);
    axis.setGridLineColor(GridLine);
    axis.setLinePenColor(AxisLine);
    axis.setShadesVisible(false);
}

QChart *newChart(const QFont &font, const QString &title)
{
    auto *chart = new QChart;
    chart->setTheme(QChart::ChartThemeLight);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);
    chart->setBackgroundBrush(Qt::white);
    chart->setBackgroundPen(QPen(GridLine));
    chart->setMargins(QMargins(4, 0, 12, 4));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    QFont titleFont = font;
    titleFont.setBold(true);
    chart->setTitleFont(titleFont);
    chart->setTitle(title);
    chart->legend()->setFont(font);
    chart->legend()->setAlignment(Qt::AlignTop);
    return chart;
}

} // namespace

ScheduleChartData ChartDataOf(const GroupedTableModel &payment, const GroupedTableModel &prepayment)
{
    ScheduleChartData data;
    const calvora::store::Query *query = payment.query();
    if (!query || payment.recordCount() == 0)
        return data;

    const int payDateColumn = columnOf(payment, "tvAmortPayDate");
    const int leftColumn = columnOf(payment, "tvAmortPrincipalLeft");
    const int principalColumn = columnOf(payment, "tvAmortPrincipal");
    const int interestColumn = columnOf(payment, "tvAmortInterest");
    const int actualLeftColumn = columnOf(prepayment, "tvPrepayActualLeft");
    const int actualPrincipalColumn = columnOf(prepayment, "tvPrepayActualPrincipal");
    const int actualInterestColumn = columnOf(prepayment, "tvPrepayActualInterest");
    const calvora::store::Field *payDate = query->findField(payment.column(payDateColumn).field);
    if (!payDate)
        throw calvora::Error("The schedule has no PayDate column.");

    // A month's amount in a view's column; an empty value reads as 0, a
    // value that does not fit its column as none.
    const auto amountOf = [](const GroupedTableModel &view, int record,
                             int column) -> std::optional<Currency> {
        if (record < 0)
            return Currency();
        if (const std::optional<Currency> amount = view.recordAmount(record, column))
            return amount;
        const calvora::store::Query *rows = view.query();
        const calvora::store::Field *field = rows ? rows->findField(view.column(column).field) : nullptr;
        if (field && calvora::store::Field::isForeign(rows->viewValue(record, field->index())))
            return std::nullopt;
        return Currency();
    };

    // Both views show the rows of the one schedule query; each month is read
    // from a view in the view's own month order.
    const std::vector<int> &records = payment.sortedRecords();
    const std::vector<int> &prepaidRecords = prepayment.sortedRecords();
    data.months.reserve(records.size());
    int lastPaying = -1;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const int record = records[i];
        const int prepaid = i < prepaidRecords.size() ? prepaidRecords[i] : -1;
        // The month as stored, read by row: the query's current record stays where it is.
        const QVariant date = query->viewValue(record, payDate->index());
        const std::optional<Currency> left = amountOf(payment, record, leftColumn);
        const std::optional<Currency> principal = amountOf(payment, record, principalColumn);
        const std::optional<Currency> interest = amountOf(payment, record, interestColumn);
        const std::optional<Currency> actualLeft = amountOf(prepayment, prepaid, actualLeftColumn);
        const std::optional<Currency> actualPrincipal = amountOf(prepayment, prepaid, actualPrincipalColumn);
        const std::optional<Currency> actualInterest = amountOf(prepayment, prepaid, actualInterestColumn);
        if (!date.isValid() || calvora::store::Field::isForeign(date) || !left || !principal || !interest ||
            !actualLeft || !actualPrincipal || !actualInterest) {
            ++data.unreadableMonths;
            continue;
        }
        ChartMonth month;
        month.payDate = date.toDouble();
        const calvora::DateParts parts = calvora::decodeDate(month.payDate);
        month.year = parts.year;
        month.month = parts.month;
        month.principalLeft = *left;
        month.actualLeft = *actualLeft;

        if (data.years.empty() || data.years.back().year != month.year)
            data.years.push_back({month.year, {}, {}, {}, {}});
        ChartYear &year = data.years.back();
        year.principal += *principal;
        year.interest += *interest;
        year.actualPrincipal += *actualPrincipal;
        year.actualInterest += *actualInterest;

        if (!actualPrincipal->isZero() || !actualInterest->isZero())
            lastPaying = int(data.months.size());
        data.months.push_back(month);
    }
    // Paid off in its last paying month, when that left nothing owing.
    if (lastPaying >= 0 && data.months[std::size_t(lastPaying)].actualLeft.isZero())
        data.payoffIndex = lastPaying;
    return data;
}

TfrmChart::TfrmChart(const GroupedTableModel &payment, const GroupedTableModel &prepayment,
                     std::function<QString()> mortgageName, const calvora::RegionalSettings &settings,
                     QWidget *parent)
    : QDialog(parent), m_payment(&payment), m_prepayment(&prepayment),
      m_mortgageName(std::move(mortgageName)), m_settings(settings)
{
    setObjectName(QStringLiteral("frmChart"));
    resize(720, 600);

    pnlCharts = new QWidget(this);
    pnlCharts->setObjectName(QStringLiteral("pnlCharts"));
    chvBalance = new QChartView(pnlCharts);
    chvBalance->setObjectName(QStringLiteral("chvBalance"));
    chvYears = new QChartView(pnlCharts);
    chvYears->setObjectName(QStringLiteral("chvYears"));
    for (QChartView *view : {chvBalance, chvYears}) {
        view->setRenderHint(QPainter::Antialiasing);
        view->setFrameShape(QFrame::NoFrame);
    }
    lblNoSchedule = new QLabel(
        QStringLiteral("No schedule yet: click Schedule on the Payment Schedule page."), pnlCharts);
    lblNoSchedule->setObjectName(QStringLiteral("lblNoSchedule"));
    lblNoSchedule->setAlignment(Qt::AlignCenter);
    lblNoSchedule->setAttribute(Qt::WA_TransparentForMouseEvents);
    lblUnreadable = new QLabel(pnlCharts);
    lblUnreadable->setObjectName(QStringLiteral("lblUnreadable"));
    lblUnreadable->hide();
    auto *charts = new QGridLayout(pnlCharts);
    charts->setContentsMargins(0, 0, 0, 0);
    charts->setSpacing(6);
    charts->addWidget(chvBalance, 0, 0);
    charts->addWidget(chvYears, 1, 0);
    charts->addWidget(lblNoSchedule, 0, 0, 2, 1); // over both charts while there is nothing to draw
    charts->addWidget(lblUnreadable, 2, 0);
    charts->setRowStretch(0, 3);
    charts->setRowStretch(1, 2);

    chkPrepaidYears = new QCheckBox(QStringLiteral("Years with prepayment"), this);
    chkPrepaidYears->setObjectName(QStringLiteral("chkPrepaidYears"));
    btnSave = new QPushButton(QStringLiteral("Save as PNG…"), this);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnSave->setAutoDefault(false);
    btnSave->setMinimumWidth(90);
    btnClose = new QPushButton(QStringLiteral("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setDefault(true);
    btnClose->setMinimumWidth(75);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(chkPrepaidYears);
    buttons->addStretch();
    buttons->addWidget(btnSave);
    buttons->addWidget(btnClose);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(pnlCharts, 1);
    layout->addLayout(buttons);

    buildBalanceChart();
    buildYearChart();

    m_rebuildSoon = new QTimer(this);
    m_rebuildSoon->setSingleShot(true);
    m_rebuildSoon->setInterval(0);
    connect(m_rebuildSoon, &QTimer::timeout, this,
            [this] { calvora::platform::guarded([this] { rebuild(); }); });
    // The views announce every re-read of their rows (a new mortgage
    // selected, a schedule generated) as a model reset.
    for (const GroupedTableModel *view : {&payment, &prepayment})
        connect(view, &QAbstractItemModel::modelReset, m_rebuildSoon, qOverload<>(&QTimer::start));
    connect(btnSave, &QPushButton::clicked, this,
            [this] { calvora::platform::guarded([this] { btnSaveClick(); }); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(chkPrepaidYears, &QCheckBox::toggled, this,
            [this] { calvora::platform::guarded([this] { chkPrepaidYearsClick(); }); });

    rebuild();
}

TfrmChart::~TfrmChart() = default;

void TfrmChart::buildBalanceChart()
{
    m_balanceChart = newChart(font(), QStringLiteral("Balance"));
    m_balance = new QLineSeries;
    m_balance->setObjectName(QStringLiteral("serBalance"));
    m_balance->setName(QStringLiteral("Balance"));
    m_balance->setPen(QPen(PlainBalance, 2));
    m_prepaidBalance = new QLineSeries;
    m_prepaidBalance->setObjectName(QStringLiteral("serPrepaidBalance"));
    m_prepaidBalance->setName(QStringLiteral("Balance with prepayment"));
    m_prepaidBalance->setPen(QPen(PrepaidBalance, 2));
    m_payoff = new QScatterSeries;
    m_payoff->setObjectName(QStringLiteral("serPayoff"));
    m_payoff->setMarkerShape(QScatterSeries::MarkerShapeCircle);
    m_payoff->setMarkerSize(9);
    m_payoff->setColor(PrepaidBalance);
    m_payoff->setBorderColor(Qt::white);
    m_payoff->setPointLabelsVisible(true);
    m_payoff->setPointLabelsClipping(false);
    m_payoff->setPointLabelsFont(font());
    m_payoff->setPointLabelsColor(Qt::black);

    m_balanceTime = new QValueAxis;
    m_balanceTime->setObjectName(QStringLiteral("axBalanceTime"));
    m_balanceTime->setLabelFormat(QStringLiteral("%.0f"));
    m_balanceTime->setTickType(QValueAxis::TicksDynamic);
    m_balanceMoney = new QCategoryAxis;
    m_balanceMoney->setObjectName(QStringLiteral("axBalanceMoney"));
    m_balanceMoney->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    styleAxis(*m_balanceTime, font());
    styleAxis(*m_balanceMoney, font());
    m_balanceChart->addAxis(m_balanceTime, Qt::AlignBottom);
    m_balanceChart->addAxis(m_balanceMoney, Qt::AlignLeft);
    for (QXYSeries *series : std::initializer_list<QXYSeries *>{m_balance, m_prepaidBalance, m_payoff}) {
        m_balanceChart->addSeries(series);
        series->attachAxis(m_balanceTime);
        series->attachAxis(m_balanceMoney);
    }
    // The payoff point names itself by its label.
    for (QLegendMarker *marker : m_balanceChart->legend()->markers(m_payoff))
        marker->setVisible(false);
    chvBalance->setChart(m_balanceChart);
}

void TfrmChart::buildYearChart()
{
    m_yearChart = newChart(font(), QString());
    m_principalSet = new QBarSet(QStringLiteral("Principal"));
    m_principalSet->setObjectName(QStringLiteral("setPrincipal"));
    m_principalSet->setColor(PrincipalBar);
    m_principalSet->setBorderColor(PrincipalBar.darker(125));
    m_interestSet = new QBarSet(QStringLiteral("Interest"));
    m_interestSet->setObjectName(QStringLiteral("setInterest"));
    m_interestSet->setColor(InterestBar);
    m_interestSet->setBorderColor(InterestBar.darker(125));
    m_yearBars = new QStackedBarSeries;
    m_yearBars->setObjectName(QStringLiteral("serYears"));
    m_yearBars->setBarWidth(0.7);
    m_yearBars->append(m_principalSet);
    m_yearBars->append(m_interestSet);

    // The bars stand at 0, 1, 2, ... for the schedule's years in turn; the
    // axis labels some of them with their year.
    m_yearAxis = new QCategoryAxis;
    m_yearAxis->setObjectName(QStringLiteral("axYears"));
    m_yearAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_yearAxis->setGridLineVisible(false);
    m_yearMoney = new QCategoryAxis;
    m_yearMoney->setObjectName(QStringLiteral("axYearMoney"));
    m_yearMoney->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    styleAxis(*m_yearAxis, font());
    styleAxis(*m_yearMoney, font());
    m_yearAxis->setGridLineVisible(false);
    m_yearChart->addAxis(m_yearAxis, Qt::AlignBottom);
    m_yearChart->addAxis(m_yearMoney, Qt::AlignLeft);
    m_yearChart->addSeries(m_yearBars);
    m_yearBars->attachAxis(m_yearAxis);
    m_yearBars->attachAxis(m_yearMoney);
    chvYears->setChart(m_yearChart);
}

QString TfrmChart::moneyAxisText(double amount) const
{
    // The currency format without decimals: "$100,000". An axis above the
    // largest amount money holds (the last step past a balance near it)
    // shows the symbol before the grouped digits.
    calvora::RegionalSettings whole = m_settings;
    whole.currencyDecimals = 0;
    try {
        return qt(calvora::formatMoney(Currency::fromAmount(amount), whole));
    } catch (const calvora::Error &) {
        return qt(m_settings.currencySymbol + calvora::formatFloat(",0", static_cast<long double>(amount), m_settings));
    }
}

void TfrmChart::setMoneyAxis(QCategoryAxis &axis, double top) const
{
    for (const QString &label : axis.categoriesLabels())
        axis.remove(label);
    const double step = roundStep(top, 5);
    const int steps = std::max(1, int(std::ceil(top / step - 1e-9)));
    // Labels stand on the values; the first category ends at 0 so that 0
    // has its label too.
    axis.setStartValue(-step / 1000);
    for (int i = 0; i <= steps; ++i) {
        const double value = i * step;
        axis.append(moneyAxisText(value), value);
    }
    axis.setRange(0, steps * step);
}

void TfrmChart::rebuild()
{
    const QString name = m_mortgageName ? m_mortgageName() : QString();
    setWindowTitle(QStringLiteral("Schedule Chart – ") + name);
    m_data = m_payment && m_prepayment ? ChartDataOf(*m_payment, *m_prepayment) : ScheduleChartData();
    fillBalance();
    fillYears();
    settleLayout();
    lblNoSchedule->setVisible(m_data.months.empty());
    lblUnreadable->setVisible(m_data.unreadableMonths > 0);
    lblUnreadable->setText(
        m_data.unreadableMonths == 1
            ? QStringLiteral(
                  "1 month of the schedule is not shown: its date or an amount does not fit its column.")
            : QStringLiteral(
                  "%1 months of the schedule are not shown: their date or an amount does not fit its column.")
                  .arg(m_data.unreadableMonths));
}

void TfrmChart::fillBalance()
{
    QList<QPointF> plain;
    QList<QPointF> prepaid;
    plain.reserve(qsizetype(m_data.months.size()));
    prepaid.reserve(qsizetype(m_data.months.size()));
    double top = 0;
    for (const ChartMonth &month : m_data.months) {
        const double x = month.year + (month.month - 1) / 12.0;
        plain.append(QPointF(x, plotted(month.principalLeft)));
        prepaid.append(QPointF(x, plotted(month.actualLeft)));
        top = std::max({top, plain.back().y(), prepaid.back().y()});
    }
    m_balance->replace(plain);
    m_prepaidBalance->replace(prepaid);

    if (m_data.payoffIndex >= 0) {
        const ChartMonth &paidOff = m_data.months[std::size_t(m_data.payoffIndex)];
        m_payoff->replace(QList<QPointF>{prepaid[m_data.payoffIndex]});
        m_payoff->setPointLabelsFormat(QStringLiteral("Paid off ") +
                                       qt(calvora::formatDate("mmm yyyy", paidOff.payDate, m_settings)));
    } else {
        m_payoff->clear();
        m_payoff->setPointLabelsFormat(QString());
    }

    const int firstYear = m_data.months.empty() ? 0 : m_data.months.front().year;
    const int endYear = m_data.months.empty() ? 1 : m_data.months.back().year + 1;
    const int step = yearStep(endYear - firstYear);
    m_balanceTime->setRange(firstYear, endYear);
    m_balanceTime->setTickAnchor(std::ceil(double(firstYear) / step) * step);
    m_balanceTime->setTickInterval(step);
    m_balanceTime->setVisible(!m_data.months.empty());
    m_balanceMoney->setVisible(!m_data.months.empty());
    m_balanceChart->legend()->setVisible(!m_data.months.empty());
    setMoneyAxis(*m_balanceMoney, top > 0 ? top : 1);
}

void TfrmChart::fillYears()
{
    const bool prepaid = chkPrepaidYears->isChecked();
    m_yearChart->setTitle(prepaid ? QStringLiteral("Principal and interest by year, with prepayment")
                                  : QStringLiteral("Principal and interest by year"));
    QList<qreal> principal;
    QList<qreal> interest;
    double top = 0;
    for (const ChartYear &year : m_data.years) {
        principal.append(plotted(prepaid ? year.actualPrincipal : year.principal));
        interest.append(plotted(prepaid ? year.actualInterest : year.interest));
        // One scale for both schedules, so that switching compares them.
        top = std::max({top, plotted(year.principal) + plotted(year.interest),
                        plotted(year.actualPrincipal) + plotted(year.actualInterest)});
    }
    m_principalSet->remove(0, m_principalSet->count());
    m_principalSet->append(principal);
    m_interestSet->remove(0, m_interestSet->count());
    m_interestSet->append(interest);

    for (const QString &label : m_yearAxis->categoriesLabels())
        m_yearAxis->remove(label);
    const int years = int(m_data.years.size());
    if (years > 0) {
        const int step = yearStep(years);
        m_yearAxis->setStartValue(-0.5);
        for (int i = 0; i < years; ++i) {
            const int year = m_data.years[std::size_t(i)].year;
            if (year % step == 0)
                m_yearAxis->append(QString::number(year), i);
        }
    }
    m_yearAxis->setRange(-0.5, std::max(years, 1) - 0.5);
    m_yearAxis->setVisible(years > 0);
    m_yearMoney->setVisible(years > 0);
    m_yearChart->legend()->setVisible(years > 0);
    setMoneyAxis(*m_yearMoney, top > 0 ? top : 1);
}

void TfrmChart::saveImage(const QString &path)
{
    settleLayout();
    const QPixmap picture = pnlCharts->grab();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG"))
        throw calvora::Error("The chart could not be made into a PNG picture.");
    calvora::platform::writeWholeFile(path, bytes, QStringLiteral("chart"));
}

void TfrmChart::btnSaveClick()
{
    // The picture goes to exactly the file chosen (the dialog asked about
    // replacing that one); it is PNG whatever the name ends in.
    const QString name = m_mortgageName ? m_mortgageName() : QString();
    const QString path = calvora::platform::askSaveFileName(
        this, QStringLiteral("Save as PNG"),
        calvora::platform::suggestedSavePath(calvora::platform::fileNamePart(name, QStringLiteral("Schedule")) +
                                             QStringLiteral(" - Chart.png")),
        QStringLiteral("PNG pictures (*.png);;All files (*)"));
    if (path.isEmpty())
        return;
    saveImage(path);
}

void TfrmChart::chkPrepaidYearsClick()
{
    fillYears();
    settleLayout();
}

void TfrmChart::settleLayout()
{
    // A chart lays out its axes and legend when the event loop comes round;
    // a picture taken before that shows the old layout with the new labels.
    for (QChart *chart : {m_balanceChart, m_yearChart}) {
        chart->layout()->invalidate();
        chart->layout()->activate();
    }
}
