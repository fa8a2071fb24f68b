#pragma once

#include <QString>

#include <functional>

#include <vector>

namespace calvora::store {

class Field;
class Query;

class DataSource;

// A control bound to a query through a data source. The query tells its links
// what changed; a control hands its pending text back in updateData().
class DataLink
{
public:
    DataLink() = default;
    DataLink(const DataLink &) = delete;
    DataLink &operator=(const DataLink &) = delete;
    virtual ~DataLink();

    // Attaches the link to a data source (none: detached), leaving the one it
    // had. A data source that is destroyed first leaves its links detached.
    void setDataSource(DataSource *source);
    DataSource *dataSource() const { return m_source; }

    // Opened or closed.
    virtual void activeChanged() {}
    // The rows were read again, or the controls were attached again: refresh all.
    virtual void dataSetChanged() {}
    // Another row became current.
    virtual void dataSetScrolled() {}
    // A column of the current record received a value (nullptr: the whole record).
    virtual void recordChanged(const Field *field) { (void)field; }
    // The record went into or out of edit or insert state.
    virtual void editingChanged() {}
    // Hand any pending text to the column before the record is stored.
    virtual void updateData() {}

private:
    friend class DataSource;
    DataSource *m_source = nullptr;
};

// Links a query to any number of data-aware controls.
class DataSource
{
public:
    explicit DataSource(QString objectName = {});
    ~DataSource();
    DataSource(const DataSource &) = delete;
    DataSource &operator=(const DataSource &) = delete;

    const QString &objectName() const { return m_objectName; }

    void setDataSet(Query *query);
    Query *dataSet() const { return m_query; }

    // Puts the current record into edit state for a control that starts to
    // change a value (a no-op when it already is).
    void edit();

    // Called by the query: tells every link still linked, also when a link
    // detaches itself while it is told.
    void tellLinks(const std::function<void(DataLink &)> &tell);

private:
    friend class Query;
    friend class DataLink;
    void addLink(DataLink *link);
    void removeLink(DataLink *link);

    QString m_objectName;
    Query *m_query = nullptr;
    std::vector<DataLink *> m_links;
};

} // namespace calvora::store
