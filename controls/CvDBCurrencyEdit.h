#pragma once

#include "Currency.h"
#include "DBEdit.h"
#include "RegionalSettings.h"

// Every occurrence of sub in s removed, compared without regard to case.
QString RemoveAllText(const QString &sub, const QString &s);
// s without the count characters that begin at the 1-based position index.
QString CutText(const QString &s, int index, int count);

// The data-aware money edit. While it does not have the keyboard focus it
// shows the amount in the user's currency format ($234.50), or nothing for a
// zero amount when BlankZero is set; an amount loaded from its column is
// formatted from the column's value, never read back from a text, and a
// column value that is no amount shows as the column's text. While it
// has the focus it shows the bare number (234.50). It refuses every key that
// cannot be part of a number, a minus sign anywhere but at the start, a second
// decimal separator and digits beyond the locale's currency decimals.
class TCvDBCurrencyEdit : public calvora::platform::DBEdit
{
    Q_OBJECT
    Q_PROPERTY(bool BlankZero READ BlankZero WRITE setBlankZero)

public:
    explicit TCvDBCurrencyEdit(QWidget *parent = nullptr);

    // The amount: the one code wrote or the column holds, while the text is
    // still the one shown for it; else the one the text shows.
    calvora::Currency Value() const;
    void setValue(calvora::Currency value);

    bool BlankZero() const { return m_blankZero; }
    void setBlankZero(bool blankZero);

    // Rewrites the text from Value: the currency format, or empty for zero
    // with BlankZero set. A column value that is no amount keeps its text.
    virtual void FormatDisplay();
    // The text without the currency symbol, keeping only number characters;
    // an amount in parentheses or with its minus sign after the number
    // ("1,234.50- $") gets a leading minus sign.
    QString StripText(const QString &s) const;

    // The regional settings the edit formats and reads with (those of its
    // column's connection, else US English).
    const calvora::RegionalSettings &settings() const;

protected:
    void keyPress(char32_t &key) override;
    void doEnter() override;
    void doExit() override;
    void change() override;
    // A text loaded from the column while unfocused is shown formatted, also
    // when loading did not change it (an empty column after an empty one).
    void columnLoaded() override;

private:
    QString formatMoney(calvora::Currency value) const;
    // Shows an amount given by code or by the column: Value() gives it back
    // exactly for as long as the text stays the one shown for it.
    void showAmount(calvora::Currency amount, const QString &shown);

    bool FFocusChanging = false;
    bool FFormatting = false;
    calvora::Currency FAmount;
    QString FAmountText;
    bool FValueAssigned = false;
    // The text is the column's own text for a value that is no amount.
    bool FTextAsStored = false;
    bool m_blankZero = false;
};
