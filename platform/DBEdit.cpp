#include "DBEdit.h"

#include "ErrorHandler.h"
#include "FieldLink.h"
#include "Field.h"
#include "Query.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>

namespace calvora::platform {

using store::Field;

// Besides showing the column again, the edit follows whether the column can
// be changed and hands its pending text over when the record is stored.
class DBEdit::Link : public FieldLink
{
public:
    explicit Link(DBEdit &edit) : FieldLink([&edit] { edit.reset(); }), m_edit(edit) {}
    void activeChanged() override
    {
        m_edit.updateReadOnly();
        FieldLink::activeChanged();
    }
    void dataSetChanged() override
    {
        m_edit.updateReadOnly();
        FieldLink::dataSetChanged();
    }
    void editingChanged() override { m_edit.updateReadOnly(); }
    void updateData() override { m_edit.updateRecord(); }

private:
    DBEdit &m_edit;
};

DBEdit::DBEdit(QWidget *parent) : QLineEdit(parent), m_link(std::make_unique<Link>(*this))
{
    connect(this, &QLineEdit::textChanged, this, [this] { guarded([this] { textWasChanged(); }); });
}

DBEdit::~DBEdit() = default;

store::DataSource *DBEdit::dataSource() const { return m_link->dataSource(); }

void DBEdit::setDataSource(store::DataSource *source)
{
    if (dataSource() == source)
        return;
    m_link->setDataSource(source);
    updateReadOnly();
    reset();
}

void DBEdit::setDataField(const QString &name)
{
    m_link->setDataField(name);
    updateReadOnly();
    reset();
}

QString DBEdit::dataField() const { return m_link->dataField(); }

Field *DBEdit::field() const { return m_link->field(); }

void DBEdit::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    updateReadOnly();
}

void DBEdit::updateReadOnly()
{
    const Field *column = field();
    QLineEdit::setReadOnly(m_readOnly || !column || !column->canModify());
    // Setting the length rewrites the text, which would drop the selection.
    if (column && column->type() == store::FieldType::Text && column->size() > 0 && maxLength() != column->size())
        setMaxLength(column->size());
}

bool DBEdit::hasEditFocus() const
{
    const Field *column = field();
    return m_focused && column && column->canModify() && !m_readOnly;
}

QString DBEdit::columnDisplayText(const Field &field) const { return field.displayText(); }

void DBEdit::reset()
{
    const Field *column = field();
    QString text;
    if (column && column->query().isActive())
        text = hasEditFocus() ? column->editText() : columnDisplayText(*column);
    m_loading = true;
    try {
        setText(text);
        columnLoaded();
    } catch (...) {
        m_loading = false;
        m_modified = false;
        throw;
    }
    m_loading = false;
    m_modified = false;
}

void DBEdit::updateRecord()
{
    Field *column = field();
    // A read-only edit only shows its column: whatever its text became, it
    // is never written back.
    if (!m_modified || m_readOnly || !column || !column->query().isEditing())
        return;
    column->setText(text());
    m_modified = false;
}

void DBEdit::textWasChanged() { change(); }

void DBEdit::baseChange()
{
    // A change the person makes while the edit has the focus starts editing
    // the record (typing, pasting, cutting, dropping).
    if (!m_loading && m_focused && dataSource() && !isReadOnly())
        dataSource()->edit();
    m_modified = true;
    emit changed();
}

void DBEdit::change() { baseChange(); }

void DBEdit::keyPress(QChar &key)
{
    Field *column = field();
    const ushort code = key.unicode();
    if (code >= 32 && column && !column->isValidChar(key)) {
        QApplication::beep();
        key = QChar();
        return;
    }
    switch (code) {
    case 0x08: // Backspace
    case 0x16: // Ctrl+V
    case 0x18: // Ctrl+X
        if (dataSource() && !QLineEdit::isReadOnly())
            dataSource()->edit();
        break;
    case 0x1B: // Escape: the column's value back into the text
        reset();
        selectAll();
        key = QChar();
        break;
    default:
        if (code >= 32 && dataSource() && !QLineEdit::isReadOnly())
            dataSource()->edit();
        break;
    }
}

void DBEdit::doEnter() { emit entered(); }

void DBEdit::doExit() { emit exited(); }

namespace {

// The character a key event types, with the control characters of
// Backspace, Enter, Escape and Ctrl+letter; a null character for keys that
// type nothing (arrows, Delete, Home, ...).
QChar typedCharacter(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Backspace:
        return QChar(0x08);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QChar(0x0D);
    case Qt::Key_Escape:
        return QChar(0x1B);
    default:
        break;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (modifiers == Qt::ControlModifier && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z)
        return QChar(event->key() - Qt::Key_A + 1);
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return QChar();
    const QString text = event->text();
    if (text.size() == 1 && text.at(0).unicode() >= 32 && text.at(0).unicode() != 127)
        return text.at(0);
    return QChar();
}

} // namespace

void DBEdit::keyPressEvent(QKeyEvent *event)
{
    const QChar typed = typedCharacter(event);
    if (typed.isNull()) {
        // Delete and Shift+Insert change the text too.
        if (!QLineEdit::isReadOnly() && dataSource() &&
            (event->key() == Qt::Key_Delete ||
             (event->key() == Qt::Key_Insert && event->modifiers() & Qt::ShiftModifier)))
            guarded([this] { dataSource()->edit(); });
        QLineEdit::keyPressEvent(event);
        return;
    }
    QChar key = typed;
    bool failed = true;
    guarded([&] {
        keyPress(key);
        failed = false;
    });
    if (failed || key.isNull()) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void DBEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) {
        if (m_focused)
            return;
    }
    if (m_focused) {
        // The focus comes back after a text the column refused: the person's
        // text stays, selected, so that it can be corrected.
        selectAll();
        return;
    }
    m_focused = true;
    guarded([this] {
        reset();
        doEnter();
    });
    const Qt::FocusReason reason = event->reason();
    if (m_autoSelect && (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                         reason == Qt::ShortcutFocusReason || reason == Qt::OtherFocusReason))
        selectAll();
}

void DBEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // Another window taking the focus (a message box, a menu) is no exit
    // from the edit.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    if (!m_focused)
        return;
    bool failed = true;
    guarded([&] {
        try {
            updateRecord();
        } catch (...) {
            // The column keeps its old value; the person corrects the text.
            selectAll();
            setFocus();
            throw;
        }
        m_focused = false;
        reset();
        failed = false;
    });
    if (failed)
        return;
    guarded([this] { doExit(); });
}

void DBEdit::mouseReleaseEvent(QMouseEvent *event)
{
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        guarded([this] { emit clicked(); });
}

} // namespace calvora::platform
