#pragma once

#include "RegionalSettings.h"

#include <QDialog>

#include <functional>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <vector>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTableWidget;

namespace calvora::store {
class Connection;
}

// The columns of tblMortgage the comparison reads.
enum class ComparedColumn
{
    HouseAmount,
    DownPayment,
    LoanAmount,
    InterestRate,
    TermInMonth,
    StartYear,
    StartMonth,
    MonthlyPayment,
    TotalPayment,
    TotalInterest,
    BiweeklyPayment,
    BiweeklyTerm,
    BiweeklyTotal,
    BiweeklyTotalInterest,
    BiweeklyInterestSaved,
    Prepayment,
    ActualMonthly,
    ActualTerm,
    ActualTotal,
    ActualTotalInterest,
    InterestSaved,
    Count
};

// One stored mortgage as the file holds it: its key, its name and the stored
// value of every compared column (no value for NULL; a value that does not
// fit its column stays a store::ForeignValue, shown as stored).
struct StoredMortgage
{
    qint32 id = 0;
    QString name;
    std::array<QVariant, std::size_t(ComparedColumn::Count)> values;

    const QVariant &value(ComparedColumn column) const { return values[std::size_t(column)]; }
};

// Every stored mortgage in the order of the mortgage list, read through a
// query of its own on the connection; nothing is written.
std::vector<StoredMortgage> ReadStoredMortgages(calvora::store::Connection &connection);

// The mortgages side by side, ready to be shown: one column per mortgage,
// each one after the first followed by its difference against the first.
struct ComparisonTable
{
    // How a mortgage's stored figures stand against its inputs.
    enum class Standing
    {
        Current,       // the figures are those its inputs give
        Changed,       // inputs changed after the last Calculate or Schedule
        NotCalculated, // Calculate was never run on it
    };

    QStringList rowCaptions;
    QStringList columnCaptions;
    std::vector<std::vector<QString>> cells; // cells[row][column]
    // Per column: the mortgage it shows or compares with the first, whether
    // it is a difference column, and that mortgage's standing.
    std::vector<qint32> mortgageIds;
    std::vector<bool> difference;
    std::vector<Standing> standing;
    // Lines for under the table: which figures are out of date and what
    // brings them up to date, values that could not be checked.
    QStringList notes;
    // Said instead of the table when fewer than two mortgages are compared.
    QString hint;

    bool stale(int column) const { return standing[std::size_t(column)] != Standing::Current; }
};

// The table of the mortgages in the order given; the first is the base of
// every difference. Money in the currency format of settings.
ComparisonTable CompareMortgages(const std::vector<StoredMortgage> &mortgages,
                                 const calvora::RegionalSettings &settings);
// The same for the stored mortgages with these keys, in this order (keys not
// in the file are left out).
ComparisonTable CompareMortgages(calvora::store::Connection &connection, const QList<qint32> &mortgageIds,
                                 const calvora::RegionalSettings &settings);

// The "Compare Mortgages" window: the stored mortgages to tick on the left,
// the ticked ones side by side on the right. It only reads the file.
class TfrmCompare : public QDialog
{
    Q_OBJECT

public:
    TfrmCompare(calvora::store::Connection &connection, const calvora::RegionalSettings &settings,
                qint32 currentMortgageId, QWidget *parent = nullptr);
    ~TfrmCompare() override;

    // Reads the stored mortgages again (after a Calculate, Schedule or Save in
    // the main window), keeping the ticks of those still there.
    void refresh();
    // Makes another mortgage the current one: ticked, first, the base of the
    // differences; then reads the stored mortgages again.
    void refresh(qint32 currentMortgageId);
    // Tells which mortgage has changes on screen that are not stored (-1:
    // none); the comparison says so under the table, since it shows what is
    // stored.
    void setUnsavedMortgage(std::function<qint32()> unsaved) { m_unsaved = std::move(unsaved); }

private:
    void FormCreate();
    void readMortgages();
    void fillList(const QList<qint32> &ticked);
    QList<qint32> tickedMortgages() const;
    void showComparison();
    void lstMortgagesItemChanged(QListWidgetItem *item);
    void lstMortgagesItemPressed(QListWidgetItem *item);
    void lstMortgagesItemClicked(QListWidgetItem *item);

    calvora::store::Connection &m_connection;
    calvora::RegionalSettings m_settings;
    qint32 m_currentId;
    std::function<qint32()> m_unsaved;
    std::vector<StoredMortgage> m_mortgages;
    Qt::CheckState m_pressedState = Qt::Unchecked;
    bool m_filling = false;

    QListWidget *lstMortgages;
    QTableWidget *grdCompare;
    QLabel *lblHint;
    QLabel *lblNotes;
    QPushButton *btnRefresh;
    QPushButton *btnClose;
};
