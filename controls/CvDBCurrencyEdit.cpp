#include "CvDBCurrencyEdit.h"

#include "FlagScope.h"

#include "Connection.h"
#include "Field.h"
#include "Format.h"
#include "Query.h"

#include <exception>

using calvora::Currency;
using calvora::platform::FlagScope;
using calvora::RegionalSettings;

namespace {


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
    // A negative amount whose minus sign follows the number, as in
    // "1,234.50-" or "1.234,50 €-", stays negative. A minus sign inside
    // the number ("1-2") is no such sign.
    const QLatin1Char minus('-');
    if (kept.size() > 1 && kept.endsWith(minus) && kept.count(minus) == 1 && !kept.contains(QLatin1Char('+')))
        kept = minus + kept.chopped(1);
    // A negative amount written in parentheses, ($12.00), stays negative.
    const QString trimmed = s.trimmed();
    if (trimmed.startsWith(QLatin1Char('(')) && trimmed.endsWith(QLatin1Char(')')) &&
        !kept.startsWith(QLatin1Char('-')) && !kept.isEmpty())
        kept.prepend(QLatin1Char('-'));
    return kept;
}

Currency TCvDBCurrencyEdit::Value() const
{
    if (FValueAssigned && !FTextAsStored && text() == FAmountText)
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
    showAmount(value, formatMoney(value));
}

void TCvDBCurrencyEdit::showAmount(Currency amount, const QString &shown)
{
    // Noted before the text changes: formatting on that change reads Value().
    FAmount = amount;
    FAmountText = shown;
    FValueAssigned = true;
    FTextAsStored = false;
    setText(shown);
}

void TCvDBCurrencyEdit::setBlankZero(bool blankZero)
{
    if (m_blankZero != blankZero)
        m_blankZero = blankZero;
}

void TCvDBCurrencyEdit::FormatDisplay()
{
    if (FTextAsStored && text() == FAmountText)
        return;
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
    const calvora::store::Field *column = field();
    if (!column || !column->query().isActive() || column->onGetText) {
        FormatDisplay();
        return;
    }
    // The column's own value, not the amount its display text reads as.
    Currency amount;
    try {
        amount = column->asCurrency();
    } catch (const std::exception &) {
        // A value that is no amount keeps the column's text, never shows as 0.
        FAmountText = text();
        FTextAsStored = true;
        return;
    }
    showAmount(amount, m_blankZero && amount.isZero() ? QString() : formatMoney(amount));
}

void TCvDBCurrencyEdit::change()
{
    if (!FFocusChanging)
        baseChange();
    // A text being loaded from the column is formatted once it is loaded.
    if (hasFocus() || FFormatting || isLoading())
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

void TCvDBCurrencyEdit::keyPress(char32_t &key)
{
    if (key < 32) {
        DBEdit::keyPress(key);
        return;
    }

    const RegionalSettings &locale = settings();
    const QString s = text();
    const QString point = qt(locale.decimalSeparator);
    const int c = hasSelectedText() ? int(selectionStart()) : cursorPosition();
    const int n = int(selectedText().size());
    // The 1-based positions of the first and the last character of the
    // decimal separator; 0 when there is none.
    const int p = point.isEmpty() ? 0 : int(s.indexOf(point)) + 1;
    const int pEnd = p > 0 ? p + int(point.size()) - 1 : 0;
    const int decimals = locale.currencyDecimals;

    if (!locale.isNumberCharacter(key))
        key = 0;
    if (key == U'-' && c != 0)
        key = 0;
    if (key != 0 && p > 0 && QString::fromUcs4(&key, 1) == point) {
        if (!(n > 0 && c <= p && c + n >= p))
            key = 0;
    }
    if (key != 0 && p > 0 && c > pEnd && s.size() - pEnd >= decimals)
        key = 0;
    if (key != 0)
        DBEdit::keyPress(key);
}
