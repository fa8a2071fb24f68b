#include "fMain.h"

#include "FormSupport.h"
#include "ErrorHandler.h"
#include "Field.h"
#include "Format.h"
#include "LoanMath.h"
#include "Schedule.h"
#include "BrindlewwDBGrid.h"
#include "Images16.h"
#include "SchedulePages.h"
#include "ScheduleViews.h"
#include "Transaction.h"
#include "StoreError.h"
#include "About.h"
#include "fFinal.h"
#include "fSideBar.h"
#include "ScheduleChart.h"
#include "fCompare.h"
#include "ui_fMain.h"

#include <QCheckBox>
#include <QTabWidget>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QShowEvent>
#include <QTimer>

#include <optional>

using namespace calvora;
using calvora::platform::guarded;
using calvora::store::Field;
using calvora::store::Query;

TfrmMain *frmMain = nullptr;

namespace {

// Re-attaches a grid when the scope ends, also when a re-read fails.
class DetachedGrid
{
public:
    DetachedGrid(calvora::platform::DBGrid &grid, store::DataSource &source) : m_grid(grid), m_source(source)
    {
        m_grid.setDataSource(nullptr);
    }
    ~DetachedGrid() { m_grid.setDataSource(&m_source); }
    DetachedGrid(const DetachedGrid &) = delete;
    DetachedGrid &operator=(const DetachedGrid &) = delete;

private:
    calvora::platform::DBGrid &m_grid;
    store::DataSource &m_source;
};

QString qt(const std::string &text) { return QString::fromStdString(text); }

} // namespace

