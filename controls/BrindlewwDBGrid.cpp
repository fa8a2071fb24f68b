#include "BrindlewwDBGrid.h"

#include "FlagScope.h"

#include "Connection.h"
#include "ErrorHandler.h"
#include "Field.h"
#include "Query.h"
#include "StoreError.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QStyledItemDelegate>

#include <exception>

using calvora::platform::guarded;
using calvora::store::Query;
using calvora::store::StoreError;

namespace Frame {

namespace {

// One ring of a frame, inset from the edge: its top and left lines in one
// colour, its bottom and right lines in another, on the sides given.
void ring(QPainter &p, int w, int h, int inset, const QColor &topLeft, const QColor &bottomRight,
          TSides sides)
{
    const int length = qMax(0, w - 2 * inset), height = qMax(0, h - 2 * inset);
    if (sides & sdTop)
        p.fillRect(inset, inset, length, 1, topLeft);
    if (sides & sdLeft)
        p.fillRect(inset, inset, 1, height, topLeft);
    if (sides & sdBottom)
        p.fillRect(inset, h - 1 - inset, length, 1, bottomRight);
    if (sides & sdRight)
        p.fillRect(w - 1 - inset, inset, 1, height, bottomRight);
}

struct Shades
{
    QColor highlight, light, shadow, darkShadow;
};

Shades shadesOf(const QColor &color)
{
    const QPalette system = QGuiApplication::palette();
    if (color == system.color(QPalette::Active, QPalette::Base))
        return {system.color(QPalette::Light), system.color(QPalette::Midlight), system.color(QPalette::Dark),
                system.color(QPalette::Shadow)};
    return {color.lighter(160), color.lighter(120), color.darker(160), color.darker(300)};
}

} // namespace

void DrawFrame(QPainter &painter, int width, int height, TFrameStyle style, const QColor &color,
               const QColor &frameColor, TSides sides, bool erase)
{
    if (erase) {
        painter.fillRect(0, 0, width, 2, color);
        painter.fillRect(0, height - 2, width, 2, color);
        painter.fillRect(0, 0, 2, height, color);
        painter.fillRect(width - 2, 0, 2, height, color);
    }
    const Shades s = style == fsFlat || style == fsFlatBold || style == fsNone ? Shades{} : shadesOf(color);
    switch (style) {
    case fsNone:
        break;
    case fsFlat:
        ring(painter, width, height, 0, frameColor, frameColor, sides);
        break;
    case fsFlatBold:
        ring(painter, width, height, 0, frameColor, frameColor, sides);
        ring(painter, width, height, 1, frameColor, frameColor, sides);
        break;
    case fsGroove:
        ring(painter, width, height, 0, s.shadow, s.highlight, sides);
        ring(painter, width, height, 1, s.highlight, s.shadow, sides);
        break;
    case fsBump:
        ring(painter, width, height, 0, s.highlight, s.shadow, sides);
        ring(painter, width, height, 1, s.shadow, s.highlight, sides);
        break;
    case fsLowered:
        ring(painter, width, height, 0, s.shadow, s.highlight, sides);
        break;
    case fsButtonDown:
        ring(painter, width, height, 0, s.shadow, s.highlight, sides);
        ring(painter, width, height, 1, s.darkShadow, s.light, sides);
        break;
    case fsRaised:
        ring(painter, width, height, 0, s.highlight, s.shadow, sides);
        break;
    case fsButtonUp:
        ring(painter, width, height, 0, s.light, s.darkShadow, sides);
        ring(painter, width, height, 1, s.highlight, s.shadow, sides);
        break;
    case fsStatus:
        ring(painter, width, height, 1, s.shadow, s.highlight, sides);
        break;
    case fsPopup:
        ring(painter, width, height, 0, s.highlight, s.darkShadow, sides);
        break;
    }
}

} // namespace Frame

