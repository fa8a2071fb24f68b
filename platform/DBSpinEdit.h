#pragma once

#include "DataSource.h"

#include <QAbstractSpinBox>

#include <memory>

namespace calvora::store {
class Field;
}

namespace calvora::platform {

class FieldLink;

// A whole number bound to one column of a data source that changes only by
// stepping: the spin buttons, Up and Down and the mouse wheel step by 1,
// Page Up and Page Down by 10, and a result outside the bounds is set to the
// nearer bound. Typed characters, Backspace and Delete are refused with a
// beep, and so is every step while the edit is read-only. An empty edit
// counts as emptyValue when stepped.
class DBSpinEdit : public QAbstractSpinBox
{
    Q_OBJECT
    Q_PROPERTY(QString dataSourceName READ dataSourceName WRITE setDataSourceName)
    Q_PROPERTY(QString dataField READ dataField WRITE setDataField)
    Q_PROPERTY(bool readOnly READ isReadOnly WRITE setReadOnly)
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int emptyValue READ emptyValue WRITE setEmptyValue)

public:
    explicit DBSpinEdit(QWidget *parent = nullptr);
    ~DBSpinEdit() override;

    QString dataSourceName() const { return m_dataSourceName; }
    void setDataSourceName(const QString &name) { m_dataSourceName = name; }
    void setDataSource(store::DataSource *source);
    store::DataSource *dataSource() const;
    QString dataField() const;
    void setDataField(const QString &name);
    store::Field *field() const;

    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    int minimum() const { return m_minimum; }
    void setMinimum(int value) { m_minimum = value; }
    int maximum() const { return m_maximum; }
    void setMaximum(int value) { m_maximum = value; }
    int emptyValue() const { return m_emptyValue; }
    void setEmptyValue(int value) { m_emptyValue = value; }

    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void reset();

    std::unique_ptr<FieldLink> m_link;
    QString m_dataSourceName;
    bool m_readOnly = false;
    int m_minimum = 1900;
    int m_maximum = 2100;
    int m_emptyValue = 2004;
};

} // namespace calvora::platform