TfrmMain::TfrmMain(const RegionalSettings &settings, const QString &databaseFolder, QWidget *parent)
    : QWidget(parent), img16x16(makeImages16x16()), ui(std::make_unique<Ui::TfrmMain>()), m_clock(&calvora::today),
      m_databaseFolder(databaseFolder)
{
    initFormResources();
    ui->setupUi(this);
    setObjectName(QStringLiteral("frmMain"));
    platform::autoSizeLabels(this);
    move(263, 165);

    // The store as the form describes it.
    MainConnection.setRegionalSettings(settings);
    qMortgage.setSql(QStringLiteral("SELECT * FROM tblMortgage\nORDER BY NameSequence"));
    qAmortization.setSql(QStringLiteral("SELECT * FROM tblAmortization\nWHERE MortgageID=:MortgageID"));
    qMonth.setSql(QStringLiteral("SELECT * FROM tblMonth"));
    dsMortgage.setDataSet(&qMortgage);
    dsAmortization.setDataSet(&qAmortization);
    dsMonth.setDataSet(&qMonth);

    qMortgage.afterScroll = [this](Query &dataSet) { qMortgageAfterScroll(dataSet); };
    qMortgage.field(u"HouseAmount").onChange = [this](Field &sender) { qMortgageHouseAmountChange(sender); };
    qMortgage.field(u"DownPayment").onChange = [this](Field &sender) { qMortgageHouseAmountChange(sender); };
    // Calculate follows the rate and the term as soon as they reach their
    // columns, also when the edit's text does not change on the way (a rate
    // typed and left shows the same text it was typed as).
    qMortgage.field(u"InterestRate").onChange = [this](Field &) { edtFieldChange(); };
    qMortgage.field(u"TermInMonth").onChange = [this](Field &) { edtFieldChange(); };

    ui->dgMortgage->addColumn(QStringLiteral("MortgageName"), QStringLiteral("Mortgages"), 20);
    // The docked list: names edited in place, no frame shown.
    ui->dgMortgage->setOptions(TBrindlewwDBGrid::dgEditing);
    ui->dgMortgage->setColor(QColor(0xEC, 0xEA, 0xFF));
    ui->dgMortgage->setFrameColor(QColor(0xD1, 0xCC, 0xB3));
    ui->dgMortgage->setFrameVisible(false);
    ui->btnNew->setIcon(img16x16.icon(0, 1));
    ui->btnDelete->setIcon(img16x16.icon(2, 3));
    ui->btnSave->setIcon(img16x16.icon(24, 25));
    ui->btnGenerate->setIcon(img16x16.icon(26, 27));
    platform::bindDataControls(this, {&dsMortgage, &dsAmortization, &dsMonth});

    setUpSchedules();

    // Nothing can be calculated or generated until a mortgage is open.
    ui->btnCalculate->setEnabled(false);
    ui->btnGenerate->setEnabled(false);
    ui->btnReGenerate->setEnabled(false);

    auto onClick = [this](QAbstractButton *button, void (TfrmMain::*handler)()) {
        connect(button, &QAbstractButton::clicked, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    onClick(ui->btnNew, &TfrmMain::btnNewClick);
    onClick(ui->btnDelete, &TfrmMain::btnDeleteClick);
    onClick(ui->btnSave, &TfrmMain::btnSaveClick);
    onClick(ui->btnCalculate, &TfrmMain::btnCalculateClick);
    onClick(ui->btnGenerate, &TfrmMain::btnGenerateClick);
    onClick(ui->btnReGenerate, &TfrmMain::btnGenerateClick);
    onClick(ui->chkGroup, &TfrmMain::chkGroupClick);
    onClick(ui->chkGrp, &TfrmMain::chkGrpClick);
    connect(ui->pgMort, &QTabWidget::currentChanged, this, [this] {
        guarded([this] { pgMortChange(); });
        guarded([this] { showFocusedPage(); });
    });
    for (platform::DBEdit *edit :
         std::initializer_list<platform::DBEdit *>{ui->edtPrice, ui->edtDown, ui->edtPrepmt, ui->edtPrepayment})
        connect(edit, &platform::DBEdit::clicked, this, [this, edit] { guarded([this, edit] { edtPriceClick(edit); }); });
    for (platform::DBEdit *edit : std::initializer_list<platform::DBEdit *>{ui->edtInterestRate, ui->edtTermInMonth, ui->edtLoanAmt})
        connect(edit, &platform::DBEdit::changed, this, [this] { guarded([this] { edtFieldChange(); }); });

    ui->pnlMortgages->installEventFilter(this);
    ui->pnlMortgages->raise();

    // Without a window system that places windows of their own (some Wayland
    // compositors), the list stays docked rather than float out of place.
    m_usesSideBar = QGuiApplication::platformName() != QLatin1String("wayland");
    ui->pnlMortgages->setVisible(!m_usesSideBar);
    // On Linux a move or size of the window comes as a burst of events; a
    // short quiet spell after the last one ends it.
    m_sizeMoveQuiet = new QTimer(this);
    m_sizeMoveQuiet->setSingleShot(true);
    m_sizeMoveQuiet->setInterval(250);
    connect(m_sizeMoveQuiet, &QTimer::timeout, this, [this] { guarded([this] { WMExitSizeMove(); }); });

    guarded([this] { FormCreate(); });
    // After FormCreate: the side bar's list gets the lists' menu too.
    setUpReports();
}

// The schedule query's calculated columns and month text, and the two
// schedule views with their running-total handlers.
void TfrmMain::setUpSchedules()
{
    report::AddScheduleCalculatedFields(qAmortization);
    qAmortization.onCalcFields = [this](Query &dataSet) { qAmortizationCalcFields(dataSet); };
    qAmortization.field(u"PayDate").onGetText = [this](const Field &sender, bool displayText) {
        return qAmortizationPayDateGetText(sender, displayText);
    };

    SchedulePages::setUpPaymentView(tvAmort, *ui->grdAmort);
    SchedulePages::setUpPrepaymentView(tvPrepay, *ui->grdPrepay);
    auto onDisplayText = [this](platform::GroupedTableModel &view, const char *column,
                                void (TfrmMain::*handler)(int, QString &)) {
        view.setDisplayTextHandler(view.columnIndex(QString::fromLatin1(column)),
                                   [this, handler](int record, QString &text) { (this->*handler)(record, text); });
    };
    onDisplayText(tvAmort, "tvAmortTotalPrincipal", &TfrmMain::tvAmortTotalPrincipalGetDisplayText);
    onDisplayText(tvAmort, "tvAmortTotalInterest", &TfrmMain::tvAmortTotalInterestGetDisplayText);
    onDisplayText(tvPrepay, "tvPrepayPrincipalPaid", &TfrmMain::tvPrepayPrincipalPaidGetDisplayText);
    onDisplayText(tvPrepay, "tvPrepayInterestPaid", &TfrmMain::tvPrepayInterestPaidGetDisplayText);
    tvAmort.setDataSource(&dsAmortization);
    tvPrepay.setDataSource(&dsAmortization);
}

TfrmMain::~TfrmMain()
{
    // The chart and the comparison read this window's views and connection:
    // they go before the members they read.
    delete m_chart;
    delete m_compare;
    if (frmMain == this)
        frmMain = nullptr;
}

void TfrmMain::FormCreate()
{
    if (!frmFinal)
        frmFinal = new TfrmFinal(this);
    if (m_usesSideBar && !frmSideBar) {
        frmSideBar = new TfrmSideBar(*this);
        frmSideBar->bindList(dsMortgage);
    }
    const QString folder =
        m_databaseFolder.isEmpty() ? QCoreApplication::applicationDirPath() : m_databaseFolder;
    // The folder with its trailing separator, then the file name: a folder
    // at the root of a drive keeps its one separator.
    QString path = QDir::cleanPath(folder);
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    MainConnection.setDatabasePath(path + QStringLiteral("Mortgage.mdb"));
}

void TfrmMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shown || event->spontaneous())
        return;
    m_shown = true;
    guarded([this] { FormShow(); });
}

