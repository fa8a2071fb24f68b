#pragma once

#include "DataSource.h"

#include <QLineEdit>

namespace calvora::store {
class Field;
}

namespace calvora::platform {

// A single-line edit bound to one column of a data source. While it shows the
// column it holds the column's display text; while it has the focus and the
// column can be changed, its edit text. Typing puts the record into edit
// state; the text goes back into the column through the column's own
// conversion when the edit loses the focus or the record is stored.
class DBEdit : public QLineEdit
{
    Q_OBJECT
    Q_PROPERTY(QString dataSourceName READ dataSourceName WRITE setDataSourceName)
    Q_PROPERTY(QString dataField READ dataField WRITE setDataField)
    Q_PROPERTY(bool autoSelect READ autoSelect WRITE setAutoSelect)
    Q_PROPERTY(bool readOnly READ isReadOnly WRITE setReadOnly)

public:
    explicit DBEdit(QWidget *parent = nullptr);
    ~DBEdit() override;
    DBEdit(const DBEdit &) = delete;
    DBEdit &operator=(const DBEdit &) = delete;

    // The name of the data source the form binds this edit to.
    QString dataSourceName() const { return m_dataSourceName; }
    void setDataSourceName(const QString &name) { m_dataSourceName = name; }
    void setDataSource(store::DataSource *source);
    store::DataSource *dataSource() const;

    QString dataField() const;
    void setDataField(const QString &name);
    store::Field *field() const;

    // Read-only by design; the edit is also read-only while its column
    // cannot be changed (no data, a key or calculated column).
    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly);

    bool autoSelect() const { return m_autoSelect; }
    void setAutoSelect(bool on) { m_autoSelect = on; }

    // Whether the text was changed since it was loaded from the column.
    bool isModified() const { return m_modified; }

    // Writes a changed text into the column (when the record is being edited).
    void updateRecord();
    // Loads the column's text again (display or edit text).
    void reset();

signals:
    // The text changed, by typing or because the column changed.
    void changed();
    // A click of the left mouse button.
    void clicked();
    void entered();
    void exited();

protected:
    // Key handling for one typed character: a control character (Backspace,
    // Enter, Escape, Ctrl+letter) or a character of the text a key event
    // inserts, whatever modifier is held (a character beyond the basic plane
    // is one character). Clearing key (setting it to 0) makes the keystroke
    // have no effect.
    virtual void keyPress(char32_t &key);
    virtual void doEnter();
    virtual void doExit();
    // Runs for every change of the text.
    virtual void change();
    // Runs after the text was loaded from the column.
    virtual void columnLoaded() {}
    // The text shown while the edit only displays the column.
    virtual QString columnDisplayText(const store::Field &field) const;

    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

    // The base's change handling: marks the text modified and fires changed().
    void baseChange();
    bool isLoading() const { return m_loading; }

private:
    class Link;
    // Runs keyPress for one typed character: whether it is to be typed.
    bool passesKeyPress(char32_t key);
    void textWasChanged();
    void updateReadOnly();
    bool hasEditFocus() const;

    std::unique_ptr<Link> m_link;
    QString m_dataSourceName;
    bool m_autoSelect = true;
    bool m_readOnly = false;
    bool m_modified = false;
    bool m_loading = false;
    bool m_focused = false;
};

} // namespace calvora::platform
