#pragma once

#include "Currency.h"
#include "DateTime.h"
#include "Schema.h"

#include <QString>
#include <QVariant>

#include <functional>

namespace calvora::store {

class Query;

// A value of the file that is not of its column's kind or lies outside the
// column's range (a text in a money column, a fraction where a whole count
// belongs, a term beyond 16 bits): kept exactly as stored, shown as stored,
// never read as a number, and written back only when replaced.
struct ForeignValue
{
    QVariant stored;
    QString reason; // "is not a whole amount", ...
};

// One column of a query, read and written on the query's current record.
// A column without a value reads as 0, or as empty text when read as text.
class Field
{
public:
    Field(Query &query, int index, QString name, FieldType type, bool asMoney, int size, bool calculated);
    Field(const Field &) = delete;
    Field &operator=(const Field &) = delete;

    Query &query() const { return m_query; }
    const QString &name() const { return m_name; }
    FieldType type() const { return m_type; }
    bool isMoney() const { return m_asMoney; }
    bool isCalculated() const { return m_calculated; }
    int index() const { return m_index; }
    int size() const { return m_size; }
    // Whether a control may write this column now.
    bool canModify() const;

    QVariant value() const;
    bool isNull() const { return !value().isValid(); }
    // Whether the value is one the file holds that does not fit the column.
    bool isForeign() const;
    static bool isForeign(const QVariant &value);
    qint64 asInteger() const;
    double asDouble() const;
    Currency asCurrency() const;
    DateTime asDate() const;
    QString asString() const;

    void setInteger(qint64 value);
    void setDouble(double value);
    void setCurrency(Currency value);
    void setDate(DateTime value);
    void setString(const QString &value);
    void clear();

    // The text a control shows while it only displays the column, and the
    // text it edits. For money shown as money the display text is the
    // currency format and the edit text the bare number with the locale's
    // currency decimals ("234.50").
    QString displayText() const;
    QString editText() const;
    // Writes a text typed by a person through the column's own conversion;
    // an empty text clears the column. Throws ConvertError for a text that is
    // not a value of the column.
    void setText(const QString &text);
    // Whether a typed character can belong to a value of this column.
    bool isValidChar(QChar c) const;

    // Raised after the column of the current record received a value.
    std::function<void(Field &)> onChange;
    // Replaces the display text (displayText true) or edit text of the column.
    std::function<QString(const Field &, bool displayText)> onGetText;

    // Texts of a stored value of this column, for views over any row.
    QString defaultText(const QVariant &value, bool displayText) const;

private:
    friend class Query;
    void assign(const QVariant &value);

    Query &m_query;
    int m_index;
    QString m_name;
    FieldType m_type;
    bool m_asMoney;
    int m_size;
    bool m_calculated;
};

} // namespace calvora::store

Q_DECLARE_METATYPE(calvora::store::ForeignValue)
