#include "DBNumericEdit.h"

#include "Connection.h"
#include "Field.h"
#include "Format.h"
#include "Query.h"

namespace calvora::platform {

DBNumericEdit::DBNumericEdit(QWidget *parent) : DBEdit(parent) { setAlignment(Qt::AlignRight | Qt::AlignVCenter); }

void DBNumericEdit::setDisplayFormat(const QString &format)
{
    m_displayFormat = format;
    reset();
}

QString DBNumericEdit::columnDisplayText(const store::Field &field) const
{
    // A value that does not fit its column shows as stored.
    if (field.isNull() || field.isForeign() || m_displayFormat.isEmpty())
        return field.displayText();
    return QString::fromStdString(formatFloat(m_displayFormat.toStdString(), field.asDouble(),
                                              field.query().connection().regionalSettings()));
}

} // namespace calvora::platform
