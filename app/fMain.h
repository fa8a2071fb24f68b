#pragma once

#include "Command.h"
#include "Connection.h"
#include "DataSource.h"
#include "DateTime.h"
#include "Query.h"
#include "RegionalSettings.h"

#include <QWidget>

#include <functional>
#include <memory>

namespace Ui {
class TfrmMain;
}

class QToolButton;
class QPushButton;
class QLineEdit;

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

    // A click into an input amount selects its whole text, so typing replaces it.
    void edtPriceClick(QLineEdit *sender);

    // The docked mortgage list grows under the mouse.
    void pnlMortgagesMouseEnter();
    void pnlMortgagesMouseLeave();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int NextNameSequence(const calvora::store::Query &query) const;
    bool InputIncomplete() const;
    void SetCalculateEnabled(bool enabled);
    // Re-reads the mortgage list with the main list grid detached.
    void requeryMortgages();

    std::unique_ptr<Ui::TfrmMain> ui;
    std::function<calvora::DateTime()> m_clock;
    QString m_databaseFolder;
    bool m_shown = false;
};

// The one main window of the program.
extern TfrmMain *frmMain;