void TfrmMain::FormShow()
{
    // The side bar first, at the client origin with its designed size.
    if (m_usesSideBar && frmSideBar) {
        frmSideBar->resize(155, 49);
        placeSideBar();
        frmSideBar->show();
    }

    // A file that another program holds locked may be free in a moment: the
    // person can try again, and the start goes on as usual once it opens.
    for (;;) {
        try {
            qMortgage.open();
            break;
        } catch (const store::StoreError &failure) {
            if (!failure.isLocked())
                throw;
            if (!platform::askRetry(failure.text() + QStringLiteral("\n\nRetry opens the file again.")))
                return;
        }
    }
    if (!MainConnection.openingWarning().isEmpty())
        platform::showError(MainConnection.openingWarning());
    reportForeignValues(qMortgage);
    qMonth.open();

    // A missing first payment month is today's; one the file holds as a
    // value that does not fit is left to the person.
    const DateParts now = decodeDate(m_clock());
    const Field &startYear = qMortgage.field(u"StartYear");
    const Field &startMonth = qMortgage.field(u"StartMonth");
    if (!startYear.isForeign() && startYear.asInteger() == 0) {
        qMortgage.edit();
        qMortgage.field(u"StartYear").setInteger(now.year);
    }
    if (!startMonth.isForeign() && startMonth.asInteger() == 0) {
        qMortgage.edit();
        qMortgage.field(u"StartMonth").setInteger(now.month);
    }
    ExpandYearGroups();
    qAmortization.first();
}

void TfrmMain::reportForeignValues(const Query &query)
{
    QStringList &reported = m_reportedForeignValues[query.objectName()];
    QStringList fresh;
    for (const QString &problem : query.foreignValues()) {
        if (!reported.contains(problem))
            fresh << problem;
    }
    if (fresh.isEmpty())
        return;
    reported << fresh;
    constexpr int shown = 10;
    QStringList lines = fresh.mid(0, shown);
    if (fresh.size() > shown)
        lines << QStringLiteral("... and %1 more.").arg(fresh.size() - shown);
    platform::showError(QStringLiteral("Some values in %1 do not fit their columns. They are shown as they are "
                                       "stored, used in no figure, and left in the file until you replace them:\n\n%2")
                            .arg(MainConnection.databasePath(), lines.join(QLatin1Char('\n'))));
}

void TfrmMain::requireMortgageList() const
{
    if (!qMortgage.isActive())
        throw store::StoreError(QStringLiteral("The mortgage list of %1 could not be opened, so nothing was "
                                               "changed. Mend the database file (see the message at start-up) and "
                                               "start the program again.")
                                    .arg(MainConnection.databasePath()));
}

void TfrmMain::placeSideBar()
{
    m_placedGeometry = geometry();
    if (frmSideBar)
        frmSideBar->move(mapToGlobal(QPoint(0, 0)));
}

