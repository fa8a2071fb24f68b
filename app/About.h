#pragma once

#include <QDialog>

#include <memory>

// Registers the pictures of the forms.
void initFormResources();

namespace Ui {
class TAboutBox;
}

// The about box: a comment, the program's picture and a link to the maker's
// web site, with an OK button. It is the base of the closing dialog.
class TAboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutBox(QWidget *parent = nullptr);
    ~TAboutBox() override;

    // A click on the picture does what a click on the link does.
    void ProgramIconClick();

protected:
    std::unique_ptr<Ui::TAboutBox> ui;
};
