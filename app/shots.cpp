// calvora-shots FOLDER [DATABASE_FOLDER]: renders each page of the main window
// and the closing dialog to PNG files, offscreen, so the look can be checked
// by eye. The main window opens the Mortgage.mdb of DATABASE_FOLDER (the
// program's folder when none is given).

#include "FormSupport.h"
#include "RegionalSettings.h"
#include "fFinal.h"
#include "fMain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    calvora::platform::initApplication();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 2) {
        QTextStream(stderr) << "usage: calvora-shots FOLDER [DATABASE_FOLDER]\n";
        return 2;
    }
    const QDir folder(arguments.at(1));
    QDir().mkpath(folder.absolutePath());

    TfrmMain window(calvora::RegionalSettings::usEnglish(), arguments.value(2));
    window.show();
    QApplication::processEvents();
    // The figures of the current mortgage.
    if (auto *calculate = window.findChild<QAbstractButton *>(QStringLiteral("btnCalculate")); calculate->isEnabled())
        calculate->click();
    QApplication::processEvents();
    // And its schedule, generated and stored.
    if (auto *generate = window.findChild<QAbstractButton *>(QStringLiteral("btnGenerate")); generate->isEnabled())
        generate->click();
    QApplication::processEvents();
    auto *pages = window.findChild<QTabWidget *>(QStringLiteral("pgMort"));
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        QApplication::processEvents();
        window.grab().save(folder.filePath(QStringLiteral("main-%1-%2.png").arg(page).arg(pages->widget(page)->objectName())));
    }
    frmFinal->show();
    QApplication::processEvents();
    frmFinal->grab().save(folder.filePath(QStringLiteral("final.png")));
    frmFinal->hide();
    return 0;
}
