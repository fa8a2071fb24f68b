#pragma once

#include "Currency.h"
#include "DateTime.h"
#include "RegionalSettings.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <vector>

namespace calvora::platform {
class GroupedTableModel;
}

class QBarSet;
class QCategoryAxis;
class QChart;
class QChartView;
class QCheckBox;
class QLabel;
class QLineSeries;
class QPushButton;
class QScatterSeries;
class QStackedBarSeries;
class QTimer;
class QValueAxis;

// One month of a mortgage's schedule as the chart draws it: the balance left
// after the month's payment, without and with the prepayment.
struct ChartMonth
{
    calvora::DateTime payDate = 0;
    int year = 0;
    int month = 0; // 1 to 12
    calvora::Currency principalLeft;
    calvora::Currency actualLeft;
};

// One calendar year of the schedule: what its months paid, summed exactly.
struct ChartYear
{
    int year = 0;
    calvora::Currency principal;
    calvora::Currency interest;
    calvora::Currency actualPrincipal;
    calvora::Currency actualInterest;
};

// The figures of a schedule chart, read from the two schedule views and kept
// apart from the widgets that draw them.
struct ScheduleChartData
{
    std::vector<ChartMonth> months; // in month order
    std::vector<ChartYear> years;   // ascending
    // The month in which the prepayment schedule pays the balance off: its
    // last paying month, when that leaves nothing owing. -1: none.
    int payoffIndex = -1;
    // Months left out because their date, or one of their amounts, is not a
    // value of its column (the file holds something else there).
    int unreadableMonths = 0;
};

// The months and years of a schedule from the payment view (PayDate,
// PrincipalLeft, Principal, Interest) and the prepayment view (ActualLeft,
// ActualPrincipal, ActualInterest), in the views' month order whatever their
// grouping or opening. An empty value reads as 0; a month whose date or
// amounts do not fit their columns is left out and counted. Reads the rows
// without moving the schedule query's current record.
ScheduleChartData ChartDataOf(const calvora::platform::GroupedTableModel &payment,
                              const calvora::platform::GroupedTableModel &prepayment);

// The balance of a mortgage month by month with and without the prepayment,
// its payoff month, and each year's principal and interest. Follows the two
// schedule views: whenever their rows are read again, the chart is drawn
// again.
class TfrmChart : public QDialog
{
    Q_OBJECT

public:
    // mortgageName gives the selected mortgage's name for the title each
    // time the chart is drawn; it must not throw.
    TfrmChart(const calvora::platform::GroupedTableModel &payment,
              const calvora::platform::GroupedTableModel &prepayment, std::function<QString()> mortgageName,
              const calvora::RegionalSettings &settings, QWidget *parent = nullptr);
    ~TfrmChart() override;

    // Reads the schedule from the views and draws it.
    void rebuild();
    // Writes the window's charts to a PNG file; throws with a clear message
    // when the file cannot be written.
    void saveImage(const QString &path);

    const ScheduleChartData &chartData() const { return m_data; }
    QChart *balanceChart() const { return m_balanceChart; }
    QChart *yearChart() const { return m_yearChart; }

    // Handlers.
    void btnSaveClick();
    void chkPrepaidYearsClick();

private:
    void buildBalanceChart();
    void buildYearChart();
    void fillBalance();
    void fillYears();
    // Lays out the charts' axes and legends for their new labels at once.
    void settleLayout();
    QString moneyAxisText(double amount) const;
    // Sets a money axis to round steps from 0 to at least top.
    void setMoneyAxis(QCategoryAxis &axis, double top) const;

    QPointer<const calvora::platform::GroupedTableModel> m_payment;
    QPointer<const calvora::platform::GroupedTableModel> m_prepayment;
    std::function<QString()> m_mortgageName;
    calvora::RegionalSettings m_settings;
    ScheduleChartData m_data;

    QChartView *chvBalance = nullptr;
    QChartView *chvYears = nullptr;
    QChart *m_balanceChart = nullptr;
    QChart *m_yearChart = nullptr;
    QLineSeries *m_balance = nullptr;
    QLineSeries *m_prepaidBalance = nullptr;
    QScatterSeries *m_payoff = nullptr;
    QValueAxis *m_balanceTime = nullptr;
    QCategoryAxis *m_balanceMoney = nullptr;
    QStackedBarSeries *m_yearBars = nullptr;
    QBarSet *m_principalSet = nullptr;
    QBarSet *m_interestSet = nullptr;
    QCategoryAxis *m_yearAxis = nullptr;
    QCategoryAxis *m_yearMoney = nullptr;
    QWidget *pnlCharts = nullptr;
    QLabel *lblNoSchedule = nullptr;
    QLabel *lblUnreadable = nullptr;
    QCheckBox *chkPrepaidYears = nullptr;
    QPushButton *btnSave = nullptr;
    QPushButton *btnClose = nullptr;
    // Rows read again come in bursts (both views, every re-read): one redraw
    // after the burst.
    QTimer *m_rebuildSoon = nullptr;
};
