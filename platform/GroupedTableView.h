#pragma once

#include "GroupedTableModel.h"

#include <QColor>
#include <QTreeView>

namespace calvora::platform {

// The read-only grid of a GroupedTableModel: group rows spanning the grid
// with their open/close button, group footers, and a footer line under the
// rows aligned with the columns. The model holds the grouping and which
// groups are open; the grid only draws it and hands the person's clicks on
// the open/close buttons to the model. Shown columns are scaled to fill the
// grid's width, never below their minimum widths.
class GroupedTableView : public QTreeView
{
    Q_OBJECT

public:
    struct Styles
    {
        QColor contentEven;      // every other data row
        QColor header;           // column headers and group rows
        QColor footer;           // footer and group footers
        QColor footerText;
        QColor selection;
        QColor selectionText;
        QColor gridLine;
    };

    explicit GroupedTableView(QWidget *parent = nullptr);
    ~GroupedTableView() override;

    void setGroupedModel(GroupedTableModel *model);
    GroupedTableModel *groupedModel() const { return m_model; }

    void setStyles(const Styles &styles);
    // Whether the selected row is painted in the selection colours.
    void setInvertSelect(bool on);
    // Whether the person may change column widths.
    void setColumnSizing(bool on);

    // The footer line's text under a column, as shown.
    QWidget *footerWidget() const;

protected:
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void resizeEvent(QResizeEvent *event) override;
    void updateGeometries() override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    class Footer;
    void followModel();
    void followExpansion();
    void applyColumns();
    void scaleColumns();
    // The group of the group row at a point of the rows (-1: none).
    int groupRowAt(const QPoint &point) const;

    GroupedTableModel *m_model = nullptr;
    Footer *m_footer = nullptr;
    Styles m_styles;
    bool m_invertSelect = true;
    bool m_syncing = false;
};

} // namespace calvora::platform
