#include "DBEdit.h"

#include "ErrorHandler.h"
#include "FieldLink.h"
#include "Field.h"
#include "Query.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>

#include <string>

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

namespace {

// Whether a column takes a typed character. The column judges one UTF-16 unit
// at a time, so a character beyond the basic plane is taken when both of its
// halves are: a text column takes it, a number column never does.
bool columnTakes(const Field &column, char32_t c)
{
    if (QChar::requiresSurrogates(c))
        return column.isValidChar(QChar(QChar::highSurrogate(c))) &&
               column.isValidChar(QChar(QChar::lowSurrogate(c)));
    return column.isValidChar(QChar(char16_t(c)));
}

} // namespace

void DBEdit::keyPress(char32_t &key)
{
    Field *column = field();
    if (key >= 32 && column && !columnTakes(*column, key)) {
        QApplication::beep();
        key = 0;
        return;
    }
    switch (key) {
    case 0x08: // Backspace
    case 0x16: // Ctrl+V
    case 0x18: // Ctrl+X
        if (dataSource() && !QLineEdit::isReadOnly())
            dataSource()->edit();
        break;
    case 0x1B: // Escape: the column's value back into the text
        reset();
        selectAll();
        key = 0;
        break;
    default:
        if (key >= 32 && dataSource() && !QLineEdit::isReadOnly())
            dataSource()->edit();
        break;
    }
}

void DBEdit::doEnter() { emit entered(); }

void DBEdit::doExit() { emit exited(); }

namespace {

// Whether the line edit inserts the text of a key event: a text that begins
// with a formatting character (a joiner, a direction mark) whatever is held;
// else, unless Ctrl alone (or with Shift) is held, a text that begins with a
// printable or private-use character or a character beyond the basic plane.
// Alt, AltGr (Ctrl+Alt) and Meta do not keep a text from being inserted.
bool insertsText(const QKeyEvent *event)
{
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    if (first.category() == QChar::Other_Format)
        return true;
    if (event->modifiers() == Qt::ControlModifier ||
        event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier))
        return false;
    return first.isPrint() || first.category() == QChar::Other_PrivateUse ||
           (first.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate());
}

// The characters a key event types: the control character of Backspace,
// Enter, Escape and Ctrl+letter; the characters of the text the line edit
// would insert, a surrogate pair being one character; nothing for keys that
// insert no text (arrows, Delete, Home, Ctrl+Left, ...).
std::u32string typedCharacters(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Backspace:
        return U"\x08";
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return U"\x0D";
    case Qt::Key_Escape:
        return U"\x1B";
    default:
        break;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (modifiers == Qt::ControlModifier && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z)
        return std::u32string(1, char32_t(event->key() - Qt::Key_A + 1));
    if (!insertsText(event))
        return {};
    const QString text = event->text();
    std::u32string characters;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            characters += QChar::surrogateToUcs4(c, text.at(i + 1));
            ++i;
        } else {
            characters += char32_t(c.unicode());
        }
    }
    return characters;
}

} // namespace

bool DBEdit::passesKeyPress(char32_t key)
{
    bool failed = true;
    guarded([&] {
        keyPress(key);
        failed = false;
    });
    return !failed && key != 0;
}

void DBEdit::keyPressEvent(QKeyEvent *event)
{
    const std::u32string typed = typedCharacters(event);
    if (typed.empty()) {
        // Delete and Shift+Insert change the text too.
        if (!QLineEdit::isReadOnly() && dataSource() &&
            (event->key() == Qt::Key_Delete ||
             (event->key() == Qt::Key_Insert && event->modifiers() & Qt::ShiftModifier)))
            guarded([this] { dataSource()->edit(); });
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (typed.size() == 1) {
        if (passesKeyPress(typed.front()))
            QLineEdit::keyPressEvent(event);
        else
            event->accept();
        return;
    }
    // A text of several characters in one key event: each character is typed
    // on its own, through the same rules.
    for (const char32_t c : typed) {
        if (!passesKeyPress(c))
            continue;
        QKeyEvent single(QEvent::KeyPress, event->key(), event->modifiers(), QString::fromUcs4(&c, 1),
                         event->isAutoRepeat());
        QLineEdit::keyPressEvent(&single);
    }
    event->accept();
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
