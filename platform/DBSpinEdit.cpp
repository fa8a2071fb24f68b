#include "DBSpinEdit.h"

#include "ErrorHandler.h"
#include "FieldLink.h"
#include "Field.h"
#include "Query.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace calvora::platform {


DBSpinEdit::DBSpinEdit(QWidget *parent) : QAbstractSpinBox(parent), m_link(std::make_unique<FieldLink>([this] { reset(); }))
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lineEdit()->setMaxLength(5);
    // The text is only ever the column's; the person steps it.
    lineEdit()->setReadOnly(true);
}

DBSpinEdit::~DBSpinEdit() = default;

store::DataSource *DBSpinEdit::dataSource() const { return m_link->dataSource(); }

void DBSpinEdit::setDataSource(store::DataSource *source)
{
    m_link->setDataSource(source);
    reset();
}

QString DBSpinEdit::dataField() const { return m_link->dataField(); }

void DBSpinEdit::setDataField(const QString &name)
{
    m_link->setDataField(name);
    reset();
}

store::Field *DBSpinEdit::field() const { return m_link->field(); }

void DBSpinEdit::reset()
{
    const store::Field *column = field();
    lineEdit()->setText(column && column->query().isActive() ? column->displayText() : QString());
}

QAbstractSpinBox::StepEnabled DBSpinEdit::stepEnabled() const
{
    // A step at a bound stays at the bound rather than being refused.
    return StepUpEnabled | StepDownEnabled;
}

void DBSpinEdit::stepBy(int steps)
{
    guarded([&] {
        store::Field *column = field();
        if (m_readOnly || !column || !column->canModify()) {
            QApplication::beep();
            return;
        }
        const qint64 current = column->isNull() ? m_emptyValue : column->asInteger();
        const qint64 stepped = std::clamp<qint64>(current + steps, m_minimum, m_maximum);
        dataSource()->edit();
        column->setInteger(stepped);
    });
}

void DBSpinEdit::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        QAbstractSpinBox::keyPressEvent(event);
        return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        QAbstractSpinBox::keyPressEvent(event);
        return;
    default:
        break;
    }
    // Typed characters, Backspace and Delete would change the text: refused.
    // Return, Escape and shortcuts go on to the window.
    const bool shortcut = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool typed = !shortcut && !event->text().isEmpty() && event->text().at(0).isPrint();
    if (typed || event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) {
        QApplication::beep();
        event->accept();
        return;
    }
    QAbstractSpinBox::keyPressEvent(event);
}

} // namespace calvora::platform
