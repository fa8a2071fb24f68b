// calvora-shots FOLDER: the pictures of a first use of the program. Writes a
// fresh database FOLDER/Mortgage.mdb (left there afterwards), starts the
// windows offscreen on it and enters a sample mortgage through the windows'
// own controls, with real key and mouse events: 100,000.00 at 6 % over 360
// months from January 2004, Calculate, Schedule, 100.00 prepaid every month
// and the Prepayment page's Calculate, Save. Then it renders each page, the
// side bar collapsed and expanded over the window, and the closing dialog to
// PNG files in FOLDER; then, through the main window's shortcuts, the print
// preview of the Payment Schedule page (Ctrl+P), the chart (Ctrl+G), and,
// once a second mortgage is added and calculated (150,000.00 at 5.5 % over
// 180 months), the two side by side (Ctrl+M).

#include "ErrorHandler.h"
#include "FormSupport.h"
#include "RegionalSettings.h"
#include "ScheduleChart.h"
#include "Schema.h"
#include "fCompare.h"
#include "fFinal.h"
#include "fMain.h"
#include "fSideBar.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeySequence>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QTabWidget>
#include <QTest>
#include <QTextStream>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <memory>

namespace {

QStringList g_errors;

template <class T> T *child(QWidget &window, const char *name)
{
    T *found = window.findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("calvora-shots: the window has no %s", name);
    return found;
}

// Clicks into an edit and types a text, as a person would.
void type(QWidget &window, const char *edit, const QString &text)
{
    auto *field = child<QLineEdit>(window, edit);
    QTest::mouseClick(field, Qt::LeftButton);
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Tab);
}

void click(QWidget &window, const char *button)
{
    auto *target = child<QAbstractButton>(window, button);
    if (!target->isEnabled())
        qFatal("calvora-shots: %s is not enabled", button);
    QTest::mouseClick(target, Qt::LeftButton);
    QApplication::processEvents();
}

void showPage(QWidget &window, int page)
{
    child<QTabWidget>(window, "pgMort")->setCurrentIndex(page);
    QApplication::processEvents();
}

// The first payment of the current mortgage: January 2004, chosen and
// stepped on the Payment Schedule page.
void startJanuary2004(TfrmMain &window)
{
    showPage(window, 1);
    auto *month = child<QComboBox>(window, "cbMonth");
    month->setFocus();
    QTest::keyClick(month, Qt::Key_Home);
    auto *year = child<QAbstractSpinBox>(window, "edtYear");
    year->setFocus();
    while (window.qMortgage.field(u"StartYear").asInteger() > 2013)
        QTest::keyClick(year, Qt::Key_PageDown);
    while (window.qMortgage.field(u"StartYear").asInteger() > 2004)
        QTest::keyClick(year, Qt::Key_Down);
}

// Types a mortgage into the Monthly Payment page's fields (no down payment),
// clicks Calculate and sets its first payment to January 2004.
void enterMortgage(TfrmMain &window, const QString &name, const QString &rate, const QString &term,
                   const QString &price)
{
    showPage(window, 0);
    type(window, "edtName", name);
    type(window, "edtInterestRate", rate);
    type(window, "edtTermInMonth", term);
    type(window, "edtPrice", price);
    type(window, "edtDown", QStringLiteral("0"));
    click(window, "btnCalculate");
    startJanuary2004(window);
}

// Ends the program with what its error handler was told.
void failOnErrors(const char *what)
{
    if (g_errors.isEmpty())
        return;
    QTextStream(stderr) << "calvora-shots: " << what << ": " << g_errors.join(QLatin1Char('\n')) << '\n';
    std::exit(1);
}

// Lets a window lay itself out and paint: posted events, layouts, and the
// charts' own layout pass, which runs when the event loop comes round.
void settle()
{
    for (int round = 0; round < 5; ++round) {
        QApplication::processEvents();
        QTest::qWait(20);
    }
}

// Makes a window the active one, as a click on it does: keys and focus go
// to the active window only.
void activate(QWidget &window)
{
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window))
        qFatal("calvora-shots: the window did not become active");
}

// Presses one of the main window's shortcuts, the window active as when a
// person types it.
void pressShortcut(QWidget &window, const QKeySequence &keys)
{
    activate(window);
    QTest::keySequence(&window, keys);
}

// Runs `take` on the modal dialog named `name` from inside its own event
// loop once it is shown, then rejects the dialog; sets `taken` when done.
// Looks again every 10 ms, for at most `tries` times.
void whenModalShown(const QString &name, const std::function<void(QDialog &)> &take,
                    const std::shared_ptr<bool> &taken, int tries = 300)
{
    QTimer::singleShot(10, [name, take, taken, tries] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (dialog && dialog->objectName() == name && dialog->isVisible()) {
            take(*dialog);
            *taken = true;
            dialog->reject();
        } else if (tries > 0) {
            whenModalShown(name, take, taken, tries - 1);
        }
    });
}

