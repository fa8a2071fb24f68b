#include "Field.h"

#include "Connection.h"
#include "Errors.h"
#include "Format.h"
#include "Query.h"
#include "StoreError.h"

#include <cmath>
#include <limits>

namespace calvora::store {

namespace {

QString qt(const std::string &text) { return QString::fromStdString(text); }

// The whole number a double stands for, ties to even, or false when it does
// not fit a 64-bit integer.
bool roundToInteger(double value, qint64 &result)
{
    if (!std::isfinite(value) || value < -9.2233720368547758e18 || value >= 9.2233720368547758e18)
        return false;
    result = std::llrint(value);
    return true;
}

std::pair<qint64, qint64> rangeOf(FieldType type)
{
    switch (type) {
    case FieldType::SmallInt:
        return {std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max()};
    case FieldType::AutoInc:
    case FieldType::Integer:
        return {std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()};
    default:
        return {std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max()};
    }
}

} // namespace

Field::Field(Query &query, int index, QString name, FieldType type, bool asMoney, int size, bool calculated)
    : m_query(query), m_index(index), m_name(std::move(name)), m_type(type), m_asMoney(asMoney), m_size(size),
      m_calculated(calculated)
{
}

bool Field::canModify() const
{
    return m_query.isActive() && !m_calculated && m_type != FieldType::AutoInc;
}

QVariant Field::value() const { return m_query.currentValue(m_index); }

bool Field::isForeign(const QVariant &value) { return value.metaType() == QMetaType::fromType<ForeignValue>(); }

bool Field::isForeign() const { return isForeign(value()); }

namespace {

// A value that does not fit its column is never read as a number.
void refuseForeign(const QVariant &v, const Field &field)
{
    if (!Field::isForeign(v))
        return;
    const ForeignValue foreign = v.value<ForeignValue>();
    throw ConvertError(QStringLiteral("The column %1 holds '%2', which %3; replace it to use it.")
                           .arg(field.name(), foreign.stored.toString(), foreign.reason)
                           .toStdString());
}

} // namespace

qint64 Field::asInteger() const
{
    const QVariant v = value();
    refuseForeign(v, *this);
    if (!v.isValid())
        return 0;
    switch (m_type) {
    case FieldType::Money:
        return qint64(Currency::fromRaw(v.toLongLong()).dividedBy(Currency::Scale).raw());
    case FieldType::Double:
    case FieldType::Date: {
        qint64 result = 0;
        if (!roundToInteger(v.toDouble(), result))
            throw ConvertError(QStringLiteral("%1 of %2 does not fit a whole number").arg(v.toString(), m_name)
                                   .toStdString());
        return result;
    }
    case FieldType::Text: {
        std::int64_t result = 0;
        if (parseInteger(v.toString().toStdString(), result) != ParseResult::Ok)
            throw ConvertError(QStringLiteral("'%1' is not a valid integer value").arg(v.toString()).toStdString());
        return result;
    }
    default:
        return v.toLongLong();
    }
}

double Field::asDouble() const
{
    const QVariant v = value();
    refuseForeign(v, *this);
    if (!v.isValid())
        return 0;
    switch (m_type) {
    case FieldType::Money:
        return double(Currency::fromRaw(v.toLongLong()).toExtended());
    case FieldType::Text: {
        double result = 0;
        if (parseDouble(v.toString().toStdString(), m_query.connection().regionalSettings(), result) !=
            ParseResult::Ok)
            throw ConvertError(
                QStringLiteral("'%1' is not a valid floating point value").arg(v.toString()).toStdString());
        return result;
    }
    case FieldType::Double:
    case FieldType::Date:
        return v.toDouble();
    default:
        return double(v.toLongLong());
    }
}

Currency Field::asCurrency() const
{
    const QVariant v = value();
    refuseForeign(v, *this);
    if (!v.isValid())
        return {};
    switch (m_type) {
    case FieldType::Money:
        return Currency::fromRaw(v.toLongLong());
    case FieldType::Double:
    case FieldType::Date:
        return Currency::fromAmount(v.toDouble());
    case FieldType::Text: {
        Currency result;
        if (parseCurrency(v.toString().toStdString(), m_query.connection().regionalSettings(), result) !=
            ParseResult::Ok)
            throw ConvertError(QStringLiteral("'%1' is not a valid amount").arg(v.toString()).toStdString());
        return result;
    }
    default:
        return Currency::fromRawRounded(ext::Extended(v.toLongLong()) * Currency::Scale);
    }
}

DateTime Field::asDate() const
{
    if (m_type != FieldType::Date)
        return asDouble();
    const QVariant v = value();
    refuseForeign(v, *this);
    return v.toDouble();
}

QString Field::asString() const
{
    const QVariant v = value();
    return v.isValid() ? defaultText(v, false) : QString();
}

void Field::assign(const QVariant &value) { m_query.setCurrentValue(*this, value); }

void Field::setInteger(qint64 value)
{
    switch (m_type) {
    case FieldType::Money:
        setCurrency(Currency::fromRawRounded(ext::mul(ext::Extended(value), Currency::Scale)));
        return;
    case FieldType::Double:
    case FieldType::Date:
        assign(double(value));
        return;
    case FieldType::Text:
        setString(QString::number(value));
        return;
    default: {
        const auto [low, high] = rangeOf(m_type);
        if (value < low || value > high)
            throw ConvertError(QStringLiteral("%1 is not a valid value for %2. The allowed range is %3 to %4.")
                                   .arg(value)
                                   .arg(m_name)
                                   .arg(low)
                                   .arg(high)
                                   .toStdString());
        assign(value);
    }
    }
}

void Field::setDouble(double value)
{
    switch (m_type) {
    case FieldType::Money:
        setCurrency(Currency::fromAmount(value));
        return;
    case FieldType::Double:
    case FieldType::Date:
        assign(value);
        return;
    case FieldType::Text:
        setString(QString::number(value, 'g', 15));
        return;
    default: {
        qint64 whole = 0;
        if (!roundToInteger(value, whole))
            throw ConvertError(QStringLiteral("%1 is not a valid value for %2").arg(value).arg(m_name).toStdString());
        setInteger(whole);
    }
    }
}

void Field::setCurrency(Currency value)
{
    switch (m_type) {
    case FieldType::Money:
        assign(qint64(value.raw()));
        return;
    case FieldType::Text:
        setString(qt(formatFixed(value, 4, m_query.connection().regionalSettings())));
        return;
    case FieldType::Double:
    case FieldType::Date:
        assign(ext::toDouble(value.toExtended()));
        return;
    default:
        setInteger(value.dividedBy(Currency::Scale).raw());
    }
}

void Field::setDate(DateTime value)
{
    if (m_type == FieldType::Date)
        assign(value);
    else
        setDouble(value);
}

void Field::setString(const QString &value)
{
    if (m_type != FieldType::Text) {
        setText(value);
        return;
    }
    // Half of a character outside the basic plane (cut off by an edit's
    // length limit or sent by another program) would be stored as bytes that
    // are not UTF-8: it is dropped.
    QString text;
    text.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c.isHighSurrogate() && i + 1 < value.size() && value.at(i + 1).isLowSurrogate()) {
            text += c;
            text += value.at(++i);
        } else if (!c.isSurrogate()) {
            text += c;
        }
    }
    // At most m_size units, and the cut keeps both halves of a character or neither.
    if (m_size > 0 && text.size() > m_size) {
        qsizetype end = m_size;
        if (text.at(end - 1).isHighSurrogate())
            --end;
        text.truncate(end);
    }
    assign(text);
}

