// calvora-newdb PATH: writes a fresh, empty mortgage database file.

#include "Schema.h"

#include <QCoreApplication>
#include <QTextStream>

#include <exception>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QTextStream err(stderr);
    if (arguments.size() != 2 || arguments.at(1) == QLatin1String("--help")) {
        err << "usage: calvora-newdb PATH\n"
               "Writes a fresh mortgage database file at PATH with its three tables and the twelve month rows.\n"
               "An existing file is never overwritten.\n";
        return arguments.size() == 2 ? 0 : 2;
    }
    try {
        calvora::store::createDatabase(arguments.at(1));
    } catch (const std::exception &e) {
        err << "calvora-newdb: " << QString::fromUtf8(e.what()) << '\n';
        return 1;
    }
    return 0;
}
