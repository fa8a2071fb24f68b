#include "DataSource.h"

#include "Query.h"

#include <algorithm>

namespace calvora::store {

DataLink::~DataLink() { setDataSource(nullptr); }

void DataLink::setDataSource(DataSource *source)
{
    if (m_source == source)
        return;
    if (m_source)
        m_source->removeLink(this);
    m_source = source;
    if (m_source)
        m_source->addLink(this);
}

DataSource::DataSource(QString objectName) : m_objectName(std::move(objectName)) {}

DataSource::~DataSource()
{
    if (m_query)
        m_query->removeDataSource(this);
    // Controls may outlive their data source (a form's children are deleted
    // after its members): they are left detached.
    for (DataLink *link : m_links)
        link->m_source = nullptr;
}

void DataSource::setDataSet(Query *query)
{
    if (m_query == query)
        return;
    if (m_query)
        m_query->removeDataSource(this);
    m_query = query;
    if (m_query)
        m_query->addDataSource(this);
    tellLinks([](DataLink &link) {
        link.activeChanged();
        link.dataSetChanged();
    });
}

void DataSource::addLink(DataLink *link)
{
    if (std::find(m_links.begin(), m_links.end(), link) == m_links.end())
        m_links.push_back(link);
}

void DataSource::removeLink(DataLink *link) { std::erase(m_links, link); }

void DataSource::edit()
{
    if (m_query && m_query->isActive() && !m_query->isEditing())
        m_query->edit();
}

void DataSource::tellLinks(const std::function<void(DataLink &)> &tell)
{
    const std::vector<DataLink *> links = m_links;
    for (DataLink *link : links) {
        if (std::find(m_links.begin(), m_links.end(), link) != m_links.end())
            tell(*link);
    }
}

} // namespace calvora::store