namespace {



// The table a query reads, from its SQL text (nullptr: none known).
const calvora::store::TableDef *findTableOf(const Query &query)
{
    static const QRegularExpression from(QStringLiteral("\\bFROM\\s+(\\w+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = from.match(query.sql());
    return match.hasMatch() ? calvora::store::findTable(match.captured(1)) : nullptr;
}

const calvora::store::TableDef &tableOf(const Query &query)
{
    const calvora::store::TableDef *table = findTableOf(query);
    if (!table)
        throw StoreError(
            QStringLiteral("%1: no table is known to delete records from").arg(query.objectName()));
    return *table;
}

// The column that tells a query's records apart (nullptr: none).
const calvora::store::Field *keyFieldOf(const Query &query)
{
    const calvora::store::TableDef *table = findTableOf(query);
    return table ? query.findField(QString::fromLatin1(table->keyColumn)) : nullptr;
}

} // namespace

// The canvas the frame is drawn on: a widget over the whole grid, above its
// cells, titles and scroll bars, that lets every mouse event through and
// paints nothing but the frame.
class TBrindlewwDBGrid::FrameCanvas : public QWidget
{
public:
    explicit FrameCanvas(TBrindlewwDBGrid &grid) : QWidget(&grid), m_grid(grid)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        setGeometry(grid.rect());
        hide();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        m_grid.PaintFrame(painter);
    }

private:
    TBrindlewwDBGrid &m_grid;
};

// Cells show selected records as selected while several can be selected,
// and the grid knows the editor it shows in a cell.
class TBrindlewwDBGrid::CellDelegate : public QStyledItemDelegate
{
public:
    explicit CellDelegate(TBrindlewwDBGrid &grid) : QStyledItemDelegate(&grid), m_grid(grid) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        m_grid.FInplaceEditor = editor;
        return editor;
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if ((m_grid.FOptions & dgMultiSelect) && m_grid.IsRowSelected(index.row()))
            option->state |= QStyle::State_Selected;
    }

private:
    TBrindlewwDBGrid &m_grid;
};

TBrindlewwDBGrid::TBrindlewwDBGrid(QWidget *parent) : DBGrid(parent)
{
    FFrameCanvas = new FrameCanvas(*this);
    setItemDelegate(new CellDelegate(*this));
    setOptions(FOptions);
    // The RowPlus rule follows every re-read of the rows, in the same reset.
    tableModel().setBlankRowsOnRead([this] {
        const Query *q = tableModel().query();
        if (!FRowPlus || !q || q->state() != Query::State::Browse)
            return 0;
        return q->recordCount() + 2 - TitleRows() - tableModel().recordRows();
    });
    // Selected records are those of one query: another query's records are
    // not selected.
    connect(&tableModel(), &QAbstractItemModel::modelReset, this, [this] {
        Query *q = tableModel().query();
        if (q && q != FSelectionQuery) {
            FSelected.clear();
            FSelectionQuery = q;
        }
    });
}

TBrindlewwDBGrid::~TBrindlewwDBGrid()
{
    if (FFrameController)
        FFrameController->RemoveControl(this);
}

// ---- the frame ----

void TBrindlewwDBGrid::setFrameController(IFrameController *controller)
{
    if (FFrameController && FFrameController != controller)
        FFrameController->RemoveControl(this);
    FFrameController = controller;
    if (controller) {
        controller->AddControl(this);
        FFrameColor = controller->FrameColor();
        FFrameStyle = controller->FrameStyle();
        FFrameSides = controller->FrameSides();
    }
}

void TBrindlewwDBGrid::setFrameColor(const QColor &color)
{
    if (color == FFrameColor)
        return;
    FFrameColor = color;
    RepaintFrame();
}

void TBrindlewwDBGrid::setFrameFlatStyle(Frame::TFrameStyle style)
{
    if (style == FFrameFlatStyle)
        return;
    FFrameFlatStyle = style;
    RepaintFrame();
}

void TBrindlewwDBGrid::setFrameFocusStyle(Frame::TFrameStyle style)
{
    if (style == FFrameFocusStyle)
        return;
    FFrameFocusStyle = style;
    RepaintFrame();
}

void TBrindlewwDBGrid::setFrameSides(Frame::TSides sides)
{
    if (sides == FFrameSides)
        return;
    FFrameSides = sides;
    RepaintFrame();
}

void TBrindlewwDBGrid::setFrameStyle(Frame::TFrameStyle style)
{
    if (style == FFrameStyle)
        return;
    FFrameStyle = style;
    RepaintFrame();
}

void TBrindlewwDBGrid::setFrameVisible(bool visible)
{
    if (visible == FFrameVisible)
        return;
    FFrameVisible = visible;
    // The canvas shows or hides with the next painting.
    FFrameCanvas->setVisible(visible);
    if (visible)
        FFrameCanvas->raise();
}

void TBrindlewwDBGrid::setFrameFlat(bool flat)
{
    if (flat == FFrameFlat)
        return;
    FFrameFlat = flat;
    if (flat) {
        setFrameVisible(true);
        if (!FLoading) {
            FFrameSides = Frame::AllSides;
            FFrameStyle = FFrameFlatStyle;
        }
    }
    RepaintFrame();
    update();
    viewport()->update();
}

