#include "SchedulePrint.h"

#include "DateTime.h"
#include "ErrorHandler.h"
#include "Errors.h"
#include "Field.h"
#include "Format.h"
#include "GroupedTableModel.h"
#include "Query.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <algorithm>
#include <cmath>

using calvora::Error;
using calvora::RegionalSettings;
using calvora::platform::GroupedTableModel;
using calvora::store::Field;
using calvora::store::Query;

namespace {

using RowKind = GroupedTableModel::RowKind;

QString qt(const std::string &text)
{
    return QString::fromStdString(text);
}

// The schedule grid's colours.
const QColor ContentEven(0xE3, 0xE8, 0xDA);
const QColor HeaderColour(0xEE, 0xF1, 0xE7);
const QColor FooterColour(0xD7, 0xDF, 0xC8);
const QColor FooterText(Qt::black);
const QColor GridLine(0xC6, 0xCE, 0xB6);

// The grids draw their texts in an 11 px font, which is 8.25 points on a
// screen of 96 dots per inch; the printed table reads the same at that size.
constexpr double TablePoints = 8.25;
constexpr double HeadingPoints = 13;
constexpr double SchedulePoints = 9.75;

// Every page has margins of half an inch unless the printer says otherwise.
const QMarginsF DefaultMargins(12.7, 12.7, 12.7, 12.7);

// ---- The title block -------------------------------------------------------

QString moneyText(const Field &field, const RegionalSettings &settings)
{
    if (field.isForeign())
        return field.displayText();
    return qt(calvora::formatMoney(field.asCurrency(), settings));
}

// The month of the first payment, when the record's year and month form one.
bool firstPaymentMonth(const Query &mortgage, calvora::DateTime &month)
{
    const Field &year = mortgage.field(u"StartYear");
    const Field &monthOfYear = mortgage.field(u"StartMonth");
    if (year.isForeign() || monthOfYear.isForeign())
        return false;
    const qint64 y = year.asInteger();
    const qint64 m = monthOfYear.asInteger();
    return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && calvora::tryEncodeDate(int(y), int(m), 1, month);
}

// ---- The paged layout ------------------------------------------------------

// One printed row of the table.
struct Line
{
    RowKind kind = RowKind::Data;
    int index = 0;          // the record of a data row, the group of the others
    bool shaded = false;    // every other month of a year, as the grid shades them
    bool continued = false; // a group row repeated at the top of a page
};

struct Page
{
    std::vector<Line> lines;
    bool totals = false; // the footer line of the view's totals ends this page
};

// The rows as shown, in runs kept together on one page: with grouping a group
// row with its months and its group footer, without it every month alone.
std::vector<std::vector<Line>> blocksOf(const GroupedTableModel &view)
{
    std::vector<std::vector<Line>> blocks;
    int shade = 0;
    for (int position = 0; position < view.shownRowCount(); ++position) {
        const int index = view.shownRowIndex(position);
        switch (view.shownRowKind(position)) {
        case RowKind::Group:
            // A closed group prints its group row alone, as on screen.
            blocks.push_back({{RowKind::Group, index}});
            if (view.isExpanded(index))
                blocks.back().push_back({RowKind::GroupFooter, index});
            shade = 0;
            break;
        case RowKind::Data:
            if (view.isGrouped()) {
                // Before the group footer, which stays last.
                auto &block = blocks.back();
                block.insert(block.end() - 1, {RowKind::Data, index, shade++ % 2 == 1});
            } else {
                blocks.push_back({{RowKind::Data, index, shade++ % 2 == 1}});
            }
            break;
        case RowKind::GroupFooter:
            break;
        }
    }
    return blocks;
}

// Places the blocks on pages of firstRows rows on the first page and rows on
// every other one (the column headers not counted). A block that does not
// fit what is left of a page begins the next; one taller than a whole page
// fills pages, its group row repeated at the top of each further one.
std::vector<Page> paginate(const std::vector<std::vector<Line>> &blocks, int firstRows, int rows, bool totals)
{
    std::vector<Page> pages(1);
    int used = 0;
    int capacity = firstRows;
    auto newPage = [&] {
        pages.emplace_back();
        used = 0;
        capacity = rows;
    };
    auto add = [&](const Line &line) {
        pages.back().lines.push_back(line);
        ++used;
    };
    for (const std::vector<Line> &block : blocks) {
        const int size = int(block.size());
        if (used + size <= capacity) {
            for (const Line &line : block)
                add(line);
            continue;
        }
        if (size <= rows) {
            newPage();
            for (const Line &line : block)
                add(line);
            continue;
        }
        // A group row with at least one of its rows under it, on every page.
        if (capacity - used < 2)
            newPage();
        for (std::size_t i = 0; i < block.size(); ++i) {
            // The year's last month goes with its group footer.
            const bool lastMonth =
                i > 0 && i + 2 == block.size() && block.back().kind == RowKind::GroupFooter;
            if (used == capacity || (lastMonth && used + 2 > capacity)) {
                newPage();
                Line repeated = block.front();
                repeated.continued = true;
                add(repeated);
            }
            add(block[i]);
        }
    }
    if (totals) {
        if (used + 1 > capacity)
            newPage();
        pages.back().totals = true;
    }
    return pages;
}

// Draws one schedule on a printer: the fonts, the columns and the heights
// in the printer's own dots.
class SchedulePainter
{
public:
    SchedulePainter(QPaintDevice &device, const GroupedTableModel &view, const ScheduleTitle &title)
        : m_device(device), m_view(view), m_title(title), m_dots(device.logicalDpiY() / 72.0),
          m_table(font(TablePoints)), m_heading(font(HeadingPoints, true)), m_schedule(font(SchedulePoints)),
          m_label(font(TablePoints))
    {
        const QFontMetricsF metrics(m_table, &m_device);
        m_rowHeight = std::ceil(metrics.height() + points(5));
        m_padding = points(2.5);
        m_pageWidth = m_device.width();
        m_pageHeight = m_device.height();
        m_titleHeight = titleHeight();
        m_footHeight = m_rowHeight * 1.5;
        layOutColumns();
    }

