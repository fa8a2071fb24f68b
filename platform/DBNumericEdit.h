#pragma once

#include "DBEdit.h"

namespace calvora::platform {

// A data-aware edit for numbers: right-justified, it shows the column through
// a number pattern (",0;(,0)": thousands grouped, a negative number in
// parentheses) while it does not have the focus, and the plain number while
// it is edited. A value that does not fit its column shows as stored.
class DBNumericEdit : public DBEdit
{
    Q_OBJECT
    Q_PROPERTY(QString displayFormat READ displayFormat WRITE setDisplayFormat)

public:
    explicit DBNumericEdit(QWidget *parent = nullptr);

    QString displayFormat() const { return m_displayFormat; }
    void setDisplayFormat(const QString &format);

protected:
    QString columnDisplayText(const store::Field &field) const override;

private:
    QString m_displayFormat = QStringLiteral(",0;(,0)");
};

} // namespace calvora::platform