int TfrmMain::summaryStripHeight() const { return ui->RzPanel1->height(); }

void TfrmMain::clickMainButton(const char *name)
{
    if (auto *button = findChild<QAbstractButton *>(QString::fromLatin1(name)); button && button->window() == this)
        button->click();
}

void TfrmMain::FormResize()
{
    if (m_usesSideBar && frmSideBar && frmSideBar->isVisible())
        placeSideBar();
}

void TfrmMain::WMEnterSizeMove()
{
    m_inSizeMove = true;
    if (frmSideBar)
        frmSideBar->hide();
    ui->pnlMortgages->show();
}

void TfrmMain::WMExitSizeMove()
{
    m_inSizeMove = false;
    placeSideBar();
    ui->pnlMortgages->hide();
    if (frmSideBar)
        frmSideBar->show();
}

void TfrmMain::sizeMoveActivity()
{
    // The window where the side bar was placed last: no move, no loop.
    if (!m_usesSideBar || !m_shown || !frmSideBar || geometry() == m_placedGeometry)
        return;
    if (!m_inSizeMove)
        guarded([this] { WMEnterSizeMove(); });
    m_sizeMoveQuiet->start();
}

void TfrmMain::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    sizeMoveActivity();
}

void TfrmMain::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    guarded([this] { FormResize(); });
    sizeMoveActivity();
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    bool mayClose = false;
    guarded([&] { mayClose = FormClose(); });
    if (mayClose)
        event->accept();
    else
        event->ignore();
}

bool TfrmMain::FormClose()
{
    if (platform::execModal(*frmFinal) != 1)
        return false;
    // A pending edit of the current mortgage is dropped, not stored.
    qMortgage.close();
    qAmortization.close();
    qMonth.close();
    return true;
}

int TfrmMain::NextNameSequence(const Query &query) const
{
    // The first number from 1 up that the numbered rows, in their order,
    // leave out; a row without a number (a record stored before it got one)
    // takes no place.
    int position = 1;
    for (Query::Cursor rows = query.cursor(); !rows.eof(); rows.next()) {
        const QVariant number = rows.value(u"NameSequence");
        if (!number.isValid() || Field::isForeign(number))
            continue;
        if (number.toLongLong() != position)
            return position;
        ++position;
    }
    return position;
}

void TfrmMain::requeryMortgages()
{
    {
        // Both lists, the docked one and the side bar's, are read again once, afterwards.
        DetachedGrid detached(*ui->dgMortgage, dsMortgage);
        std::optional<DetachedGrid> sideBar;
        if (frmSideBar)
            sideBar.emplace(frmSideBar->listGrid(), dsMortgage);
        qMortgage.requery();
    }
    reportForeignValues(qMortgage);
}

void TfrmMain::btnNewClick()
{
    requireMortgageList();
    // The record being edited is stored first: if that fails, nothing is added.
    qMortgage.completeEdit();
    const DateParts now = decodeDate(m_clock());
    const int sequence = NextNameSequence(qMortgage);
    const std::string name = quotedText("Loan " + std::to_string(sequence));
    MainCom.setCommandText(qt(formatStatement(
        "INSERT INTO tblMortgage (NameSequence,MortgageName,StartYear,StartMonth) VALUES (%d,%s,%d,%d);",
        {std::int64_t(sequence), name, std::int64_t(now.year), std::int64_t(now.month)})));
    MainCom.execute();
    requeryMortgages();
    qMortgage.locate(u"NameSequence", qint64(qint32(sequence)));
}

void TfrmMain::btnDeleteClick()
{
    requireMortgageList();
    const std::int64_t id = qint32(qMortgage.field(u"MortgageID").asInteger());
    MainCom.setCommandText(qt(formatStatement("DELETE FROM tblAmortization WHERE MortgageID=%d;", {id})));
    MainCom.execute();
    MainCom.setCommandText(qt(formatStatement("DELETE FROM tblMortgage WHERE MortgageID=%d;", {id})));
    MainCom.execute();
    // The changes of the mortgage just deleted have no row left to go to:
    // drop them rather than write them back. A new record that was never
    // stored is kept and stored by the re-read.
    if (qMortgage.state() == Query::State::Edit)
        qMortgage.cancel();
    requeryMortgages();
}

