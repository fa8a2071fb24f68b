#include "GroupedTableView.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace calvora::platform {

// The footer line: one cell under each shown column with its footer text.
class GroupedTableView::Footer : public QWidget
{
public:
    explicit Footer(GroupedTableView &view) : QWidget(&view), m_view(view)
    {
        setObjectName(QStringLiteral("footer"));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), m_view.m_styles.footer);
        painter.setPen(m_view.m_styles.gridLine);
        painter.drawLine(0, 0, width(), 0);
        GroupedTableModel *model = m_view.m_model;
        if (!model)
            return;
        const QHeaderView *header = m_view.header();
        painter.setPen(m_view.m_styles.footerText);
        const QFontMetrics metrics = painter.fontMetrics();
        // The shown columns in order, each with its footer text.
        struct Cell
        {
            QRect rect;
            QString text;
        };
        std::vector<Cell> cells;
        for (int column = 0; column < model->columnCountTotal(); ++column) {
            if (header->isSectionHidden(column))
                continue;
            const int x = header->sectionViewportPosition(column);
            cells.push_back({QRect(x + 2, 1, header->sectionSize(column) - 4, height() - 2), model->footerText(column)});
        }
        // The space a cell's text leaves free on its left, where a
        // neighbour's longer text may run.
        auto freeSpace = [&](const Cell &c) { return c.rect.width() - (c.text.isEmpty() ? -4 : metrics.horizontalAdvance(c.text) + 6); };
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (cells[i].text.isEmpty())
                continue;
            QRect area = cells[i].rect;
            const int wanted = metrics.horizontalAdvance(cells[i].text);
            if (wanted > area.width() && i + 1 < cells.size())
                area.setRight(area.right() + std::max(0, freeSpace(cells[i + 1])));
            if (wanted > area.width() && i > 0)
                area.setLeft(area.left() - std::max(0, std::min(freeSpace(cells[i - 1]), wanted - area.width())));
            painter.drawText(area, int(Qt::AlignRight | Qt::AlignVCenter) | Qt::TextSingleLine,
                             metrics.elidedText(cells[i].text, Qt::ElideRight, area.width()));
        }
    }

private:
    GroupedTableView &m_view;
};

GroupedTableView::GroupedTableView(QWidget *parent) : QTreeView(parent), m_footer(new Footer(*this))
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::ClickFocus);
    setIndentation(14);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header()->setMinimumSectionSize(8);
    setStyles({QColor(0xE3, 0xE8, 0xDA), QColor(0xEE, 0xF1, 0xE7), QColor(0xD7, 0xDF, 0xC8), QColor(Qt::black),
               QColor(0x00, 0x66, 0xCC), QColor(Qt::white), QColor(0xC6, 0xCE, 0xB6)});

    // The person opening or closing a group tells the model.
    auto follow = [this](const QModelIndex &index, bool expanded) {
        if (m_syncing || !m_model)
            return;
        m_model->setExpanded(m_model->groupOf(index), expanded);
    };
    connect(this, &QTreeView::expanded, this, [follow](const QModelIndex &index) { follow(index, true); });
    connect(this, &QTreeView::collapsed, this, [follow](const QModelIndex &index) { follow(index, false); });
    connect(header(), &QHeaderView::sectionResized, m_footer, qOverload<>(&QWidget::update));
}

GroupedTableView::~GroupedTableView() = default;

QWidget *GroupedTableView::footerWidget() const { return m_footer; }

void GroupedTableView::setGroupedModel(GroupedTableModel *model)
{
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    setModel(model);
    if (!model)
        return;
    connect(model, &QAbstractItemModel::modelReset, this, &GroupedTableView::followModel);
    connect(model, &GroupedTableModel::expansionChanged, this, &GroupedTableView::followExpansion);
    followModel();
}

void GroupedTableView::setStyles(const Styles &styles)
{
    m_styles = styles;
    QPalette p = palette();
    p.setColor(QPalette::Active, QPalette::Highlight, m_invertSelect ? styles.selection : QColor(Qt::transparent));
    p.setColor(QPalette::Active, QPalette::HighlightedText,
               m_invertSelect ? styles.selectionText : p.color(QPalette::Text));
    // No selection is painted while the grid does not have the focus.
    p.setColor(QPalette::Inactive, QPalette::Highlight, QColor(Qt::transparent));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Text));
    setPalette(p);
    header()->setStyleSheet(QStringLiteral("QHeaderView::section { background-color: %1; border: none; "
                                           "border-right: 1px solid %2; border-bottom: 1px solid %2; "
                                           "padding-left: 3px; }")
                                .arg(styles.header.name(), styles.gridLine.name()));
    m_footer->update();
    viewport()->update();
}

void GroupedTableView::setInvertSelect(bool on)
{
    m_invertSelect = on;
    setStyles(m_styles);
}

void GroupedTableView::setColumnSizing(bool on)
{
    header()->setSectionResizeMode(on ? QHeaderView::Interactive : QHeaderView::Fixed);
}

void GroupedTableView::followModel()
{
    applyColumns();
    setRootIsDecorated(m_model && m_model->isGrouped());
    followExpansion();
    m_footer->update();
}