void TBrindlewwDBGrid::RepaintFrame()
{
    ApplyRowPlus();
    if (FFrameVisible && FFrameCanvas->isVisible())
        FFrameCanvas->repaint();
}

void TBrindlewwDBGrid::PaintFrame(QPainter &painter)
{
    if (!FFrameVisible)
        return;
    Frame::DrawFrame(painter, width(), height(), FFrameStyle, Color(), FFrameColor, FFrameSides, true);
}

void TBrindlewwDBGrid::UpdateFrameState(bool viaMouse, bool over)
{
    if (viaMouse)
        FMouseOver = over;
    if (!FFrameFlat)
        return;
    FFrameStyle = hasFocus() || FMouseOver ? FFrameFocusStyle : FFrameFlatStyle;
    RepaintFrame();
}

void TBrindlewwDBGrid::resizeEvent(QResizeEvent *event)
{
    DBGrid::resizeEvent(event);
    FFrameCanvas->setGeometry(rect());
    FFrameCanvas->raise();
}

// ---- the mouse and the focus ----

void TBrindlewwDBGrid::DoMouseEnter()
{
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TBrindlewwDBGrid::DoMouseLeave()
{
    if (OnMouseLeave)
        OnMouseLeave(this);
}

QWidget *TBrindlewwDBGrid::InplaceEditor() const
{
    return FInplaceEditor && FInplaceEditor->isVisible() ? FInplaceEditor.data() : nullptr;
}

bool TBrindlewwDBGrid::EditorHoldsFocus() const
{
    const QWidget *editor = InplaceEditor();
    if (!editor)
        return false;
    const QWidget *focused = QApplication::focusWidget();
    return focused && (focused == editor || editor->isAncestorOf(focused));
}

void TBrindlewwDBGrid::enterEvent(QEnterEvent *event)
{
    DBGrid::enterEvent(event);
    guarded([this] {
        if (EditorHoldsFocus())
            return;
        UpdateFrameState(true, true);
        DoMouseEnter();
    });
}

void TBrindlewwDBGrid::leaveEvent(QEvent *event)
{
    DBGrid::leaveEvent(event);
    guarded([this] {
        if (EditorHoldsFocus())
            return;
        UpdateFrameState(true, false);
        DoMouseLeave();
    });
}

void TBrindlewwDBGrid::focusOutEvent(QFocusEvent *event)
{
    DBGrid::focusOutEvent(event);
    guarded([this] {
        if (EditorHoldsFocus())
            return;
        UpdateFrameState(true, false);
        DoMouseLeave();
    });
}

// ---- the grid underneath ----

void TBrindlewwDBGrid::setOptions(TGridOptions options)
{
    const bool editingEnds = (FOptions & dgEditing) && !(options & dgEditing);
    FOptions = options;
    EditTriggers triggers = NoEditTriggers;
    if (options & dgEditing) {
        triggers = DoubleClicked | EditKeyPressed | AnyKeyPressed;
        if (options & dgAlwaysShowEditor)
            triggers |= CurrentChanged | SelectedClicked;
    }
    setEditTriggers(triggers);
    setSelectionBehavior(options & dgRowSelect ? SelectRows : SelectItems);
    if (editingEnds) {
        if (QWidget *editor = InplaceEditor()) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }
    viewport()->update();
}

QColor TBrindlewwDBGrid::Color() const
{
    return palette().color(QPalette::Base);
}

void TBrindlewwDBGrid::setColor(const QColor &color)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Base, color);
    setPalette(colours);
}

bool TBrindlewwDBGrid::ShowVertScrollBar() const
{
    return verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff;
}

