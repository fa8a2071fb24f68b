#include "About.h"

#include "ErrorHandler.h"
#include "ui_About.h"

// The pictures live in the forms library; a static library registers them
// itself.
void initFormResources() { Q_INIT_RESOURCE(app); }

TAboutBox::TAboutBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), ui(std::make_unique<Ui::TAboutBox>())
{
    initFormResources();
    ui->setupUi(this);
    setObjectName(QStringLiteral("AboutBox"));
    setModal(true);
    connect(ui->btnOK, &QPushButton::clicked, this, [this] { done(1); });
    connect(ui->btnCancel, &QPushButton::clicked, this, [this] { done(2); });
    connect(ui->ProgramIcon, &calvora::platform::ImageLabel::clicked, this,
            [this] { calvora::platform::guarded([this] { ProgramIconClick(); }); });
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::ProgramIconClick() { ui->lnk->click(); }