void Field::clear() { assign(QVariant()); }

QString Field::defaultText(const QVariant &v, bool displayText) const
{
    if (!v.isValid())
        return {};
    if (isForeign(v))
        return v.value<ForeignValue>().stored.toString();
    const RegionalSettings &settings = m_query.connection().regionalSettings();
    switch (m_type) {
    case FieldType::Money: {
        const Currency amount = Currency::fromRaw(v.toLongLong());
        if (m_asMoney)
            return qt(displayText ? formatMoney(amount, settings)
                                  : formatFixed(amount, settings.currencyDecimals, settings));
        // A plain number: every decimal the amount has, and no more.
        QString text = qt(formatFixed(amount, 4, settings));
        const QString separator = qt(settings.decimalSeparator);
        if (text.contains(separator)) {
            while (text.endsWith(QLatin1Char('0')))
                text.chop(1);
            if (text.endsWith(separator))
                text.chop(separator.size());
        }
        return text;
    }
    case FieldType::Double: {
        QString text = QString::number(v.toDouble(), 'g', 15);
        return text.replace(QLatin1Char('.'), qt(settings.decimalSeparator));
    }
    case FieldType::Date:
        return qt(toIsoDate(v.toDouble()));
    case FieldType::Text:
        return v.toString();
    default:
        return QString::number(v.toLongLong());
    }
}

