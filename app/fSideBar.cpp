#include "fSideBar.h"

#include "BrindlewwDBGrid.h"
#include "ErrorHandler.h"
#include "fMain.h"
#include "ui_fSideBar.h"

#include <QAbstractButton>
#include <QCursor>

using calvora::platform::guarded;

QPointer<TfrmSideBar> frmSideBar;

TfrmSideBar::TfrmSideBar(TfrmMain &owner)
    : QWidget(&owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      ui(std::make_unique<Ui::TfrmSideBar>()), m_owner(owner)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("frmSideBar"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Translucent: 200 of 255.
    setWindowOpacity(200.0 / 255.0);
    resize(155, 49);
    ui->dgMortgage->addColumn(QStringLiteral("MortgageName"), QStringLiteral("Mortgages"), 20);
    // Whole rows are picked here; the names are not edited.
    ui->dgMortgage->setOptions(TBrindlewwDBGrid::dgRowSelect);
    ui->dgMortgage->setColor(QColor(0xEC, 0xEA, 0xFF));
    ui->dgMortgage->setFrameColor(QColor(0xE4, 0xED, 0xFA));
    ui->dgMortgage->setFrameVisible(false);
    // The main window's pictures.
    ui->btnNew->setIcon(owner.img16x16.icon(0, 1));
    ui->btnDelete->setIcon(owner.img16x16.icon(2, 3));
    ui->btnSave->setIcon(owner.img16x16.icon(24, 25));

    auto onClick = [this](QAbstractButton *button, void (TfrmSideBar::*handler)()) {
        connect(button, &QAbstractButton::clicked, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    onClick(ui->btnNew, &TfrmSideBar::btnNewClick);
    onClick(ui->btnDelete, &TfrmSideBar::btnDeleteClick);
    onClick(ui->btnSave, &TfrmSideBar::btnSaveClick);
}

TfrmSideBar::~TfrmSideBar() = default;

void TfrmSideBar::bindList(calvora::store::DataSource &mortgages) { ui->dgMortgage->setDataSource(&mortgages); }

calvora::platform::DBGrid &TfrmSideBar::listGrid() const { return *ui->dgMortgage; }

// The buttons click the main window's own, so its handlers run exactly as
// from there.
void TfrmSideBar::btnNewClick() { m_owner.clickMainButton("btnNew"); }
void TfrmSideBar::btnDeleteClick() { m_owner.clickMainButton("btnDelete"); }
void TfrmSideBar::btnSaveClick() { m_owner.clickMainButton("btnSave"); }

void TfrmSideBar::CMMouseEnter() { resize(width(), m_owner.height()); }

void TfrmSideBar::CMMouseLeave()
{
    const QPoint at = mapFromGlobal(QCursor::pos());
    // Strictly inside: a point on the left or top edge counts as outside.
    const bool inside = at.x() > 0 && at.x() < width() && at.y() > 0 && at.y() < height();
    if (!inside)
        resize(width(), m_owner.summaryStripHeight());
}

void TfrmSideBar::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    guarded([this] { CMMouseEnter(); });
}

void TfrmSideBar::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    guarded([this] { CMMouseLeave(); });
}
