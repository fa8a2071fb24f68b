#pragma once

#include "Command.h"
#include "Connection.h"
#include "DataSource.h"
#include "DateTime.h"
#include "GroupedTableModel.h"
#include "ImageList.h"
#include "Query.h"
#include "RegionalSettings.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace Ui {
class TfrmMain;
}

class QToolButton;
class QPushButton;
class QLineEdit;
class QTimer;
class QLabel;
class TfrmCompare;
class TfrmChart;

// The main window: the selected mortgage in a summary strip and five pages,
// the mortgage list, and every data component of the program.
class TfrmMain : public QWidget
{
    Q_OBJECT

public:
    // The database file is Mortgage.mdb in databaseFolder, the executable's
    // folder when none is given.
    explicit TfrmMain(const calvora::RegionalSettings &settings = calvora::RegionalSettings::usEnglish(),
                      const QString &databaseFolder = QString(), QWidget *parent = nullptr);
    ~TfrmMain() override;

    // Today's date as the window reads it (the local clock unless replaced).
    void setClock(std::function<calvora::DateTime()> clock) { m_clock = std::move(clock); }

    // The store, as the form owns it.
    calvora::store::Connection MainConnection;
    calvora::store::Query qMortgage{MainConnection, QStringLiteral("qMortgage")};
    calvora::store::Query qAmortization{MainConnection, QStringLiteral("qAmortization")};
    calvora::store::Query qMonth{MainConnection, QStringLiteral("qMonth")};
    calvora::store::DataSource dsMortgage{QStringLiteral("dsMortgage")};
    calvora::store::DataSource dsAmortization{QStringLiteral("dsAmortization")};
    calvora::store::DataSource dsMonth{QStringLiteral("dsMonth")};
    calvora::store::Command MainCom{MainConnection, QStringLiteral("MainCom")};

    // The two schedule views: the rows of the schedule grouped by year with
    // their summaries, as the grids on the schedule pages show them.
    calvora::platform::GroupedTableModel tvAmort;
    calvora::platform::GroupedTableModel tvPrepay;

    // The pictures of the tool buttons, coloured and greyed in pairs.
    const calvora::platform::ImageList img16x16;

    // Start-up and shutdown.
    void FormCreate();
    void FormShow();
    // Returns whether the window may close.
    bool FormClose();

    // Mortgage records.
    void btnNewClick();
    void btnDeleteClick();
    void btnSaveClick();
    void qMortgageHouseAmountChange(calvora::store::Field &sender);
    void qMortgageAfterScroll(calvora::store::Query &dataSet);
    void edtFieldChange();

    // Payment calculation.
    void btnCalculateClick();

    // Schedule generation: replaces the selected mortgage's schedule and
    // stores the prepayment results in its record.
    void btnGenerateClick();

    // The schedule views.
    void qAmortizationCalcFields(calvora::store::Query &dataSet);
    QString qAmortizationPayDateGetText(const calvora::store::Field &sender, bool displayText) const;
    void chkGroupClick();
    void chkGrpClick();
    void pgMortChange();

    // Running totals: the text of a "Principal Paid" or "Interest Paid" cell.
    void tvAmortTotalPrincipalGetDisplayText(int record, QString &text);
    void tvAmortTotalInterestGetDisplayText(int record, QString &text);
    void tvPrepayPrincipalPaidGetDisplayText(int record, QString &text);
    void tvPrepayInterestPaidGetDisplayText(int record, QString &text);

    // Beyond the pages: the schedules taken out of the program, and the
    // mortgages seen as a chart or side by side. Each has a menu entry in
    // the grids' and lists' context menus and a shortcut.
    // The view of the schedule page shown; none on the other pages.
    calvora::platform::GroupedTableModel *currentScheduleView();
    // Asks for a file and writes the view as CSV to it.
    void exportSchedule(const calvora::platform::GroupedTableModel &view);
    // Writes the view as CSV to path, replacing the file only once the whole
    // text is written; throws with the reason when it cannot.
    void exportScheduleTo(const calvora::platform::GroupedTableModel &view, const QString &path) const;
    // Shows the view in a print preview, from which it prints or saves as PDF.
    void printSchedule(const calvora::platform::GroupedTableModel &view);
    // Opens (or brings forward) the chart of the selected mortgage, which
    // follows the selection and every new schedule.
    void showChart();
    // Opens (or brings forward, read again) the comparison of the saved mortgages.
    void showCompare();
    // The reconciliation line under each schedule, for the selected mortgage.
    void UpdateReconciliation() noexcept;
    QString reconciliationText(const calvora::platform::GroupedTableModel &view) const;

