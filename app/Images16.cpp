#include "Images16.h"

#include <QPainter>
#include <QPainterPath>

#include <functional>

namespace {

using Draw = std::function<void(QPainter &)>;

QPixmap picture(const Draw &draw)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return pixmap;
}

void page(QPainter &p, QRectF r)
{
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    p.setBrush(Qt::white);
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 3, r.top());
    path.lineTo(r.right(), r.top() + 3);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.drawPath(path);
}

void arrow(QPainter &p, qreal angle)
{
    p.translate(8, 8);
    p.rotate(angle);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1E, 0x6E, 0x2E));
    p.drawPolygon(QPolygonF{{-2, -6}, {2, -6}, {2, 1}, {5, 1}, {0, 7}, {-5, 1}, {-2, 1}});
}

} // namespace

calvora::platform::ImageList makeImages16x16()
{
    const Draw pictures[] = {
        [](QPainter &p) { page(p, {3.5, 1.5, 9, 13}); },
        [](QPainter &p) {
            p.setPen(QPen(QColor(0xD0, 0x20, 0x20), 3, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(4, 4), QPointF(12, 12));
            p.drawLine(QPointF(12, 4), QPointF(4, 12));
        },
        [](QPainter &p) { arrow(p, 0); },
        [](QPainter &p) { arrow(p, 180); },
        [](QPainter &p) {
            p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(4.5, 1.5, 7, 5));
            p.setBrush(QColor(0x90, 0x90, 0x90));
            p.drawRect(QRectF(1.5, 6.5, 13, 6));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(4.5, 10.5, 7, 4));
        },
        [](QPainter &p) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0xF0, 0xD0, 0x30));
            p.drawPolygon(QPolygonF{{9, 2}, {15, 6}, {11, 9}});
            p.setBrush(QColor(0x50, 0x50, 0x60));
            p.drawPolygon(QPolygonF{{9, 4}, {12, 7}, {4, 15}, {1, 12}});
        },
        [](QPainter &p) {
            p.setPen(QPen(QColor(0x60, 0x40, 0x40), 1));
            p.setBrush(QColor(0xF0, 0x90, 0xA0));
            p.drawPolygon(QPolygonF{{2, 10}, {9, 3}, {14, 8}, {7, 15}});
            p.setBrush(Qt::white);
            p.drawPolygon(QPolygonF{{2, 10}, {5, 7}, {10, 12}, {7, 15}});
        },
        [](QPainter &p) {
            p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
            p.setBrush(QColor(0xF0, 0xC0, 0x30));
            p.drawPolygon(QPolygonF{{3, 11}, {11, 3}, {13, 5}, {5, 13}});
            p.setBrush(QColor(0x30, 0x30, 0x30));
            p.drawPolygon(QPolygonF{{3, 11}, {5, 13}, {2, 14}});
        },
        [](QPainter &p) {
            p.setPen(QPen(QColor(0x10, 0x90, 0x20), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolyline(QPolygonF{{3, 8}, {7, 12}, {13, 3}});
        },
        [](QPainter &p) { arrow(p, 90); },
        [](QPainter &p) { arrow(p, -90); },
        [](QPainter &p) {
            page(p, {1.5, 1.5, 8, 10});
            page(p, {6.5, 4.5, 8, 10});
        },
        [](QPainter &p) {
            p.setPen(QPen(QColor(0x10, 0x20, 0x60), 1));
            p.setBrush(QColor(0x30, 0x50, 0xB0));
            p.drawRect(QRectF(1.5, 1.5, 13, 13));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(4.5, 1.5, 7, 5));
            p.setBrush(QColor(0xC0, 0xC0, 0xC0));
            p.drawRect(QRectF(3.5, 9.5, 9, 5));
        },
        [](QPainter &p) {
            p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(1.5, 2.5, 13, 12));
            p.setBrush(QColor(0xD0, 0x30, 0x30));
            p.drawRect(QRectF(1.5, 2.5, 13, 3));
            p.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
            for (int y = 8; y <= 12; y += 2)
                for (int x = 4; x <= 12; x += 3)
                    p.drawPoint(QPointF(x, y));
        },
        [](QPainter &p) {
            p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
            p.setBrush(QColor(0xD8, 0xD8, 0xD0));
            p.drawRoundedRect(QRectF(2.5, 1.5, 11, 13), 1.5, 1.5);
            p.setBrush(QColor(0xA0, 0xD0, 0xA0));
            p.drawRect(QRectF(4.5, 3.5, 7, 3));
            p.setBrush(QColor(0x60, 0x60, 0x60));
            for (int y = 8; y <= 12; y += 2)
                for (int x = 5; x <= 11; x += 3)
                    p.drawRect(QRectF(x - 0.5, y - 0.5, 1.5, 1));
        },
    };
    calvora::platform::ImageList list(16);
    for (const Draw &draw : pictures) {
        const QPixmap coloured = picture(draw);
        list.add(coloured);
        list.add(calvora::platform::ImageList::greyed(coloured));
    }
    return list;
}
