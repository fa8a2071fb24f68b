#include "DBLookupCombo.h"

#include "ErrorHandler.h"
#include "FieldLink.h"
#include "Field.h"
#include "Query.h"

#include <QKeyEvent>

namespace calvora::platform {


class DBLookupCombo::ListLink : public store::DataLink
{
public:
    explicit ListLink(DBLookupCombo &box) : m_box(box) {}
    void activeChanged() override { m_box.reloadList(); }
    void dataSetChanged() override { m_box.reloadList(); }

private:
    DBLookupCombo &m_box;
};

DBLookupCombo::DBLookupCombo(QWidget *parent)
    : QComboBox(parent), m_link(std::make_unique<FieldLink>([this] { reset(); })), m_listLink(std::make_unique<ListLink>(*this))
{
    connect(this, &QComboBox::activated, this, [this](int index) { guarded([this, index] { choose(index); }); });
}

DBLookupCombo::~DBLookupCombo() = default;

store::DataSource *DBLookupCombo::dataSource() const { return m_link->dataSource(); }

void DBLookupCombo::setDataSource(store::DataSource *source)
{
    m_link->setDataSource(source);
    reset();
}

void DBLookupCombo::setListSource(store::DataSource *source)
{
    m_listLink->setDataSource(source);
    reloadList();
}

QString DBLookupCombo::dataField() const { return m_link->dataField(); }

void DBLookupCombo::setDataField(const QString &name)
{
    m_link->setDataField(name);
    reset();
}

store::Field *DBLookupCombo::field() const { return m_link->field(); }

void DBLookupCombo::reloadList()
{
    m_loading = true;
    clear();
    const store::DataSource *source = m_listLink->dataSource();
    const store::Query *list = source ? source->dataSet() : nullptr;
    if (list && list->isActive()) {
        for (store::Query::Cursor row = list->cursor(); !row.eof(); row.next())
            addItem(row.value(m_listField).toString(), row.value(m_keyField));
    }
    m_loading = false;
    reset();
}

void DBLookupCombo::reset()
{
    const store::Field *column = field();
    int chosen = -1;
    // A value that does not fit its column matches no row.
    if (column && column->query().isActive() && !column->isNull() && !column->isForeign()) {
        for (int i = 0; i < count() && chosen < 0; ++i) {
            if (itemData(i).toLongLong() == column->asInteger())
                chosen = i;
        }
    }
    m_loading = true;
    setCurrentIndex(chosen);
    m_loading = false;
}

void DBLookupCombo::choose(int index)
{
    store::Field *column = field();
    if (m_loading || m_readOnly || !column || index < 0)
        return;
    const qint64 key = itemData(index).toLongLong();
    if (!column->isNull() && column->asInteger() == key)
        return;
    dataSource()->edit();
    column->setInteger(key);
}

void DBLookupCombo::showPopup()
{
    if (!m_readOnly)
        QComboBox::showPopup();
}

void DBLookupCombo::keyPressEvent(QKeyEvent *event)
{
    if (m_readOnly) {
        event->ignore();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void DBLookupCombo::wheelEvent(QWheelEvent *event)
{
    if (m_readOnly) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

} // namespace calvora::platform
