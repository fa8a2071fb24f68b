#include "FormSupport.h"
#include "RegionalSettings.h"
#include "fMain.h"

#include <QApplication>

#include <clocale>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    calvora::platform::initApplication();

    // Money, numbers and month names follow the user's regional settings.
    std::setlocale(LC_ALL, "");
    const calvora::RegionalSettings settings = calvora::RegionalSettings::fromProcessLocale();
    std::setlocale(LC_NUMERIC, "C");

    TfrmMain window(settings);
    frmMain = &window;
    window.show();
    return application.exec();
}