void TfrmMain::btnSaveClick()
{
    requireMortgageList();
    if (qMortgage.isEditing())
        qMortgage.post();
}

void TfrmMain::qMortgageHouseAmountChange(Field &)
{
    if (!qMortgage.isActive())
        return;
    qMortgage.field(u"LoanAmount")
        .setCurrency(qMortgage.field(u"HouseAmount").asCurrency() - qMortgage.field(u"DownPayment").asCurrency());
    // The schedules' reconciliation lines read the loan amount.
    UpdateReconciliation();
}

void TfrmMain::qMortgageAfterScroll(Query &)
{
    qAmortization.close();
    qAmortization.setParameter(QStringLiteral("MortgageID"), qint32(qMortgage.field(u"MortgageID").asInteger()));
    qAmortization.open();
    reportForeignValues(qAmortization);
    SetCalculateEnabled(!InputIncomplete());
    const Field &monthly = qMortgage.field(u"MonthlyPayment");
    const bool calculated = !monthly.isForeign() && !monthly.asCurrency().isZero();
    ui->btnGenerate->setEnabled(calculated);
    ui->btnReGenerate->setEnabled(calculated);
    ExpandYearGroups();
    UpdateReconciliation();
}

bool TfrmMain::InputIncomplete() const
{
    if (!qMortgage.isActive())
        return true;
    // A value that does not fit its column counts as not given.
    for (const char16_t *column : {u"InterestRate", u"TermInMonth", u"LoanAmount"}) {
        if (qMortgage.field(column).isForeign())
            return true;
    }
    return qMortgage.field(u"InterestRate").asDouble() == 0 || qMortgage.field(u"TermInMonth").asInteger() == 0 ||
           qMortgage.field(u"LoanAmount").asCurrency().isZero();
}

void TfrmMain::SetCalculateEnabled(bool enabled) { ui->btnCalculate->setEnabled(enabled); }

void TfrmMain::edtFieldChange() { SetCalculateEnabled(!InputIncomplete()); }

namespace {

// Writes each result of a calculation into its column of the current record
// as soon as it is computed, so that every bound field shows it at once and a
// fault part-way leaves the earlier columns written.
class RecordResultWriter : public PaymentResultWriter
{
public:
    explicit RecordResultWriter(Query &query) : m_query(query) {}
    void writeMoney(const char *column, Currency value) override
    {
        m_query.field(QString::fromLatin1(column)).setCurrency(value);
    }
    void writeInteger(const char *column, std::int32_t value) override
    {
        m_query.field(QString::fromLatin1(column)).setInteger(value);
    }

private:
    Query &m_query;
};

} // namespace

void TfrmMain::btnCalculateClick()
{
    requireMortgageList();
    if (!qMortgage.isEditing())
        qMortgage.edit();
    const PaymentInputs inputs{qMortgage.field(u"LoanAmount").asCurrency(), qMortgage.field(u"InterestRate").asDouble(),
                               std::int32_t(qMortgage.field(u"TermInMonth").asInteger())};
    RecordResultWriter writer(qMortgage);
    CalculatePayments(inputs, writer);
    // The record stays unposted; the schedule can now be generated.
    ui->btnGenerate->setEnabled(true);
    ui->btnReGenerate->setEnabled(true);
}

void TfrmMain::edtPriceClick(QLineEdit *sender) { sender->selectAll(); }

void TfrmMain::pnlMortgagesMouseEnter() { ui->pnlMortgages->resize(ui->pnlMortgages->width(), height() - 2); }

void TfrmMain::pnlMortgagesMouseLeave()
{
    const QPoint at = ui->pnlMortgages->mapFromGlobal(QCursor::pos());
    // Strictly inside: a point on the left or top edge counts as outside.
    const bool inside = at.x() > 0 && at.x() < ui->pnlMortgages->width() && at.y() > 0 &&
                        at.y() < ui->pnlMortgages->height();
    if (!inside)
        ui->pnlMortgages->resize(ui->pnlMortgages->width(), ui->RzPanel1->height());
}

