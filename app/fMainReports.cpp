// The main window's ways out of its pages: a schedule exported as CSV or
// printed, the selected mortgage as a chart, the mortgages side by side, and
// the line under each schedule that shows it adds up to its loan.

#include "fMain.h"

#include "DBGrid.h"
#include "ErrorHandler.h"
#include "FileNames.h"
#include "Errors.h"
#include "Field.h"
#include "ScheduleViews.h"
#include "TableExport.h"
#include "ScheduleChart.h"
#include "SchedulePrint.h"
#include "fCompare.h"
#include "fSideBar.h"
#include "ui_fMain.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QToolButton>

using namespace calvora;
using calvora::platform::GroupedTableModel;
using calvora::platform::guarded;
using calvora::store::Field;

namespace {

// The three small pictures of the schedule tool bars' own buttons, drawn in
// the colours of the other tool pictures.
QIcon reportIcon(char kind)
{
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QColor ink(0x33, 0x4d, 0x80);
    switch (kind) {
    case 'e': // a sheet with rows, and an arrow out of it
        painter.setPen(ink);
        painter.setBrush(Qt::white);
        painter.drawRect(1, 1, 10, 13);
        for (int y = 4; y <= 11; y += 3)
            painter.drawLine(3, y, 9, y);
        painter.setPen(QPen(QColor(0x2e, 0x8b, 0x57), 2));
        painter.drawLine(8, 8, 14, 8);
        painter.drawLine(12, 5, 15, 8);
        painter.drawLine(12, 11, 15, 8);
        break;
    case 'p': // a printer
        painter.setPen(ink);
        painter.setBrush(Qt::white);
        painter.drawRect(4, 1, 8, 5);
        painter.setBrush(QColor(0xb0, 0xb8, 0xc8));
        painter.drawRect(1, 6, 14, 6);
        painter.setBrush(Qt::white);
        painter.drawRect(4, 10, 8, 5);
        break;
    default: // a chart: a falling balance as bars over an axis
        painter.setPen(ink);
        painter.drawLine(1, 1, 1, 15);
        painter.drawLine(1, 15, 15, 15);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x5b, 0x8d, 0xc9));
        painter.drawRect(3, 3, 3, 11);
        painter.drawRect(7, 7, 3, 7);
        painter.setBrush(QColor(0x2e, 0x8b, 0x57));
        painter.drawRect(11, 11, 3, 3);
        break;
    }
    return QIcon(picture);
}

} // namespace