QString Field::displayText() const
{
    if (onGetText)
        return onGetText(*this, true);
    return defaultText(value(), true);
}

QString Field::editText() const
{
    if (onGetText)
        return onGetText(*this, false);
    return defaultText(value(), false);
}

void Field::setText(const QString &text)
{
    if (m_type == FieldType::Text) {
        setString(text);
        return;
    }
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        clear();
        return;
    }
    const RegionalSettings &settings = m_query.connection().regionalSettings();
    const std::string utf8 = trimmed.toStdString();
    auto fail = [&](const QString &message) { throw ConvertError(message.toStdString()); };
    switch (m_type) {
    case FieldType::Money: {
        Currency amount;
        const ParseResult result = parseCurrency(utf8, settings, amount);
        if (result == ParseResult::OutOfRange)
            fail(QStringLiteral("'%1' is too large for an amount").arg(trimmed));
        if (result != ParseResult::Ok)
            fail(QStringLiteral("'%1' is not a valid amount").arg(trimmed));
        setCurrency(amount);
        return;
    }
    case FieldType::Double: {
        double number = 0;
        const ParseResult result = parseDouble(utf8, settings, number);
        if (result == ParseResult::OutOfRange)
            fail(QStringLiteral("'%1' is out of range for %2").arg(trimmed, m_name));
        if (result != ParseResult::Ok)
            fail(QStringLiteral("'%1' is not a valid floating point value").arg(trimmed));
        setDouble(number);
        return;
    }
    case FieldType::Date: {
        DateTime date = 0;
        if (!fromIsoDate(utf8, date))
            fail(QStringLiteral("'%1' is not a valid date").arg(trimmed));
        setDate(date);
        return;
    }
    default: {
        std::int64_t number = 0;
        const ParseResult result = parseInteger(utf8, number);
        const auto [low, high] = rangeOf(m_type);
        if (result == ParseResult::OutOfRange || (result == ParseResult::Ok && (number < low || number > high)))
            fail(QStringLiteral("%1 is not a valid value for %2. The allowed range is %3 to %4.")
                     .arg(trimmed, m_name)
                     .arg(low)
                     .arg(high));
        if (result != ParseResult::Ok)
            fail(QStringLiteral("'%1' is not a valid integer value").arg(trimmed));
        setInteger(number);
    }
    }
}

bool Field::isValidChar(QChar c) const
{
    const RegionalSettings &settings = m_query.connection().regionalSettings();
    const char32_t code = c.unicode();
    switch (m_type) {
    case FieldType::Text:
    case FieldType::Date:
        return true;
    case FieldType::Double:
        if (c == QLatin1Char('e') || c == QLatin1Char('E'))
            return true;
        [[fallthrough]];
    case FieldType::Money:
        if (qt(settings.decimalSeparator) == QString(c))
            return true;
        [[fallthrough]];
    default:
        return settings.isDigit(code) || c == QLatin1Char('+') || c == QLatin1Char('-');
    }
}

} // namespace calvora::store