bool TfrmMain::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == ui->tbSchedule || watched == ui->RzToolbar2) && event->type() == QEvent::Resize)
        guarded([this] { placeReportButtons(); });
    if (watched == ui->pnlMortgages) {
        if (event->type() == QEvent::Enter)
            guarded([this] { pnlMortgagesMouseEnter(); });
        else if (event->type() == QEvent::Leave)
            guarded([this] { pnlMortgagesMouseLeave(); });
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmMain::ExpandYearGroups()
{
    tvAmort.expandAll();
    tvPrepay.expandAll();
}

namespace {


// A footer sum as money; a sum over no rows has no value.
Currency footerAmount(const platform::GroupedTableModel &view, int index)
{
    const std::optional<Currency> value = view.footerValue(index);
    if (!value)
        throw ConvertError("Could not convert variant of type (Null) into type (Currency)");
    return *value;
}

} // namespace

void TfrmMain::btnGenerateClick()
{
    requireMortgageList();
    // The old schedule goes and the new one comes in one change of the file:
    // a failure anywhere, or the program killed part-way, leaves the old
    // schedule whole and the mortgage record as it was before the click.
    const Query::RecordSnapshot before = qMortgage.saveRecord();
    store::Transaction transaction(MainConnection);
    try {
        replaceSchedule();
        transaction.commit();
    } catch (...) {
        transaction.rollback();
        restoreAfterFailedGeneration(before);
        throw;
    }
    ExpandYearGroups();
}

void TfrmMain::replaceSchedule()
{
    // A new mortgage that was never stored has no MortgageID yet: store it
    // first, so that the schedule rows belong to it.
    if (qMortgage.state() == Query::State::Insert)
        qMortgage.post();
    const qint32 id = qint32(qMortgage.field(u"MortgageID").asInteger());
    store::ExecuteSql(MainConnection,
                      qt(formatStatement("DELETE FROM tblAmortization WHERE MortgageID=%d", {std::int64_t(id)})));

    ScheduleInputs inputs;
    inputs.loanAmount = qMortgage.field(u"LoanAmount").asCurrency();
    inputs.monthlyPayment = qMortgage.field(u"MonthlyPayment").asCurrency();
    inputs.prepayment = qMortgage.field(u"Prepayment").asCurrency();
    inputs.interestRate = qMortgage.field(u"InterestRate").asDouble();
    inputs.startYear = std::int32_t(qMortgage.field(u"StartYear").asInteger());
    inputs.startMonth = std::int32_t(qMortgage.field(u"StartMonth").asInteger());
    inputs.termInMonth = std::int32_t(qMortgage.field(u"TermInMonth").asInteger());
    // A start that forms no date fails before any row is written.
    ScheduleStartDate(inputs);

    std::int32_t payoffMonth = 0;
    {
        Query::DisabledControls detached(qAmortization);
        qAmortization.setParameter(QStringLiteral("MortgageID"), id);
        qAmortization.requery();
        report::ScheduleRowInserter writer(qAmortization, id);
        payoffMonth = GenerateSchedule(inputs, writer);
        qAmortization.first();
    }

    if (!qMortgage.isEditing())
        qMortgage.edit();
    const PrepaymentResults results =
        PrepaymentResultsOf(inputs, qMortgage.field(u"TotalInterest").asCurrency(), payoffMonth,
                            footerAmount(tvPrepay, 2), footerAmount(tvPrepay, 3));
    qMortgage.field(u"ActualMonthly").setCurrency(results.actualMonthly);
    qMortgage.field(u"ActualTerm").setInteger(results.actualTerm);
    qMortgage.field(u"ActualTotal").setCurrency(results.actualTotal);
    qMortgage.field(u"ActualTotalInterest").setCurrency(results.actualTotalInterest);
    qMortgage.field(u"InterestSaved").setCurrency(results.interestSaved);
    qMortgage.post();
}

void TfrmMain::restoreAfterFailedGeneration(const Query::RecordSnapshot &before) noexcept
{
    try {
        qMortgage.restoreRecord(before);
    } catch (...) {
        // The record's rows changed under it; what is on screen is what the query holds.
    }
    try {
        // The file holds the old schedule again: show it.
        Query::DisabledControls detached(qAmortization);
        qAmortization.close();
        qAmortization.setParameter(QStringLiteral("MortgageID"),
                                   qint32(qMortgage.isActive() ? qMortgage.field(u"MortgageID").asInteger() : 0));
        qAmortization.open();
    } catch (...) {
        // The schedule could not be read back; the grids stay attached and empty.
    }
    try {
        ExpandYearGroups();
    } catch (...) {
    }
}

void TfrmMain::qAmortizationCalcFields(Query &dataSet)
{
    const Field &monthly = qMortgage.field(u"MonthlyPayment");
    report::CalculateScheduleRow(dataSet, monthly.isForeign() ? std::nullopt : std::optional(monthly.asCurrency()));
}

QString TfrmMain::qAmortizationPayDateGetText(const Field &sender, bool) const
{
    return report::ScheduleMonthText(sender, MainConnection.regionalSettings());
}

void TfrmMain::chkGroupClick()
{
    if (ui->chkGroup->isChecked()) {
        tvAmort.groupBy(tvAmort.columnIndex(u"tvAmortYear"));
        tvAmort.expandAll();
    } else {
        tvAmort.groupBy(-1);
    }
}

void TfrmMain::chkGrpClick()
{
    if (ui->chkGrp->isChecked()) {
        tvPrepay.groupBy(tvPrepay.columnIndex(u"tvPrepayYear"));
        tvPrepay.expandAll();
    } else {
        tvPrepay.groupBy(-1);
    }
}

void TfrmMain::pgMortChange()
{
    switch (ui->pgMort->currentIndex()) {
    case 1:
        tvAmort.expandAll();
        break;
    case 4:
        tvPrepay.expandAll();
        break;
    default:
        break;
    }
}

void TfrmMain::showFocusedPage()
{
    // An amount the column refused keeps the focus in its edit, also when the
    // person switched pages: the page that holds it comes back, so that the
    // text can be seen and corrected.
    QWidget *focus = focusWidget();
    if (!focus || focus->isVisibleTo(this) || !ui->pgMort->isAncestorOf(focus))
        return;
    for (int page = 0; page < ui->pgMort->count(); ++page) {
        if (ui->pgMort->widget(page)->isAncestorOf(focus)) {
            ui->pgMort->setCurrentIndex(page);
            return;
        }
    }
}

double RunningColumnTotal(const platform::GroupedTableModel &rows, int position, int column)
{
    // Added up exactly in ten-thousandths: a long schedule of large amounts
    // never loses a cent to binary fractions on the way.
    return ext::toDouble(rows.runningTotal(position, column).toExtended());
}

void TfrmMain::RunningTotalText(const platform::GroupedTableModel &view, QStringView runningColumn, int record,
                                QString &text) const
{
    try {
        // The running-total column says which column it adds up.
        const int running = view.columnIndex(runningColumn);
        if (running < 0)
            return;
        const QString &summed = view.column(running).runningTotalOf;
        int column = -1;
        for (int c = 0; c < view.columnCountTotal() && column < 0; ++c) {
            if (view.column(c).field == summed)
                column = c;
        }
        if (column < 0)
            return;
        // The exact sum, formatted without passing through a double.
        text = qt(formatMoney(view.runningTotal(view.shownPosition(record), column), MainConnection.regionalSettings()));
    } catch (...) {
        // The cell keeps the text the grid made for it.
    }
}

void TfrmMain::tvAmortTotalPrincipalGetDisplayText(int record, QString &text)
{
    RunningTotalText(tvAmort, u"tvAmortTotalPrincipal", record, text);
}

void TfrmMain::tvAmortTotalInterestGetDisplayText(int record, QString &text)
{
    RunningTotalText(tvAmort, u"tvAmortTotalInterest", record, text);
}

void TfrmMain::tvPrepayPrincipalPaidGetDisplayText(int record, QString &text)
{
    RunningTotalText(tvPrepay, u"tvPrepayPrincipalPaid", record, text);
}

void TfrmMain::tvPrepayInterestPaidGetDisplayText(int record, QString &text)
{
    RunningTotalText(tvPrepay, u"tvPrepayInterestPaid", record, text);
}