void TBrindlewwDBGrid::setShowVertScrollBar(bool show)
{
    setVerticalScrollBarPolicy(show ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

int TBrindlewwDBGrid::TitleRows() const
{
    return horizontalHeader()->isHidden() ? 0 : 1;
}

int TBrindlewwDBGrid::RowCount() const
{
    return TitleRows() + tableModel().rowCount();
}

void TBrindlewwDBGrid::setRowCount(int rows)
{
    calvora::platform::QueryTableModel &model = tableModel();
    model.setBlankRows(rows - TitleRows() - model.recordRows());
}

int TBrindlewwDBGrid::VisibleDataRowCount() const
{
    const int rowHeight = verticalHeader()->defaultSectionSize();
    return rowHeight > 0 ? viewport()->height() / rowHeight : 0;
}

int TBrindlewwDBGrid::CurrentDataRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TBrindlewwDBGrid::MoveToDataRow(int row)
{
    Query *q = tableModel().query();
    if (!q || row < 0 || row >= tableModel().recordRows() || row >= q->viewRowCount())
        throw StoreError(QStringLiteral("There is no record at row %1 of the list.").arg(row + 1));
    q->moveTo(row);
    if (q->currentRow() != row)
        throw StoreError(
            QStringLiteral("The record at row %1 of the list could not be made current.").arg(row + 1));
    const calvora::platform::FlagScope moving(FMovingRows);
    setCurrentIndex(tableModel().index(row, qMax(0, currentIndex().column())));
}

bool TBrindlewwDBGrid::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    if (FMovingRows)
        return false;
    return DBGrid::edit(index, trigger, event);
}

// ---- selected records ----

QVariant TBrindlewwDBGrid::RecordKey(int dataRow) const
{
    const Query *q = tableModel().query();
    if (!q || !q->isActive() || dataRow < 0 || dataRow >= q->viewRowCount())
        return {};
    const calvora::store::Field *key = keyFieldOf(*q);
    return key ? q->viewValue(dataRow, key->index()) : QVariant();
}

QVariant TBrindlewwDBGrid::CurrentKey() const
{
    const Query *q = tableModel().query();
    return q ? RecordKey(q->currentRow()) : QVariant();
}

bool TBrindlewwDBGrid::IsRowSelected(int dataRow) const
{
    if (FSelected.isEmpty() || dataRow >= tableModel().recordRows())
        return false;
    const QVariant key = RecordKey(dataRow);
    return key.isValid() && FSelected.contains(key);
}

void TBrindlewwDBGrid::SelectRecord()
{
    const QVariant key = CurrentKey();
    if (key.isValid() && !FSelected.contains(key))
        FSelected << key;
    viewport()->update();
}

void TBrindlewwDBGrid::UnselectRecord()
{
    FSelected.removeAll(CurrentKey());
    viewport()->update();
}

void TBrindlewwDBGrid::UnselectAll()
{
    FSelected.clear();
    viewport()->update();
}

bool TBrindlewwDBGrid::IsSelectedRecord() const
{
    const QVariant key = CurrentKey();
    return key.isValid() && FSelected.contains(key);
}

QList<int> TBrindlewwDBGrid::SelectedRows() const
{
    QList<int> rows;
    for (int row = 0; row < tableModel().recordRows(); ++row) {
        if (IsRowSelected(row))
            rows << row;
    }
    return rows;
}

// ---- SuperSelect and RowPlus ----

void TBrindlewwDBGrid::setSuperSelect(bool on)
{
    if (on == FSuperSelect)
        return;
    FSuperSelect = on;
    if (!on) {
        setOptions((FOptions & ~TGridOptions(dgRowSelect | dgMultiSelect)) | dgEditing | dgAlwaysShowEditor);
        UnselectAll();
    }
}

void TBrindlewwDBGrid::setRowPlus(bool on)
{
    FRowPlus = on;
    // The rule is applied with the next painting.
    viewport()->update();
}

void TBrindlewwDBGrid::ApplyRowPlus()
{
    if (!FRowPlus)
        return;
    const Query *q = tableModel().query();
    if (q && q->state() == Query::State::Browse)
        setRowCount(q->recordCount() + 2);
}

void TBrindlewwDBGrid::ApplyRowPlusLater()
{
    if (!FRowPlus || FRowPlusQueued)
        return;
    FRowPlusQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            FRowPlusQueued = false;
            guarded([this] { ApplyRowPlus(); });
        },
        Qt::QueuedConnection);
}

void TBrindlewwDBGrid::ApplyScrollBarRule()
{
    const Query *q = tableModel().query();
    if (!q || !q->isActive())
        return;
    const int records = q->recordCount();
    const int visible = VisibleDataRowCount();
    if (records <= visible && ShowVertScrollBar())
        setShowVertScrollBar(false);
    else if (records > visible && !ShowVertScrollBar())
        setShowVertScrollBar(true);
}

void TBrindlewwDBGrid::paintEvent(QPaintEvent *event)
{
    guarded([this] { ApplyScrollBarRule(); });
    DBGrid::paintEvent(event);
    // The row count follows the records after every painting; the rows
    // change once this painting is done.
    const Query *q = tableModel().query();
    if (FRowPlus && q && q->state() == Query::State::Browse && RowCount() != q->recordCount() + 2)
        ApplyRowPlusLater();
}

void TBrindlewwDBGrid::mousePressEvent(QMouseEvent *event)
{
    DBGrid::mousePressEvent(event);
    guarded([&] { MouseDown(event->button(), event->modifiers(), event->position().toPoint()); });
}