    // The rows of the table a page holds under its column headers.
    int rowsOnFirstPage() const { return rowsIn(m_pageHeight - m_titleHeight); }
    int rowsOnPage() const { return rowsIn(m_pageHeight); }

    bool hasTotals() const
    {
        return std::any_of(m_columns.begin(), m_columns.end(),
                           [this](const Column &c) { return !m_view.footerText(c.index).isEmpty(); });
    }

    void paintPage(QPainter &painter, const Page &page, int number, int count) const
    {
        double y = 0;
        if (number == 1) {
            paintTitle(painter);
            y = m_titleHeight;
        }
        paintHeaders(painter, y);
        y += m_rowHeight;
        for (const Line &line : page.lines) {
            paintLine(painter, line, y);
            y += m_rowHeight;
        }
        if (page.totals)
            paintTotals(painter, y);
        paintFoot(painter, number, count);
    }

private:
    struct Column
    {
        int index = 0;
        double left = 0;
        double width = 0;
        bool money = false;
    };

    double points(double size) const { return size * m_dots; }

    static QFont font(double pointSize, bool bold = false)
    {
        // The program's one face, at a size in points so that it prints the
        // same on every printer.
        QFont result = QGuiApplication::font();
        result.setPointSizeF(pointSize);
        result.setBold(bold);
        return result;
    }

    int rowsIn(double height) const
    {
        // The column headers take one row; the page number its foot.
        return int(std::floor((height - m_footHeight) / m_rowHeight)) - 1;
    }

    // The view's shown columns, their designed widths scaled to the page's
    // width as the grid scales them to its own.
    void layOutColumns()
    {
        int designed = 0;
        for (int c = 0; c < m_view.columnCountTotal(); ++c) {
            const GroupedTableModel::Column &column = m_view.column(c);
            if (column.visible)
                designed += std::max({column.width, column.minWidth, 1});
        }
        double left = 0;
        for (int c = 0; c < m_view.columnCountTotal(); ++c) {
            const GroupedTableModel::Column &column = m_view.column(c);
            if (!column.visible)
                continue;
            const double width = m_pageWidth * std::max({column.width, column.minWidth, 1}) / designed;
            const Field *field =
                m_view.query() && !column.field.isEmpty() ? m_view.query()->findField(column.field) : nullptr;
            const bool money =
                column.currencyCell || (field && field->type() == calvora::store::FieldType::Money);
            m_columns.push_back({c, left, width, money});
            left += width;
        }
    }

    double titleHeight() const
    {
        const QFontMetricsF heading(m_heading, &m_device);
        const QFontMetricsF schedule(m_schedule, &m_device);
        const int itemRows = int(m_title.items.size() + 1) / 2;
        return heading.height() + schedule.height() + points(6) + itemRows * m_rowHeight + points(10);
    }

