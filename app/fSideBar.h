#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

namespace Ui {
class TfrmSideBar;
}

namespace calvora::store {
class DataSource;
}
namespace calvora::platform {
class DBGrid;
}

class TfrmMain;

// The mortgage list as a small translucent window without a border that
// floats over the top left corner of the main window, where the summary
// strip leaves room for it. Under the mouse it grows to the height of the
// main window so the whole list can be picked from; when the mouse leaves it
// shrinks back to the height of the summary strip. Its buttons act exactly
// as the main window's.
class TfrmSideBar : public QWidget
{
    Q_OBJECT

public:
    // Owned by the main window, above it, hidden until placed.
    explicit TfrmSideBar(TfrmMain &owner);
    ~TfrmSideBar() override;

    // Binds the list to the main window's mortgage data source.
    void bindList(calvora::store::DataSource &mortgages);
    // The list of mortgages.
    calvora::platform::DBGrid &listGrid() const;

    void btnNewClick();
    void btnDeleteClick();
    void btnSaveClick();

    // The mouse entered the side bar: it grows to the main window's client height.
    void CMMouseEnter();
    // The mouse left the side bar or one of its controls: it shrinks back to
    // the summary strip's height unless the cursor is still strictly inside.
    void CMMouseLeave();

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    std::unique_ptr<Ui::TfrmSideBar> ui;
    TfrmMain &m_owner;
};

// The one side bar, created with the main window.
extern QPointer<TfrmSideBar> frmSideBar;
