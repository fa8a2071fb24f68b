#include "CvDBCurrencyEdit.h"

#include "Connection.h"
#include "Field.h"
#include "Format.h"
#include "Query.h"

using calvora::Currency;
using calvora::RegionalSettings;

namespace {

// Sets a flag for as long as the scope lasts, also when a step in it fails.
class FlagScope
{
public:
    explicit FlagScope(bool &flag) : m_flag(flag) { m_flag = true; }
    ~FlagScope() { m_flag = false; }
    FlagScope(const FlagScope &) = delete;
    FlagScope &operator=(const FlagScope &) = delete;

private:
    bool &m_flag;
};

QString qt(const std::string &text) { return QString::fromStdString(text); }

} // namespace

QString CutText(const QString &s, int index, int count)
{
    if (index < 1)
        index = 1;
    return s.left(index - 1) + s.mid(index - 1 + count);
}

QString RemoveAllText(const QString &sub, const QString &s)
{
    if (sub.isEmpty())
        return s;
    QString result = s;
    for (qsizetype at = result.indexOf(sub, 0, Qt::CaseInsensitive); at >= 0;
         at = result.indexOf(sub, 0, Qt::CaseInsensitive))
        result = CutText(result, int(at) + 1, int(sub.size()));
    return result;
}

TCvDBCurrencyEdit::TCvDBCurrencyEdit(QWidget *parent) : DBEdit(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setValue(Currency()); // changes nothing: the amount is 0 already
    m_blankZero = false;
}

const RegionalSettings &TCvDBCurrencyEdit::settings() const
{
    static const RegionalSettings fallback = RegionalSettings::usEnglish();
    if (const calvora::store::Field *column = field())
        return column->query().connection().regionalSettings();
    return fallback;
}

QString TCvDBCurrencyEdit::formatMoney(Currency value) const { return qt(calvora::formatMoney(value, settings())); }

QString TCvDBCurrencyEdit::StripText(const QString &s) const
{
    const RegionalSettings &locale = settings();
    const QString symbol = qt(locale.currencySymbol);
    const QString text = symbol.isEmpty() ? s : RemoveAllText(symbol, s);
    QString kept;
    for (const QChar c : text) {
        if (locale.isNumberCharacter(c.unicode()))
            kept += c;
    }
    // A negative amount written in parentheses, ($12.00), stays negative.
    const QString trimmed = s.trimmed();
    if (trimmed.startsWith(QLatin1Char('(')) && trimmed.endsWith(QLatin1Char(')')) &&
        !kept.startsWith(QLatin1Char('-')) && !kept.isEmpty())
        kept.prepend(QLatin1Char('-'));
    return kept;
}

Currency TCvDBCurrencyEdit::Value() const
{
    if (FValueAssigned)
        return FAmount;
    const QString number = StripText(text());
    if (number.isEmpty())
        return {};
    Currency amount;
    if (calvora::parseCurrency(number.toStdString(), settings(), amount) != calvora::ParseResult::Ok)
        return {}; // not a valid number (1-2, --5, a lone sign) reads as 0
    return amount;
}

void TCvDBCurrencyEdit::setValue(Currency value)
{
    if (Value() == value)
        return;
    FAmount = value;
    setText(formatMoney(value));
    FValueAssigned = true;
}

void TCvDBCurrencyEdit::setBlankZero(bool blankZero)
{
    if (m_blankZero != blankZero)
        m_blankZero = blankZero;
}

void TCvDBCurrencyEdit::FormatDisplay()
{
    const Currency amount = Value();
    if (m_blankZero && amount.isZero())
        setText(QString());
    else
        setText(formatMoney(amount));
}

void TCvDBCurrencyEdit::columnLoaded()
{
    if (hasFocus() || FFormatting)
        return;
    FlagScope formatting(FFormatting);
    FormatDisplay();
}

void TCvDBCurrencyEdit::change()
{
    if (!FFocusChanging)
        baseChange();
    if (hasFocus() || FFormatting)
        return;
    FlagScope formatting(FFormatting);
    FormatDisplay();
}

void TCvDBCurrencyEdit::doEnter()
{
    FlagScope focusChanging(FFocusChanging);
    setText(StripText(text()));
    DBEdit::doEnter();
}

void TCvDBCurrencyEdit::doExit()
{
    FlagScope focusChanging(FFocusChanging);
    DBEdit::doExit();
    FormatDisplay();
}

void TCvDBCurrencyEdit::keyPress(QChar &key)
{
    if (key.unicode() < 32) {
        DBEdit::keyPress(key);
        if (!key.isNull())
            FValueAssigned = false;
        return;
    }

    const QString s = text();
    const int c = hasSelectedText() ? int(selectionStart()) : cursorPosition();
    const int n = int(selectedText().size());
    const int p = int(s.indexOf(QLatin1Char('.'))) + 1; // 1-based, 0 when there is none
    const int decimals = settings().currencyDecimals;

    if (!settings().isNumberCharacter(key.unicode()))
        key = QChar();
    if (!key.isNull())
        FValueAssigned = false;
    if (key == QLatin1Char('-') && c != 0)
        key = QChar();
    if (key == QLatin1Char('.') && p > 0) {
        if (!(n > 0 && c <= p && c + n >= p))
            key = QChar();
    }
    if (!key.isNull() && p > 0 && c > p && s.size() - p >= decimals)
        key = QChar();
    if (!key.isNull())
        DBEdit::keyPress(key);
}
