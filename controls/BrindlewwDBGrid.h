#pragma once

#include "DBGrid.h"

#include <QColor>
#include <QPointer>
#include <QVariant>

#include <functional>

class QPainter;

// The frame styles and sides shared by framed controls and the frame
// controllers that set them.
namespace Frame {
Q_NAMESPACE

// In this order: none, a flat line, etched in, etched out, sunken, a pressed
// button, raised, a button, a status panel, a pop-up panel, a bold flat line.
enum TFrameStyle
{
    fsNone,
    fsFlat,
    fsGroove,
    fsBump,
    fsLowered,
    fsButtonDown,
    fsRaised,
    fsButtonUp,
    fsStatus,
    fsPopup,
    fsFlatBold
};
Q_ENUM_NS(TFrameStyle)

enum TSide
{
    sdLeft = 0x1,
    sdTop = 0x2,
    sdRight = 0x4,
    sdBottom = 0x8
};
Q_DECLARE_FLAGS(TSides, TSide)
Q_FLAG_NS(TSides)

inline constexpr TSides AllSides = TSides(sdLeft | sdTop | sdRight | sdBottom);

// Draws a frame over the outer edge of a control W by H pixels: first the
// outer band of two pixels on every side in the control's colour (when
// erase is set), then, along the sides given, a one-pixel line in frameColor
// (fsFlat), a two-pixel band in frameColor (fsFlatBold), nothing (fsNone), or
// the three-dimensional border of the style: in the system's 3-D colours when
// the control has the system window colour, else in lighter and darker shades
// of its colour.
void DrawFrame(QPainter &painter, int width, int height, TFrameStyle style, const QColor &color,
               const QColor &frameColor, TSides sides, bool erase);

} // namespace Frame

Q_DECLARE_OPERATORS_FOR_FLAGS(Frame::TSides)

// What a framed control needs of a frame controller: the frame settings it
// shares, and registering a control. A registered control gets the
// controller's settings assigned to its properties of the same names
// (ParentColor, Color, FrameColor, FrameSides, FrameStyle, FrameVisible), at
// once and whenever they change. A controller does not own its controls.
class IFrameController : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual QColor FrameColor() const = 0;
    virtual Frame::TFrameStyle FrameStyle() const = 0;
    virtual Frame::TSides FrameSides() const = 0;
    virtual void AddControl(QWidget *control) = 0;
    virtual void RemoveControl(QWidget *control) = 0;
};

// The framed record grid: the data-aware grid with
// - a frame painted over its outer edge in its own colour, sides and style,
//   with a flat mode that shows a resting style and, while the grid is under
//   the mouse or focused, a focus style; the settings may come from a frame
//   controller;
// - OnMouseEnter and OnMouseLeave (losing the focus counts as leaving);
// - a vertical scroll bar shown only while the records do not fit;
// - SuperSelect: clicking the first column selects and unselects records,
//   Shift+click selects a range, and Delete deletes every selected record
//   after asking;
// - RowPlus: the grid's row count is the record count plus two (the title
//   row, a row per record and one blank row at the end);
// - a read-only version text.
//
// Grid rows count the title row when titles are shown; a data row is a row
// below the titles, counted from 0, and shows the record at that position.
class TBrindlewwDBGrid : public calvora::platform::DBGrid
{
    Q_OBJECT
    Q_PROPERTY(IFrameController *FrameController READ FrameController WRITE setFrameController)
    Q_PROPERTY(QColor FrameColor READ FrameColor WRITE setFrameColor)
    Q_PROPERTY(Frame::TFrameStyle FrameFlatStyle READ FrameFlatStyle WRITE setFrameFlatStyle)
    Q_PROPERTY(Frame::TFrameStyle FrameFocusStyle READ FrameFocusStyle WRITE setFrameFocusStyle)
    Q_PROPERTY(bool FrameFlat READ FrameFlat WRITE setFrameFlat)
    Q_PROPERTY(Frame::TSides FrameSides READ FrameSides WRITE setFrameSides)
    Q_PROPERTY(Frame::TFrameStyle FrameStyle READ FrameStyle WRITE setFrameStyle)
    Q_PROPERTY(bool FrameVisible READ FrameVisible WRITE setFrameVisible)
    Q_PROPERTY(bool SuperSelect READ SuperSelect WRITE setSuperSelect)
    Q_PROPERTY(bool RowPlus READ RowPlus WRITE setRowPlus)
    Q_PROPERTY(QString _Version READ Version WRITE setVersion)
    // Of the grid underneath.
    Q_PROPERTY(TGridOptions Options READ Options WRITE setOptions)
    Q_PROPERTY(QColor Color READ Color WRITE setColor)
    Q_PROPERTY(bool ShowVertScrollBar READ ShowVertScrollBar WRITE setShowVertScrollBar)

public:
    // How the grid edits and selects: cells are edited in place, the editor
    // opens on the current cell as soon as it becomes current, the whole row
    // is shown selected, several records can be selected.
    enum TGridOption
    {
        dgEditing = 0x1,
        dgAlwaysShowEditor = 0x2,
        dgRowSelect = 0x4,
        dgMultiSelect = 0x8
    };
    Q_DECLARE_FLAGS(TGridOptions, TGridOption)
    Q_FLAG(TGridOptions)

