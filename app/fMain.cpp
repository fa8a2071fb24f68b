#include "fMain.h"

#include "FormSupport.h"
#include "ErrorHandler.h"
#include "Field.h"
#include "Format.h"
#include "LoanMath.h"
#include "StoreError.h"
#include "About.h"
#include "fFinal.h"
#include "ui_fMain.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QShowEvent>

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
    : QWidget(parent), ui(std::make_unique<Ui::TfrmMain>()), m_clock(&calvora::today),
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
    platform::bindDataControls(this, {&dsMortgage, &dsAmortization, &dsMonth});

    auto onClick = [this](QAbstractButton *button, void (TfrmMain::*handler)()) {
        connect(button, &QAbstractButton::clicked, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    onClick(ui->btnNew, &TfrmMain::btnNewClick);
    onClick(ui->btnDelete, &TfrmMain::btnDeleteClick);
    onClick(ui->btnSave, &TfrmMain::btnSaveClick);
    onClick(ui->btnCalculate, &TfrmMain::btnCalculateClick);
    for (platform::DBEdit *edit : std::initializer_list<platform::DBEdit *>{ui->edtPrice, ui->edtDown})
        connect(edit, &platform::DBEdit::clicked, this, [this, edit] { guarded([this, edit] { edtPriceClick(edit); }); });
    for (platform::DBEdit *edit : std::initializer_list<platform::DBEdit *>{ui->edtInterestRate, ui->edtTermInMonth, ui->edtLoanAmt})
        connect(edit, &platform::DBEdit::changed, this, [this] { guarded([this] { edtFieldChange(); }); });

    ui->pnlMortgages->installEventFilter(this);
    ui->pnlMortgages->raise();

    guarded([this] { FormCreate(); });
}

TfrmMain::~TfrmMain()
{
    if (frmMain == this)
        frmMain = nullptr;
}

void TfrmMain::FormCreate()
{
    if (!frmFinal)
        frmFinal = new TfrmFinal(this);
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
    qMortgage.open();
    qMonth.open();

    const DateParts now = decodeDate(m_clock());
    if (qMortgage.field(u"StartYear").asInteger() == 0) {
        qMortgage.edit();
        qMortgage.field(u"StartYear").setInteger(now.year);
    }
    if (qMortgage.field(u"StartMonth").asInteger() == 0) {
        qMortgage.edit();
        qMortgage.field(u"StartMonth").setInteger(now.month);
    }
    qAmortization.first();
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
    Query::Cursor rows = query.cursor();
    const int count = rows.count();
    for (int position = 1; position <= count; ++position) {
        if (rows.asInteger(u"NameSequence") != position)
            return position;
        rows.next();
    }
    return count + 1;
}

void TfrmMain::requeryMortgages()
{
    DetachedGrid detached(*ui->dgMortgage, dsMortgage);
    qMortgage.requery();
}

void TfrmMain::btnNewClick()
{
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
    const std::int64_t id = qint32(qMortgage.isActive() ? qMortgage.field(u"MortgageID").asInteger() : 0);
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
    if (qMortgage.isEditing())
        qMortgage.post();
}

void TfrmMain::qMortgageHouseAmountChange(Field &)
{
    if (!qMortgage.isActive())
        return;
    qMortgage.field(u"LoanAmount")
        .setCurrency(qMortgage.field(u"HouseAmount").asCurrency() - qMortgage.field(u"DownPayment").asCurrency());
}

void TfrmMain::qMortgageAfterScroll(Query &)
{
    qAmortization.close();
    qAmortization.setParameter(QStringLiteral("MortgageID"), qint32(qMortgage.field(u"MortgageID").asInteger()));
    qAmortization.open();
    SetCalculateEnabled(!InputIncomplete());
    const bool calculated = !qMortgage.field(u"MonthlyPayment").asCurrency().isZero();
    ui->btnGenerate->setEnabled(calculated);
    ui->btnReGenerate->setEnabled(calculated);
}

bool TfrmMain::InputIncomplete() const
{
    if (!qMortgage.isActive())
        return true;
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
    if (watched == ui->pnlMortgages) {
        if (event->type() == QEvent::Enter)
            guarded([this] { pnlMortgagesMouseEnter(); });
        else if (event->type() == QEvent::Leave)
            guarded([this] { pnlMortgagesMouseLeave(); });
    }
    return QWidget::eventFilter(watched, event);
}
