#pragma once

#include "Connection.h"
#include "DataSource.h"
#include "GroupedTableModel.h"
#include "Query.h"
#include "RegionalSettings.h"
#include "Schedule.h"

#include <QTemporaryDir>

namespace calvora::report {

// A schedule generated into a database file of its own, in a temporary
// folder that goes with it, and read through the same query and views as the
// main window's schedule pages. The command line exports its schedules from
// here, so that what it prints is what the window shows for the same loan.
class ScratchSchedule
{
public:
    // inputs.monthlyPayment is the payment the schedule pays. Throws the
    // store's error when the file cannot be written, and the schedule's
    // arithmetic or date faults.
    ScratchSchedule(const ScheduleInputs &inputs, const RegionalSettings &settings);
    ~ScratchSchedule();
    ScratchSchedule(const ScratchSchedule &) = delete;
    ScratchSchedule &operator=(const ScratchSchedule &) = delete;

    platform::GroupedTableModel &paymentView() { return m_paymentView; }
    platform::GroupedTableModel &prepaymentView() { return m_prepaymentView; }

private:
    QTemporaryDir m_folder;
    store::Connection m_connection;
    store::Query m_schedule{m_connection, QStringLiteral("qAmortization")};
    store::DataSource m_source{QStringLiteral("dsAmortization")};
    platform::GroupedTableModel m_paymentView;
    platform::GroupedTableModel m_prepaymentView;
};

} // namespace calvora::report
