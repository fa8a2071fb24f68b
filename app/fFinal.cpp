#include "fFinal.h"

#include "ui_About.h"

QPointer<TfrmFinal> frmFinal;

TfrmFinal::TfrmFinal(QWidget *parent) : TAboutBox(parent)
{
    setObjectName(QStringLiteral("frmFinal"));
    setWindowTitle(QStringLiteral("Thank you!"));
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    ui->btnCancel->setVisible(true);
}
