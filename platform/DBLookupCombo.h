#pragma once

#include "DataSource.h"

#include <QComboBox>

#include <memory>

namespace calvora::store {
class Field;
}

namespace calvora::platform {

class FieldLink;

// A drop-down list bound to one column of a data source whose choices come
// from the rows of another: each row offers the text of its list field and
// stands for the value of its key field. Choosing a row writes its key into
// the column; the box shows the row whose key the column holds, or nothing.
class DBLookupCombo : public QComboBox
{
    Q_OBJECT
    Q_PROPERTY(QString dataSourceName READ dataSourceName WRITE setDataSourceName)
    Q_PROPERTY(QString dataField READ dataField WRITE setDataField)
    Q_PROPERTY(QString listSourceName READ listSourceName WRITE setListSourceName)
    Q_PROPERTY(QString keyField READ keyField WRITE setKeyField)
    Q_PROPERTY(QString listField READ listField WRITE setListField)
    Q_PROPERTY(bool readOnly READ isReadOnly WRITE setReadOnly)

public:
    explicit DBLookupCombo(QWidget *parent = nullptr);
    ~DBLookupCombo() override;

    QString dataSourceName() const { return m_dataSourceName; }
    void setDataSourceName(const QString &name) { m_dataSourceName = name; }
    void setDataSource(store::DataSource *source);
    store::DataSource *dataSource() const;
    QString dataField() const;
    void setDataField(const QString &name);
    store::Field *field() const;

    QString listSourceName() const { return m_listSourceName; }
    void setListSourceName(const QString &name) { m_listSourceName = name; }
    void setListSource(store::DataSource *source);
    QString keyField() const { return m_keyField; }
    void setKeyField(const QString &name) { m_keyField = name; }
    QString listField() const { return m_listField; }
    void setListField(const QString &name) { m_listField = name; }

    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

protected:
    void showPopup() override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    class ListLink;
    void reloadList();
    void reset();
    void choose(int index);

    std::unique_ptr<FieldLink> m_link;
    std::unique_ptr<ListLink> m_listLink;
    QString m_dataSourceName;
    QString m_listSourceName;
    QString m_keyField;
    QString m_listField;
    bool m_readOnly = false;
    bool m_loading = false;
};

} // namespace calvora::platform