void TfrmMain::setUpReports()
{
    // The reconciliation line under each schedule grid.
    auto line = [this](QBoxLayout *layout, const char *name) {
        auto *label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(name));
        QFont font = label->font();
        font.setPixelSize(11);
        label->setFont(font);
        label->setContentsMargins(6, 2, 6, 2);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setStyleSheet(QStringLiteral("color: #404040; background: #F7F7F8;"));
        layout->addWidget(label);
        return label;
    };
    m_amortReconciliation = line(ui->tsAmortizationLayout, "lblAmortReconciliation");
    m_prepayReconciliation = line(ui->tsPrepaymentAmortLayout, "lblPrepayReconciliation");
    // Called inside other handlers (a generation re-reads the schedule): it
    // never throws, so it needs no guard of its own.
    connect(&tvAmort, &QAbstractItemModel::modelReset, this, [this] { UpdateReconciliation(); });
    connect(&tvPrepay, &QAbstractItemModel::modelReset, this, [this] { UpdateReconciliation(); });

    // The menu entries, each a window-wide shortcut too.
    auto action = [this](const char *name, const QString &text, const QKeySequence &keys, char icon,
                         std::function<void()> handler) {
        auto *entry = new QAction(text, this);
        entry->setObjectName(QString::fromLatin1(name));
        entry->setShortcut(keys);
        entry->setShortcutContext(Qt::WindowShortcut);
        if (icon)
            entry->setIcon(reportIcon(icon));
        connect(entry, &QAction::triggered, this, [handler = std::move(handler)] { guarded(handler); });
        addAction(entry);
        return entry;
    };
    QAction *exportEntry = action("actExport", QStringLiteral("Export…"), QKeySequence(Qt::CTRL | Qt::Key_E), 'e', [this] {
        if (GroupedTableModel *view = currentScheduleView())
            exportSchedule(*view);
    });
    exportEntry->setToolTip(QStringLiteral("Export the schedule as shown to a CSV file (Ctrl+E)"));
    QAction *printEntry = action("actPrint", QStringLiteral("Print…"), QKeySequence::Print, 'p', [this] {
        if (GroupedTableModel *view = currentScheduleView())
            printSchedule(*view);
    });
    printEntry->setToolTip(QStringLiteral("Print the schedule as shown, or save it as PDF (Ctrl+P)"));
    QAction *chartEntry = action("actChart", QStringLiteral("Chart…"), QKeySequence(Qt::CTRL | Qt::Key_G), 'c',
                                 [this] { showChart(); });
    chartEntry->setToolTip(QStringLiteral("Chart the balance and each year's principal and interest (Ctrl+G)"));
    QAction *compareEntry = action("actCompare", QStringLiteral("Compare…"), QKeySequence(Qt::CTRL | Qt::Key_M), 0,
                                   [this] { showCompare(); });
    compareEntry->setToolTip(QStringLiteral("Compare the saved mortgages side by side (Ctrl+M)"));

    const QList<QAction *> scheduleEntries{exportEntry, printEntry};
    const QList<QAction *> listEntries{compareEntry, chartEntry};
    std::vector<QWidget *> lists{ui->dgMortgage};
    if (frmSideBar)
        lists.push_back(&frmSideBar->listGrid());
    for (QWidget *list : lists) {
        list->setContextMenuPolicy(Qt::ActionsContextMenu);
        list->addActions(listEntries);
    }
    for (QWidget *grid : {static_cast<QWidget *>(ui->grdAmort), static_cast<QWidget *>(ui->grdPrepay)}) {
        grid->setContextMenuPolicy(Qt::ActionsContextMenu);
        grid->addActions(scheduleEntries);
        grid->addAction(chartEntry);
    }

    // The schedule tool bars' own buttons, at their free right ends.
    for (int bar = 0; bar < 2; ++bar) {
        QWidget *toolBar = bar == 0 ? ui->tbSchedule : ui->RzToolbar2;
        for (QAction *entry : scheduleEntries + QList<QAction *>{chartEntry}) {
            auto *button = new QToolButton(toolBar);
            button->setObjectName(entry->objectName().replace(0, 3, bar == 0 ? QStringLiteral("btnAmort")
                                                                            : QStringLiteral("btnPrepay")));
            button->setDefaultAction(entry);
            button->setAutoRaise(true);
            button->setFocusPolicy(Qt::NoFocus);
            button->setIconSize(QSize(16, 16));
            button->resize(22, 22);
            m_reportButtons[bar].push_back(button);
        }
        toolBar->installEventFilter(this);
    }
    auto pageChanged = [this, scheduleEntries] {
        guarded([&] {
            const bool onSchedule = currentScheduleView() != nullptr;
            for (QAction *entry : scheduleEntries)
                entry->setEnabled(onSchedule);
        });
    };
    connect(ui->pgMort, &QTabWidget::currentChanged, this, pageChanged);
    pageChanged();
}

void TfrmMain::placeReportButtons()
{
    for (int bar = 0; bar < 2; ++bar) {
        const QWidget *toolBar = bar == 0 ? ui->tbSchedule : ui->RzToolbar2;
        int x = toolBar->width() - 2;
        for (auto button = m_reportButtons[bar].rbegin(); button != m_reportButtons[bar].rend(); ++button) {
            x -= (*button)->width();
            (*button)->move(x, (toolBar->height() - (*button)->height()) / 2);
        }
    }
}

GroupedTableModel *TfrmMain::currentScheduleView()
{
    switch (ui->pgMort->currentIndex()) {
    case 1:
        return &tvAmort;
    case 4:
        return &tvPrepay;
    default:
        return nullptr;
    }
}