    void paintTitle(QPainter &painter) const
    {
        painter.setPen(Qt::black);
        painter.setFont(m_heading);
        const QFontMetricsF heading(m_heading, &m_device);
        double y = 0;
        painter.drawText(QRectF(0, y, m_pageWidth, heading.height()), Qt::AlignLeft | Qt::AlignVCenter,
                         heading.elidedText(m_title.heading, Qt::ElideRight, m_pageWidth));
        y += heading.height();
        painter.setFont(m_schedule);
        const QFontMetricsF schedule(m_schedule, &m_device);
        painter.drawText(QRectF(0, y, m_pageWidth, schedule.height()), Qt::AlignLeft | Qt::AlignVCenter,
                         m_title.schedule);
        y += schedule.height() + points(6);

        // The figures in two columns of caption and value, read across.
        const QFontMetricsF metrics(m_table, &m_device);
        double captionWidth = 0;
        for (const auto &[caption, value] : m_title.items)
            captionWidth = std::max(captionWidth, metrics.horizontalAdvance(caption + QLatin1Char(':')));
        const double half = m_pageWidth / 2;
        QFont bold = m_table;
        bold.setBold(true);
        for (std::size_t i = 0; i < m_title.items.size(); ++i) {
            const auto &[caption, value] = m_title.items[i];
            const double left = (i % 2) * half;
            const double top = y + double(i / 2) * m_rowHeight;
            painter.setFont(m_label);
            painter.drawText(QRectF(left, top, captionWidth, m_rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                             caption + QLatin1Char(':'));
            painter.setFont(bold);
            const QRectF valueRect(left + captionWidth + points(6), top, half - captionWidth - points(12),
                                   m_rowHeight);
            painter.drawText(
                valueRect, Qt::AlignLeft | Qt::AlignVCenter,
                QFontMetricsF(bold, &m_device).elidedText(value, Qt::ElideRight, valueRect.width()));
        }
    }

    QRectF tableRow(double y) const
    {
        return QRectF(0, y, m_columns.empty() ? 0 : right(m_columns.back()), m_rowHeight);
    }
    static double right(const Column &c) { return c.left + c.width; }

    QRectF textRect(const Column &c, double y) const
    {
        return QRectF(c.left + m_padding, y, c.width - 2 * m_padding, m_rowHeight);
    }

    void drawCell(QPainter &painter, const Column &c, double y, const QString &text, bool right) const
    {
        const QRectF area = textRect(c, y);
        const QFontMetricsF metrics(painter.font(), &m_device);
        painter.drawText(area,
                         int(right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter | Qt::TextSingleLine,
                         metrics.elidedText(text, Qt::ElideRight, area.width()));
    }

    void gridLines(QPainter &painter, double y, bool betweenCells) const
    {
        painter.setPen(QPen(GridLine, points(0.5)));
        const QRectF row = tableRow(y);
        painter.drawLine(QPointF(row.left(), row.bottom()), QPointF(row.right(), row.bottom()));
        if (!betweenCells)
            return;
        for (const Column &c : m_columns)
            painter.drawLine(QPointF(right(c), row.top()), QPointF(right(c), row.bottom()));
        painter.drawLine(QPointF(row.left(), row.top()), QPointF(row.left(), row.bottom()));
    }

    void paintHeaders(QPainter &painter, double y) const
    {
        const QRectF row = tableRow(y);
        painter.fillRect(row, HeaderColour);
        painter.setPen(QPen(GridLine, points(0.5)));
        painter.drawLine(row.topLeft(), row.topRight());
        painter.setFont(m_table);
        painter.setPen(Qt::black);
        for (const Column &c : m_columns)
            drawCell(painter, c, y, m_view.columnCaption(c.index), false);
        gridLines(painter, y, true);
    }

    void paintLine(QPainter &painter, const Line &line, double y) const
    {
        const QRectF row = tableRow(y);
        painter.setFont(m_table);
        switch (line.kind) {
        case RowKind::Group: {
            // A group row spans the table.
            painter.fillRect(row, HeaderColour);
            painter.setPen(Qt::black);
            const QRectF area = row.adjusted(m_padding * 2, 0, -m_padding, 0);
            const QFontMetricsF metrics(m_table, &m_device);
            const QString suffix = line.continued ? QStringLiteral(" (continued)") : QString();
            const QString text = metrics.elidedText(m_view.groupRowText(line.index), Qt::ElideRight,
                                                    area.width() - metrics.horizontalAdvance(suffix)) +
                                 suffix;
            painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
            gridLines(painter, y, false);
            painter.drawLine(QPointF(row.left(), row.top()), QPointF(row.left(), row.bottom()));
            painter.drawLine(QPointF(row.right(), row.top()), QPointF(row.right(), row.bottom()));
            return;
        }
        case RowKind::GroupFooter:
            painter.fillRect(row, FooterColour);
            painter.setPen(FooterText);
            for (const Column &c : m_columns)
                drawCell(painter, c, y, m_view.groupFooterText(line.index, c.index), c.money);
            break;
        case RowKind::Data:
            if (line.shaded)
                painter.fillRect(row, ContentEven);
            painter.setPen(Qt::black);
            for (const Column &c : m_columns)
                drawCell(painter, c, y, m_view.cellText(line.index, c.index), c.money);
            break;
        }
        gridLines(painter, y, true);
    }

    // The view's totals under their columns. A text wider than its column
    // runs into the free space its neighbours leave, as in the grid's footer.
    void paintTotals(QPainter &painter, double y) const
    {
        const QRectF row = tableRow(y);
        painter.fillRect(row, FooterColour);
        painter.setFont(m_table);
        const QFontMetricsF metrics(m_table, &m_device);
        struct Cell
        {
            QRectF area;
            QString text;
        };
        std::vector<Cell> cells;
        for (const Column &c : m_columns)
            cells.push_back({textRect(c, y), m_view.footerText(c.index)});
        auto freeSpace = [&](const Cell &c) {
            return c.area.width() -
                   (c.text.isEmpty() ? -2 * m_padding : metrics.horizontalAdvance(c.text) + 2 * m_padding);
        };
        painter.setPen(FooterText);
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (cells[i].text.isEmpty())
                continue;
            QRectF area = cells[i].area;
            const double wanted = metrics.horizontalAdvance(cells[i].text);
            if (wanted > area.width() && i + 1 < cells.size())
                area.setRight(area.right() + std::max(0.0, freeSpace(cells[i + 1])));
            if (wanted > area.width() && i > 0)
                area.setLeft(area.left() -
                             std::max(0.0, std::min(freeSpace(cells[i - 1]), wanted - area.width())));
            painter.drawText(area, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                             metrics.elidedText(cells[i].text, Qt::ElideRight, area.width()));
        }
        painter.setPen(QPen(GridLine, points(0.5)));
        painter.drawRect(row);
    }

    // The foot of every page: the mortgage and schedule on the left, the
    // page number on the right.
    void paintFoot(QPainter &painter, int number, int count) const
    {
        const QRectF foot(0, m_pageHeight - m_rowHeight, m_pageWidth, m_rowHeight);
        painter.setPen(QPen(GridLine, points(0.5)));
        painter.drawLine(foot.topLeft(), foot.topRight());
        painter.setFont(m_label);
        painter.setPen(Qt::black);
        const QString page = QStringLiteral("Page %1 of %2").arg(number).arg(count);
        const QFontMetricsF metrics(m_label, &m_device);
        painter.drawText(foot, Qt::AlignRight | Qt::AlignVCenter, page);
        const QString subject = m_title.heading.isEmpty()
                                    ? m_title.schedule
                                    : m_title.heading + QStringLiteral(" \u2013 ") + m_title.schedule;
        painter.drawText(foot, Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(subject, Qt::ElideRight,
                                            foot.width() - metrics.horizontalAdvance(page) - points(12)));
    }

    QPaintDevice &m_device;
    const GroupedTableModel &m_view;
    const ScheduleTitle &m_title;
    double m_dots; // printer dots per point
    QFont m_table;
    QFont m_heading;
    QFont m_schedule;
    QFont m_label;
    double m_rowHeight = 0;
    double m_padding = 0;
    double m_pageWidth = 0;
    double m_pageHeight = 0;
    double m_titleHeight = 0;
    double m_footHeight = 0;
    std::vector<Column> m_columns;
};

} // namespace

ScheduleTitle ScheduleTitleOf(const Query &mortgage, bool prepaymentView, const RegionalSettings &settings)
{
    if (!mortgage.isActive() || mortgage.currentRow() < 0)
        throw Error("There is no mortgage to print.");
    ScheduleTitle title;
    title.heading = mortgage.field(u"MortgageName").displayText();
    title.schedule =
        prepaymentView ? QStringLiteral("Prepayment Schedule") : QStringLiteral("Payment Schedule");

    const Field &rate = mortgage.field(u"InterestRate");
    const Field &term = mortgage.field(u"TermInMonth");
    calvora::DateTime first = 0;
    const bool hasFirst = firstPaymentMonth(mortgage, first);
    const QString firstText = hasFirst ? qt(calvora::formatDate("mmm yyyy", first, settings))
                                       : QStringLiteral("%1 %2")
                                             .arg(mortgage.field(u"StartMonth").displayText(),
                                                  mortgage.field(u"StartYear").displayText())
                                             .trimmed();
    auto months = [&settings](qint64 count) {
        return qt(calvora::formatFloat(",0", static_cast<long double>(count), settings)) +
               (count == 1 ? QStringLiteral(" month") : QStringLiteral(" months"));
    };

    title.items = {
        {QStringLiteral("Loan amount"), moneyText(mortgage.field(u"LoanAmount"), settings)},
        {QStringLiteral("Interest rate"),
         rate.isForeign() ? rate.displayText() : rate.displayText() + QLatin1Char('%')},
        {QStringLiteral("Term"), term.isForeign() ? term.displayText() : months(term.asInteger())},
        {QStringLiteral("First payment"), firstText},
        {QStringLiteral("Monthly payment"), moneyText(mortgage.field(u"MonthlyPayment"), settings)},
    };
    if (prepaymentView) {
        const Field &actualTerm = mortgage.field(u"ActualTerm");
        QString payoff;
        if (actualTerm.isForeign()) {
            payoff = actualTerm.displayText();
        } else if (const qint64 months_ = actualTerm.asInteger(); months_ <= 0) {
            payoff = QStringLiteral("Not within the term");
        } else if (hasFirst && months_ <= 12 * 9999) {
            payoff =
                qt(calvora::formatDate("mmm yyyy", calvora::incMonth(first, int(months_ - 1)), settings)) +
                QStringLiteral(" (") + months(months_) + QLatin1Char(')');
        } else {
            payoff = months(months_);
        }
        title.items.insert(
            title.items.end(),
            {
                {QStringLiteral("Prepayment"), moneyText(mortgage.field(u"Prepayment"), settings)},
                {QStringLiteral("Paid off"), payoff},
                {QStringLiteral("Interest saved"), moneyText(mortgage.field(u"InterestSaved"), settings)},
            });
    }
    return title;
}

int PrintSchedule(QPrinter &printer, const GroupedTableModel &view, const ScheduleTitle &title)
{
    // The whole layout first, so that every page knows how many there are
    // and a page too small for the table prints nothing.
    const SchedulePainter schedule(printer, view, title);
    if (schedule.rowsOnPage() < 2)
        throw Error(
            "The page is too small to print the schedule on; choose a larger paper size or smaller margins.");
    const std::vector<Page> pages = paginate(blocksOf(view), std::max(0, schedule.rowsOnFirstPage()),
                                             schedule.rowsOnPage(), schedule.hasTotals());

    if (printer.docName().isEmpty())
        printer.setDocName(title.heading.isEmpty() ? title.schedule
                                                   : title.heading + QStringLiteral(" - ") + title.schedule);
    QPainter painter;
    if (!painter.begin(&printer)) {
        if (printer.outputFormat() == QPrinter::PdfFormat)
            throw Error(QStringLiteral("Cannot write the schedule to %1.")
                            .arg(printer.outputFileName())
                            .toStdString());
        throw Error("The schedule could not be printed: the printer could not be opened.");
    }
    const int count = int(pages.size());
    for (int page = 0; page < count; ++page) {
        if (page > 0)
            printer.newPage();
        schedule.paintPage(painter, pages[std::size_t(page)], page + 1, count);
    }
    if (!painter.end())
        throw Error("The schedule could not be printed to the end.");
    return count;
}

int SaveSchedulePdf(const QString &fileName, const GroupedTableModel &view, const ScheduleTitle &title)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    printer.setPageMargins(DefaultMargins, QPageLayout::Millimeter);
    return PrintSchedule(printer, view, title);
}

QPrintPreviewDialog *PreviewSchedule(QWidget *parent, const GroupedTableModel &view, ScheduleTitle title)
{
    auto *dialog = new QPrintPreviewDialog(parent);
    dialog->setObjectName(QStringLiteral("dlgPrintPreview"));
    dialog->setWindowTitle(QStringLiteral("Print Preview - ") + title.schedule);
    dialog->printer()->setPageMargins(DefaultMargins, QPageLayout::Millimeter);
    QObject::connect(dialog, &QPrintPreviewDialog::paintRequested, dialog,
                     [&view, title = std::move(title)](QPrinter *printer) {
                         calvora::platform::guarded([&] { PrintSchedule(*printer, view, title); });
                     });
    return dialog;
}