    static inline const QString VersionText = QStringLiteral("1.01 - 09.21.2001");

    explicit TBrindlewwDBGrid(QWidget *parent = nullptr);
    ~TBrindlewwDBGrid() override;

    // The frame.
    IFrameController *FrameController() const { return FFrameController; }
    void setFrameController(IFrameController *controller);
    QColor FrameColor() const { return FFrameColor; }
    virtual void setFrameColor(const QColor &color);
    Frame::TFrameStyle FrameFlatStyle() const { return FFrameFlatStyle; }
    virtual void setFrameFlatStyle(Frame::TFrameStyle style);
    Frame::TFrameStyle FrameFocusStyle() const { return FFrameFocusStyle; }
    virtual void setFrameFocusStyle(Frame::TFrameStyle style);
    bool FrameFlat() const { return FFrameFlat; }
    virtual void setFrameFlat(bool flat);
    Frame::TSides FrameSides() const { return FFrameSides; }
    virtual void setFrameSides(Frame::TSides sides);
    Frame::TFrameStyle FrameStyle() const { return FFrameStyle; }
    virtual void setFrameStyle(Frame::TFrameStyle style);
    bool FrameVisible() const { return FFrameVisible; }
    virtual void setFrameVisible(bool visible);

    // Paints the frame again now (and applies the RowPlus rule first, as
    // every painting of the edge does).
    virtual void RepaintFrame();
    // Records whether the mouse is over the grid (when viaMouse) and, in
    // flat mode, shows the focus style while the grid is focused or under
    // the mouse and the resting style otherwise.
    virtual void UpdateFrameState(bool viaMouse, bool over);

    // The mouse events; the handlers get the grid as sender.
    std::function<void(QObject *Sender)> OnMouseEnter;
    std::function<void(QObject *Sender)> OnMouseLeave;
    virtual void DoMouseEnter();
    virtual void DoMouseLeave();

    bool SuperSelect() const { return FSuperSelect; }
    void setSuperSelect(bool on);
    bool RowPlus() const { return FRowPlus; }
    void setRowPlus(bool on);

    // Always "1.01 - 09.21.2001"; writing it changes nothing.
    QString Version() const { return FVersion; }
    void setVersion(const QString &) {}

    // While the grid's settings are read from its form description, turning
    // FrameFlat on leaves the sides and style as described.
    void setLoading(bool loading) { FLoading = loading; }
    bool Loading() const { return FLoading; }

    // What the grid underneath offers.
    TGridOptions Options() const { return FOptions; }
    void setOptions(TGridOptions options);
    QColor Color() const;
    void setColor(const QColor &color);
    bool ShowVertScrollBar() const;
    void setShowVertScrollBar(bool show);
    // Grid rows: the title row (when titles are shown), a row per record and
    // any blank rows after them. Fewer rows than the records need are not
    // taken: every record keeps its row.
    int RowCount() const;
    void setRowCount(int rows);
    // Data rows that fit wholly in the grid.
    int VisibleDataRowCount() const;
    // Makes the record at this data row the current record; a row without a
    // record is a failure.
    void MoveToDataRow(int row);
    // Selecting records, by the current record; a new record not yet stored
    // cannot be selected.
    void SelectRecord();
    void UnselectRecord();
    void UnselectAll();
    bool IsSelectedRecord() const;
    // The data rows whose records are selected, in order.
    QList<int> SelectedRows() const;
    // The editor the grid shows in a cell now, if any.
    QWidget *InplaceEditor() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    using DBGrid::edit;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;

private:
    class FrameCanvas;
    class CellDelegate;
    friend class FrameCanvas;
    friend class CellDelegate;

    void PaintFrame(QPainter &painter);
    void ApplyRowPlus();
    void ApplyRowPlusLater();
    void ApplyScrollBarRule();
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint &at);
    void KeyDown(int key);
    void DeleteSelectedRecords();
    void DeleteCurrentRecord();
    int TitleRows() const;
    int CurrentDataRow() const;
    bool EditorHoldsFocus() const;
    bool IsRowSelected(int dataRow) const;
    QVariant RecordKey(int dataRow) const;
    QVariant CurrentKey() const;

    QString FVersion = VersionText;
    FrameCanvas *FFrameCanvas = nullptr;
    QPointer<IFrameController> FFrameController;
    QColor FFrameColor = QColor(0, 0, 0);
    bool FFrameFlat = false;
    Frame::TFrameStyle FFrameFlatStyle = Frame::fsNone;
    Frame::TFrameStyle FFrameFocusStyle = Frame::fsNone;
    Frame::TSides FFrameSides;
    Frame::TFrameStyle FFrameStyle = Frame::fsNone;
    bool FFrameVisible = false;
    int FAnchorRow = 0;
    bool FSuperSelect = false;
    bool FRowPlus = false;
    bool FMouseOver = false;

    bool FLoading = false;
    TGridOptions FOptions = dgEditing;
    QList<QVariant> FSelected;             // keys of the selected records
    const void *FSelectionQuery = nullptr; // the query they belong to
    QPointer<QWidget> FInplaceEditor;      // the editor the delegate made last
    bool FMovingRows = false;              // no editor opens while rows are walked
    bool FRowPlusQueued = false;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TBrindlewwDBGrid::TGridOptions)