void TfrmMain::exportSchedule(const GroupedTableModel &view)
{
    if (view.recordCount() == 0)
        throw Error("There is no schedule to export: click Schedule on the Payment Schedule page first.");
    const QString name = qMortgage.isActive() && !qMortgage.field(u"MortgageName").isForeign()
                             ? qMortgage.field(u"MortgageName").asString()
                             : QString();
    const QString title = &view == &tvPrepay ? QStringLiteral("Prepayment Schedule") : QStringLiteral("Payment Schedule");
    const QString suggested = platform::suggestedSavePath(platform::fileNamePart(name, QStringLiteral("Mortgage")) +
                                                          QStringLiteral(" - ") + title + QStringLiteral(".csv"));
    const QString path = platform::askSaveFileName(this, QStringLiteral("Export ") + title, suggested,
                                                   QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty())
        return;
    exportScheduleTo(view, path);
}

void TfrmMain::exportScheduleTo(const GroupedTableModel &view, const QString &path) const
{
    platform::writeWholeFile(path, report::ExportCsv(view), QStringLiteral("schedule"));
}

void TfrmMain::printSchedule(const GroupedTableModel &view)
{
    // A new mortgage not yet stored still prints: its title shows what is typed.
    if (!qMortgage.isActive() || (qMortgage.isEmpty() && qMortgage.state() != store::Query::State::Insert))
        throw Error("There is no mortgage to print.");
    std::unique_ptr<QPrintPreviewDialog> preview(
        PreviewSchedule(this, view, ScheduleTitleOf(qMortgage, &view == &tvPrepay, MainConnection.regionalSettings())));
    platform::execModal(*preview);
}

void TfrmMain::showChart()
{
    if (!m_chart) {
        m_chart = new TfrmChart(
            tvAmort, tvPrepay,
            [this] {
                const bool named = qMortgage.isActive() && !qMortgage.field(u"MortgageName").isForeign();
                return named ? qMortgage.field(u"MortgageName").asString() : QString();
            },
            MainConnection.regionalSettings(), this);
        m_chart->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_chart->show();
    m_chart->raise();
    m_chart->activateWindow();
}

void TfrmMain::showCompare()
{
    requireMortgageList();
    const bool stored = qMortgage.state() != store::Query::State::Insert && !qMortgage.isEmpty();
    const qint32 current = stored ? qint32(qMortgage.field(u"MortgageID").asInteger()) : -1;
    if (m_compare) {
        m_compare->refresh(current);
    } else {
        m_compare = new TfrmCompare(MainConnection, MainConnection.regionalSettings(), current, this);
        m_compare->setAttribute(Qt::WA_DeleteOnClose);
        // The comparison shows what is stored and never stores anything; a
        // mortgage changed on screen is named under the table instead.
        m_compare->setUnsavedMortgage([this]() -> qint32 {
            if (qMortgage.state() != store::Query::State::Edit)
                return -1;
            const Field &id = qMortgage.field(u"MortgageID");
            return id.isForeign() ? -1 : qint32(id.asInteger());
        });
        m_compare->refresh();
    }
    m_compare->show();
    m_compare->raise();
    m_compare->activateWindow();
}

QString TfrmMain::reconciliationText(const GroupedTableModel &view) const
{
    if (!qMortgage.isActive() || view.recordCount() == 0)
        return QString();
    const Field &loan = qMortgage.field(u"LoanAmount");
    if (loan.isForeign())
        return QStringLiteral("This schedule cannot be reconciled: the loan amount is not an amount.");
    const bool prepaid = &view == &tvPrepay;
    const report::Reconciliation reconciliation =
        report::ReconcileSchedule(view, prepaid ? u"ActualPrincipal" : u"Principal",
                                  prepaid ? u"ActualLeft" : u"PrincipalLeft", loan.asCurrency());
    return report::ReconciliationText(reconciliation, MainConnection.regionalSettings());
}

void TfrmMain::UpdateReconciliation() noexcept
{
    for (auto [label, view] : {std::pair{m_amortReconciliation, &tvAmort}, std::pair{m_prepayReconciliation, &tvPrepay}}) {
        if (!label)
            continue;
        try {
            label->setText(reconciliationText(*view));
        } catch (const std::exception &e) {
            label->setText(QStringLiteral("This schedule cannot be reconciled: %1").arg(QString::fromUtf8(e.what())));
        }
    }
}