    // A click into an input amount selects its whole text, so typing replaces it.
    void edtPriceClick(QLineEdit *sender);

    // The docked mortgage list grows under the mouse.
    void pnlMortgagesMouseEnter();
    void pnlMortgagesMouseLeave();

    // The side bar: kept at the client origin; hidden while the window is
    // moved or sized, with the docked list shown in its place.
    void FormResize();
    void WMEnterSizeMove();
    void WMExitSizeMove();
    // Whether the mortgage list floats in the side bar (else it is docked:
    // a window system that cannot place a window of its own).
    bool usesSideBar() const { return m_usesSideBar; }
    // The height of the summary strip, to which the side bar shrinks.
    int summaryStripHeight() const;
    // Clicks one of the main window's list buttons (New, Delete, Save).
    void clickMainButton(const char *name);

protected:
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int NextNameSequence(const calvora::store::Query &query) const;
    bool InputIncomplete() const;
    void SetCalculateEnabled(bool enabled);
    // Re-reads the mortgage list with the main list grid detached.
    void requeryMortgages();
    // Tells the person, once, of stored values that do not fit their columns.
    void reportForeignValues(const calvora::store::Query &query);
    // Add, Delete, Save, Calculate and Schedule act only on an open list.
    void requireMortgageList() const;
    void setUpSchedules();
    // After a page change: the page of an edit that kept the focus is shown.
    void showFocusedPage();
    // The menu entries, shortcuts, tool buttons and reconciliation lines.
    void setUpReports();
    // Places the schedule tool bars' own buttons at their right ends.
    void placeReportButtons();
    // Opens every year group of the payment view, then of the prepayment view.
    void ExpandYearGroups();
    // The steps of a schedule generation that change the file; run inside
    // one transaction by btnGenerateClick.
    void replaceSchedule();
    // After a failed generation: the mortgage record and the schedule on
    // screen as they were before the click.
    void restoreAfterFailedGeneration(const calvora::store::Query::RecordSnapshot &before) noexcept;
    // The text of a running-total cell of a view: the column it adds up,
    // summed over the months shown above; a failure leaves the text as the
    // grid made it.
    void RunningTotalText(const calvora::platform::GroupedTableModel &view, QStringView runningColumn, int record,
                          QString &text) const;

    std::unique_ptr<Ui::TfrmMain> ui;
    std::function<calvora::DateTime()> m_clock;
    QString m_databaseFolder;
    bool m_shown = false;
    // Places the side bar at the main window's client origin.
    void placeSideBar();
    // A move or resize of the window: the start, or the going on, of a move/size loop.
    void sizeMoveActivity();
    bool m_usesSideBar = true;
    bool m_inSizeMove = false;
    QRect m_placedGeometry;
    QTimer *m_sizeMoveQuiet = nullptr;
    std::map<QString, QStringList> m_reportedForeignValues;
    QPointer<TfrmCompare> m_compare;
    QPointer<TfrmChart> m_chart;
    QLabel *m_amortReconciliation = nullptr;
    QLabel *m_prepayReconciliation = nullptr;
    std::vector<QWidget *> m_reportButtons[2]; // right ends of the two schedule tool bars
};

// Adds up a column over the shown rows of a view, from the row at position
// upwards until a row that is not a month (a year's group row) or the top.
// Returns 0 for position -1; throws for an empty value among the rows.
double RunningColumnTotal(const calvora::platform::GroupedTableModel &rows, int position, int column);

// The one main window of the program.
extern TfrmMain *frmMain;
