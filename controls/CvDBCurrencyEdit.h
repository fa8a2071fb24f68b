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
// zero amount when BlankZero is set; while it has the focus it shows the bare
// number (234.50). It refuses every key that cannot be part of a number, a
// minus sign anywhere but at the start, a second decimal point and digits
// beyond the locale's currency decimals.
class TCvDBCurrencyEdit : public calvora::platform::DBEdit
{
    Q_OBJECT
    Q_PROPERTY(bool BlankZero READ BlankZero WRITE setBlankZero)

public:
    explicit TCvDBCurrencyEdit(QWidget *parent = nullptr);

    // The amount: the last one code wrote, or the one the text shows.
    calvora::Currency Value() const;
    void setValue(calvora::Currency value);

    bool BlankZero() const { return m_blankZero; }
    void setBlankZero(bool blankZero);

    // Rewrites the text from Value: the currency format, or empty for zero
    // with BlankZero set.
    virtual void FormatDisplay();
    // The text without the currency symbol, keeping only number characters;
    // an amount in parentheses keeps its minus sign.
    QString StripText(const QString &s) const;

    // The regional settings the edit formats and reads with (those of its
    // column's connection, else US English).
    const calvora::RegionalSettings &settings() const;

protected:
    void keyPress(QChar &key) override;
    void doEnter() override;
    void doExit() override;
    void change() override;
    // A text loaded from the column while unfocused is shown formatted, also
    // when loading did not change it (an empty column after an empty one).
    void columnLoaded() override;

private:
    QString formatMoney(calvora::Currency value) const;

    bool FFocusChanging = false;
    bool FFormatting = false;
    calvora::Currency FAmount;
    bool FValueAssigned = false;
    bool m_blankZero = false;
};
