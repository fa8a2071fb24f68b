#pragma once

#include "DataSource.h"

#include <QString>

#include <functional>

namespace calvora::store {
class Field;
}

namespace calvora::platform {

// Ties a data-aware control to one column of a data source: whenever the
// rows, the current record or that column change, the control shows the
// column again.
class FieldLink : public store::DataLink
{
public:
    explicit FieldLink(std::function<void()> reload) : m_reload(std::move(reload)) {}

    const QString &dataField() const { return m_dataField; }
    void setDataField(const QString &name) { m_dataField = name; }
    // The column of the data source's query by that name (nullptr: none).
    store::Field *field() const;

    void activeChanged() override { m_reload(); }
    void dataSetChanged() override { m_reload(); }
    void dataSetScrolled() override { m_reload(); }
    void recordChanged(const store::Field *changed) override;

private:
    std::function<void()> m_reload;
    QString m_dataField;
};

} // namespace calvora::platform
