#include "FieldLink.h"

#include "Field.h"
#include "Query.h"

namespace calvora::platform {

store::Field *FieldLink::field() const
{
    if (!dataSource() || !dataSource()->dataSet() || m_dataField.isEmpty())
        return nullptr;
    return dataSource()->dataSet()->findField(m_dataField);
}

void FieldLink::recordChanged(const store::Field *changed)
{
    if (!changed || changed == field())
        m_reload();
}

} // namespace calvora::platform