// The main window with the side bar drawn over it where it floats, as
// translucent as it is.
QImage withSideBar(QWidget &window)
{
    QImage picture = window.grab().toImage();
    if (frmSideBar && frmSideBar->isVisible()) {
        QPainter painter(&picture);
        painter.setOpacity(frmSideBar->windowOpacity());
        painter.drawPixmap(window.mapFromGlobal(frmSideBar->pos()), frmSideBar->grab());
    }
    return picture;
}

} // namespace

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    calvora::platform::initApplication();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2) {
        QTextStream(stderr) << "usage: calvora-shots FOLDER\n";
        return 2;
    }
    const QDir folder(arguments.at(1));
    QDir().mkpath(folder.absolutePath());
    const QString database = folder.filePath(QStringLiteral("Mortgage.mdb"));
    QFile::remove(database);
    try {
        calvora::store::createDatabase(database);
    } catch (const std::exception &e) {
        QTextStream(stderr) << "calvora-shots: " << e.what() << '\n';
        return 1;
    }
    calvora::platform::setErrorSink([](const QString &message) { g_errors << message; });

    TfrmMain window(calvora::RegionalSettings::usEnglish(), folder.absolutePath());
    frmMain = &window;
    window.show();
    QApplication::processEvents();

    // The first mortgage, typed in on a fresh file.
    enterMortgage(window, QStringLiteral("Our house"), QStringLiteral("6"), QStringLiteral("360"),
                  QStringLiteral("100000"));
    click(window, "btnGenerate");

    showPage(window, 3);
    type(window, "edtPrepmt", QStringLiteral("100"));
    click(window, "btnReGenerate");
    click(window, "btnSave");
    if (!g_errors.isEmpty()) {
        QTextStream(stderr) << "calvora-shots: " << g_errors.join(QLatin1Char('\n')) << '\n';
        return 1;
    }

    const struct
    {
        int page;
        const char *file;
    } pages[] = {{0, "monthly.png"}, {1, "schedule.png"}, {2, "biweekly.png"}, {3, "prepayment.png"},
                 {4, "prepayment-schedule.png"}};
    for (const auto &page : pages) {
        showPage(window, page.page);
        withSideBar(window).save(folder.filePath(QString::fromLatin1(page.file)));
    }

    showPage(window, 0);
    withSideBar(window).save(folder.filePath(QStringLiteral("sidebar-collapsed.png")));
    if (frmSideBar) {
        frmSideBar->CMMouseEnter();
        QApplication::processEvents();
        withSideBar(window).save(folder.filePath(QStringLiteral("sidebar-expanded.png")));
    }

    frmFinal->show();
    QApplication::processEvents();
    frmFinal->grab().save(folder.filePath(QStringLiteral("closing.png")));
    frmFinal->hide();

    // The print preview of the Payment Schedule page, taken from inside its
    // modal loop at a size that shows a whole page.
    showPage(window, 1);
    const auto previewTaken = std::make_shared<bool>(false);
    whenModalShown(
        QStringLiteral("dlgPrintPreview"),
        [&folder](QDialog &preview) {
            preview.resize(900, 700);
            settle();
            preview.grab().save(folder.filePath(QStringLiteral("print-preview.png")));
        },
        previewTaken);
    pressShortcut(window, QKeySequence::Print);
    if (!*previewTaken)
        qFatal("calvora-shots: Ctrl+P showed no print preview");
    failOnErrors("Print");

    // The chart of the mortgage's schedule.
    pressShortcut(window, QKeySequence(Qt::CTRL | Qt::Key_G));
    auto *chart = window.findChild<TfrmChart *>(QStringLiteral("frmChart"));
    if (!chart || !chart->isVisible())
        qFatal("calvora-shots: Ctrl+G showed no chart");
    settle();
    chart->grab().save(folder.filePath(QStringLiteral("chart.png")));
    failOnErrors("Chart");
    click(*chart, "btnClose");

    // A second mortgage, and the two side by side; the second is the current
    // one, so the first is ticked in the list with a click.
    activate(window);
    if (frmSideBar && frmSideBar->isVisible())
        click(*frmSideBar, "btnNew");
    else
        click(window, "btnNew");
    enterMortgage(window, QStringLiteral("Shorter term"), QStringLiteral("5.5"), QStringLiteral("180"),
                  QStringLiteral("150000"));
    // The comparison shows what is stored.
    click(window, "btnSave");
    failOnErrors("the second mortgage");
    pressShortcut(window, QKeySequence(Qt::CTRL | Qt::Key_M));
    auto *compare = window.findChild<TfrmCompare *>(QStringLiteral("frmCompare"));
    if (!compare || !compare->isVisible())
        qFatal("calvora-shots: Ctrl+M showed no comparison");
    auto *mortgages = child<QListWidget>(*compare, "lstMortgages");
    const QList<QListWidgetItem *> first =
        mortgages->findItems(QStringLiteral("Our house"), Qt::MatchExactly);
    if (first.size() != 1)
        qFatal("calvora-shots: the comparison does not list the first mortgage");
    QTest::mouseClick(mortgages->viewport(), Qt::LeftButton, {},
                      mortgages->visualItemRect(first.front()).center());
    settle();
    compare->grab().save(folder.filePath(QStringLiteral("compare.png")));
    failOnErrors("Compare");
    frmMain = nullptr;
    return 0;
}