void TBrindlewwDBGrid::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint &at)
{
    if (!FSuperSelect || button != Qt::LeftButton)
        return;
    const QModelIndex cell = indexAt(at);
    const int column = cell.isValid() ? cell.column() : -1;
    const int row = cell.isValid() ? cell.row() + TitleRows() : -1;

    if (column == 0) {
        setOptions((FOptions | dgRowSelect | dgMultiSelect) & ~TGridOptions(dgEditing | dgAlwaysShowEditor));
        if (IsSelectedRecord())
            UnselectRecord();
        else
            SelectRecord();
    } else if (FOptions & dgRowSelect) {
        setOptions((FOptions & ~TGridOptions(dgRowSelect | dgMultiSelect)) | dgEditing | dgAlwaysShowEditor);
        UnselectAll();
    }

    Query *q = tableModel().query();
    if (row + 1 == RowCount() && !(q && q->state() == Query::State::Insert)) {
        // Handled exactly as the Down-arrow key pressed by the person.
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QCoreApplication::sendEvent(this, &down);
    }

    if ((shift & Qt::ShiftModifier) && q && CurrentDataRow() >= 0) {
        const Query::DisabledControls disabled(*q);
        const int current = CurrentDataRow();
        const int from = qMin(FAnchorRow, current), to = qMax(FAnchorRow, current);
        for (int i = from; i <= to; ++i) {
            MoveToDataRow(i);
            SelectRecord();
        }
    }
    FAnchorRow = CurrentDataRow();
    ApplyRowPlus();
}

void TBrindlewwDBGrid::keyPressEvent(QKeyEvent *event)
{
    DBGrid::keyPressEvent(event);
    if (FSuperSelect && event->key() == Qt::Key_Delete && (FOptions & dgRowSelect))
        event->accept();
    guarded([&] { KeyDown(event->key()); });
}

void TBrindlewwDBGrid::KeyDown(int key)
{
    if (!FSuperSelect || key != Qt::Key_Delete || !(FOptions & dgRowSelect))
        return;
    QMessageBox question(QMessageBox::NoIcon, QStringLiteral("Confirm"), QStringLiteral("Delete records?"),
                         QMessageBox::Ok | QMessageBox::Cancel, this);
    if (calvora::platform::execModal(question) != QMessageBox::Ok)
        return;
    DeleteSelectedRecords();
    ApplyRowPlus();
}

void TBrindlewwDBGrid::DeleteSelectedRecords()
{
    Query *q = tableModel().query();
    if (!q || !q->isActive())
        return;
    // A pending change is stored (or an untouched new record dropped) first,
    // so that the rows are the stored ones.
    q->completeEdit();
    const Query::DisabledControls disabled(*q);
    int lowestDeleted = -1;
    std::exception_ptr failure;
    try {
        // From the last record to the first, so that the rows still to be
        // visited keep their positions.
        for (int i = q->recordCount() - 1; i >= 0; --i) {
            MoveToDataRow(i);
            if (IsSelectedRecord()) {
                const QVariant key = CurrentKey();
                DeleteCurrentRecord();
                FSelected.removeAll(key);
                lowestDeleted = i;
            }
        }
    } catch (...) {
        failure = std::current_exception();
    }
    if (lowestDeleted >= 0) {
        // The deleted records leave the rows; the record after the last one
        // deleted becomes current.
        q->requery();
        if (q->recordCount() > 0)
            q->moveTo(qMin(lowestDeleted, q->recordCount() - 1));
    }
    if (failure)
        std::rethrow_exception(failure);
}

void TBrindlewwDBGrid::DeleteCurrentRecord()
{
    Query *q = tableModel().query();
    const calvora::store::TableDef &table = tableOf(*q);
    const QString tableName = QString::fromLatin1(table.name);
    const QString keyColumn = QString::fromLatin1(table.keyColumn);
    const QVariant key = CurrentKey();
    if (!key.isValid())
        throw StoreError(QStringLiteral("The %1 is not stored, so it cannot be deleted.")
                             .arg(QString::fromLatin1(table.rowNoun)));
    calvora::store::Connection &connection = q->connection();
    const calvora::store::ConnectionUse use(connection);
    QSqlQuery statement(connection.database());
    if (!statement.prepare(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(tableName, keyColumn)))
        throw connection.failure(
            QStringLiteral("Could not delete the %1").arg(QString::fromLatin1(table.rowNoun)),
            statement.lastError());
    statement.addBindValue(key);
    if (!statement.exec())
        throw connection.failure(
            QStringLiteral("Could not delete the %1").arg(QString::fromLatin1(table.rowNoun)),
            statement.lastError());
}
