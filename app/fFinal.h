#pragma once

#include "About.h"

#include <QPointer>

// The closing dialog: the about box as a small tool window captioned
// "Thank you!", with OK (close the program) and Cancel (keep it running).
class TfrmFinal : public TAboutBox
{
    Q_OBJECT

public:
    explicit TfrmFinal(QWidget *parent = nullptr);
};

// The one closing dialog, owned by the main window.
extern QPointer<TfrmFinal> frmFinal;
