#include "ScratchSchedule.h"

#include "Field.h"
#include "Schema.h"
#include "ScheduleViews.h"
#include "StoreError.h"
#include "Transaction.h"

namespace calvora::report {

ScratchSchedule::ScratchSchedule(const ScheduleInputs &inputs, const RegionalSettings &settings)
{
    if (!m_folder.isValid())
        throw store::StoreError(QStringLiteral("Cannot create a temporary folder for the schedule: %1")
                                    .arg(m_folder.errorString()));
    const QString path = m_folder.filePath(QStringLiteral("Mortgage.mdb"));
    store::createDatabase(path);
    m_connection.setDatabasePath(path);
    m_connection.setRegionalSettings(settings);

    constexpr std::int32_t mortgageId = 1;
    const Currency monthly = inputs.monthlyPayment;
    m_schedule.setSql(QStringLiteral("SELECT * FROM tblAmortization\nWHERE MortgageID=:MortgageID"));
    AddScheduleCalculatedFields(m_schedule);
    m_schedule.onCalcFields = [monthly](store::Query &row) { CalculateScheduleRow(row, monthly); };
    m_schedule.field(u"PayDate").onGetText = [this](const store::Field &sender, bool) {
        return ScheduleMonthText(sender, m_connection.regionalSettings());
    };
    m_schedule.setParameter(QStringLiteral("MortgageID"), mortgageId);
    m_schedule.open();
    {
        store::Transaction transaction(m_connection);
        ScheduleRowInserter writer(m_schedule, mortgageId);
        GenerateSchedule(inputs, writer);
        transaction.commit();
    }
    m_schedule.first();

    // The views read the rows once, when they are attached.
    m_source.setDataSet(&m_schedule);
    DefinePaymentView(m_paymentView);
    DefinePrepaymentView(m_prepaymentView);
    m_paymentView.setDataSource(&m_source);
    m_prepaymentView.setDataSource(&m_source);
    m_paymentView.expandAll();
    m_prepaymentView.expandAll();
}

ScratchSchedule::~ScratchSchedule()
{
    m_paymentView.setDataSource(nullptr);
    m_prepaymentView.setDataSource(nullptr);
    m_schedule.close();
}

} // namespace calvora::report