void GroupedTableView::followExpansion()
{
    if (!m_model)
        return;
    m_syncing = true;
    for (int group = 0; group < m_model->groupCount(); ++group) {
        const QModelIndex index = m_model->groupIndex(group);
        if (isExpanded(index) != m_model->isExpanded(group))
            setExpanded(index, m_model->isExpanded(group));
    }
    m_syncing = false;
}

void GroupedTableView::applyColumns()
{
    if (!m_model)
        return;
    for (int column = 0; column < m_model->columnCountTotal(); ++column)
        header()->setSectionHidden(column, !m_model->column(column).visible);
    scaleColumns();
}

void GroupedTableView::scaleColumns()
{
    if (!m_model)
        return;
    int designed = 0;
    for (int column = 0; column < m_model->columnCountTotal(); ++column) {
        if (m_model->column(column).visible)
            designed += std::max(m_model->column(column).width, m_model->column(column).minWidth);
    }
    const int available = viewport()->width();
    if (designed <= 0 || available <= 0)
        return;
    int used = 0;
    int last = -1;
    for (int column = 0; column < m_model->columnCountTotal(); ++column) {
        const GroupedTableModel::Column &c = m_model->column(column);
        if (!c.visible)
            continue;
        const int width = std::max(c.width, c.minWidth) * available / designed;
        header()->resizeSection(column, std::max(width, c.minWidth));
        used += header()->sectionSize(column);
        last = column;
    }
    // The last column takes what rounding left over.
    if (last >= 0 && used < available)
        header()->resizeSection(last, header()->sectionSize(last) + available - used);
}

void GroupedTableView::resizeEvent(QResizeEvent *event)
{
    QTreeView::resizeEvent(event);
    scaleColumns();
}

void GroupedTableView::updateGeometries()
{
    // The tree reserves the top margin for the header; the bottom one is the
    // footer line's.
    QTreeView::updateGeometries();
    const int footerHeight = fontMetrics().height() + 6;
    const QMargins margins = viewportMargins();
    if (margins.bottom() != footerHeight)
        setViewportMargins(margins.left(), margins.top(), margins.right(), footerHeight);
    const QRect area = viewport()->geometry();
    m_footer->setGeometry(area.left(), area.bottom() + 1, area.width(), footerHeight);
}

int GroupedTableView::groupRowAt(const QPoint &point) const
{
    const QModelIndex index = indexAt(point);
    if (!m_model || !index.isValid() || m_model->kindOf(index) != GroupedTableModel::RowKind::Group)
        return -1;
    return m_model->groupOf(index);
}

// A group row's open/close button is drawn at the row's left edge, whatever
// column comes first (the tree's own button belongs to the first column,
// which may be hidden), so the grid answers the clicks on it itself: a click
// on the button or a double click anywhere on the row opens or closes it.
void GroupedTableView::mousePressEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    const int group = groupRowAt(at);
    if (group >= 0 && event->button() == Qt::LeftButton && at.x() < indentation()) {
        m_model->setExpanded(group, !m_model->isExpanded(group));
        event->accept();
        return;
    }
    QTreeView::mousePressEvent(event);
}

void GroupedTableView::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    const int group = groupRowAt(at);
    if (group >= 0 && event->button() == Qt::LeftButton) {
        // On the button the press has opened or closed it already.
        if (at.x() >= indentation())
            m_model->setExpanded(group, !m_model->isExpanded(group));
        event->accept();
        return;
    }
    QTreeView::mouseDoubleClickEvent(event);
}

void GroupedTableView::drawRow(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto kind = GroupedTableModel::RowKind(index.data(GroupedTableModel::RowKindRole).toInt());
    painter->save();
    if (kind == GroupedTableModel::RowKind::Group) {
        // A group row spans the grid: its open/close button, then its text.
        painter->fillRect(option.rect, m_styles.header);
        const QRect button(option.rect.left(), option.rect.top(), indentation(), option.rect.height());
        drawBranches(painter, button, index);
        painter->setPen(palette().color(QPalette::Text));
        const QRect textRect = option.rect.adjusted(indentation() + 2, 0, -2, 0);
        painter->drawText(textRect, int(Qt::AlignLeft | Qt::AlignVCenter) | Qt::TextSingleLine,
                          painter->fontMetrics().elidedText(index.data().toString(), Qt::ElideRight,
                                                            textRect.width()));
        painter->setPen(m_styles.gridLine);
        painter->drawLine(option.rect.left(), option.rect.bottom(), option.rect.right(), option.rect.bottom());
        painter->restore();
        return;
    }
    if (kind == GroupedTableModel::RowKind::GroupFooter)
        painter->fillRect(option.rect, m_styles.footer);
    else if (index.row() % 2 == 1)
        painter->fillRect(option.rect, m_styles.contentEven);
    painter->restore();
    QTreeView::drawRow(painter, option, index);

    // Grid lines under the row and between its cells.
    painter->save();
    painter->setPen(m_styles.gridLine);
    painter->drawLine(option.rect.left(), option.rect.bottom(), option.rect.right(), option.rect.bottom());
    for (int column = 0; column < header()->count(); ++column) {
        if (header()->isSectionHidden(column))
            continue;
        const int x = header()->sectionViewportPosition(column) + header()->sectionSize(column) - 1;
        painter->drawLine(x, option.rect.top(), x, option.rect.bottom());
    }
    painter->restore();
}
} // namespace calvora::platform
