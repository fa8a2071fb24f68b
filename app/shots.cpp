// calvora-shots FOLDER: the pictures of a first use of the program. Writes a
// fresh database FOLDER/Mortgage.mdb (left there afterwards), starts the
// windows offscreen on it and enters a sample mortgage through the windows'
// own controls, with real key and mouse events: 100,000.00 at 6 % over 360
// months from January 2004, Calculate, Schedule, 100.00 prepaid every month
// and the Prepayment page's Calculate, Save. Then it renders each page, the
// side bar collapsed and expanded over the window, and the closing dialog to
// PNG files in FOLDER.

#include "ErrorHandler.h"
#include "FormSupport.h"
#include "RegionalSettings.h"
#include "Schema.h"
#include "fFinal.h"
#include "fMain.h"
#include "fSideBar.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QTabWidget>
#include <QTest>
#include <QTextStream>

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
    type(window, "edtName", QStringLiteral("Our house"));
    type(window, "edtInterestRate", QStringLiteral("6"));
    type(window, "edtTermInMonth", QStringLiteral("360"));
    type(window, "edtPrice", QStringLiteral("100000"));
    type(window, "edtDown", QStringLiteral("0"));
    click(window, "btnCalculate");

    // The first payment: January 2004, chosen and stepped on the schedule page.
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
    frmMain = nullptr;
    return 0;
}
