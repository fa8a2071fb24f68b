#pragma once

// The main window on a fresh database file, shown offscreen, with the error
// handler replaced by a recorder and today's date fixed.

#include "DateTime.h"
#include "ErrorHandler.h"
#include "FormSupport.h"
#include "StoreFixture.h"
#include "fMain.h"

#include <QAbstractButton>
#include <QTest>

#include <memory>

class MainWindowFixture
{
public:
    explicit MainWindowFixture(calvora::DateTime today = calvora::encodeDate(2024, 5, 17)) : m_today(today)
    {
        calvora::platform::setErrorSink([this](const QString &message) { errors << message; });
    }
    ~MainWindowFixture()
    {
        window.reset();
        calvora::platform::resetErrorSink();
        calvora::platform::setNextModalResults({});
    }
    MainWindowFixture(const MainWindowFixture &) = delete;
    MainWindowFixture &operator=(const MainWindowFixture &) = delete;

    // Creates and shows the window on the fixture's file (or on a folder of
    // the test's choosing).
    TfrmMain &show(const QString &folder = QString())
    {
        window = std::make_unique<TfrmMain>(calvora::RegionalSettings::usEnglish(),
                                            folder.isEmpty() ? store.folder() : folder);
        window->setClock([this] { return m_today; });
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("the main window did not become active");
        return *window;
    }

    template <class T> T *child(const char *name) const
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }
    QAbstractButton *button(const char *name) const { return child<QAbstractButton>(name); }
    QString current(const char *column) const { return window->qMortgage.field(QString::fromLatin1(column)).asString(); }

    StoreFixture store;
    std::unique_ptr<TfrmMain> window;
    QStringList errors;

private:
    calvora::DateTime m_today;
};
