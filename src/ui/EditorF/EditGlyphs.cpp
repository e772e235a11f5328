#include "ui/EditorF/EditGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int Size = 16;
const QColor Ink(0x30, 0x30, 0x30);
const QColor Paper(0xFF, 0xFF, 0xF0);
const QColor Blue(0x20, 0x50, 0xC0);

// A sheet of paper with a few lines of writing.
void Sheet(QPainter& painter, const QRect& rect)
{
    painter.setPen(Ink);
    painter.setBrush(Paper);
    painter.drawRect(rect);
    painter.setPen(QColor(0x80, 0x80, 0x80));
    for (int y = rect.top() + 3; y < rect.bottom() - 1; y += 2)
        painter.drawLine(rect.left() + 2, y, rect.right() - 2, y);
}

}  // namespace

QIcon EditGlyphIcon(EditGlyph glyph)
{
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    switch (glyph) {
    case EditGlyph::Save:
        painter.setPen(Ink);
        painter.setBrush(Blue);
        painter.drawRect(1, 1, 13, 13);
        painter.setBrush(Paper);
        painter.drawRect(4, 1, 7, 5);
        painter.setBrush(QColor(0xC0, 0xC0, 0xC0));
        painter.drawRect(4, 9, 7, 5);
        break;
    case EditGlyph::Leave:
        painter.setPen(Ink);
        painter.setBrush(QColor(0xA0, 0x60, 0x20));
        painter.drawRect(3, 1, 9, 14);
        painter.setBrush(Qt::yellow);
        painter.drawEllipse(QPoint(10, 8), 1, 1);
        break;
    case EditGlyph::Cut: {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Ink, 1.5));
        painter.drawLine(QPointF(5, 1), QPointF(10.5, 10));
        painter.drawLine(QPointF(11, 1), QPointF(5.5, 10));
        painter.setPen(QPen(Blue, 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPointF(4.5, 12.5), 2.5, 2.5);
        painter.drawEllipse(QPointF(11.5, 12.5), 2.5, 2.5);
        break;
    }
    case EditGlyph::Copy:
        Sheet(painter, QRect(1, 1, 9, 10));
        Sheet(painter, QRect(6, 5, 9, 10));
        break;
    case EditGlyph::Paste:
        painter.setPen(Ink);
        painter.setBrush(QColor(0xA0, 0x60, 0x20));
        painter.drawRect(1, 2, 11, 13);
        painter.setBrush(QColor(0xC0, 0xC0, 0xC0));
        painter.drawRect(4, 0, 5, 3);
        Sheet(painter, QRect(6, 6, 9, 9));
        break;
    case EditGlyph::Undo: {
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath curve;
        curve.moveTo(4, 6);
        curve.cubicTo(9, 2, 15, 5, 13, 12);
        painter.setPen(QPen(Blue, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(curve);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Blue);
        painter.drawPolygon(QPolygonF({QPointF(1, 7), QPointF(7, 2), QPointF(7.5, 10)}));
        break;
    }
    }
    painter.end();
    return QIcon(pixmap);
}
