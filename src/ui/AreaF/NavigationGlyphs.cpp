#include "ui/AreaF/NavigationGlyphs.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>

#include "model/TConversationTree.h"

namespace {

enum class Direction { Left, Right, Up, Down };

constexpr int Size = 16;

// A filled triangle pointing in a direction, its tip at x (or y) = tip.
void Triangle(QPainter& painter, Direction direction, int tip)
{
    QPolygon shape;
    switch (direction) {
    case Direction::Left: shape << QPoint(tip, 8) << QPoint(tip + 6, 2) << QPoint(tip + 6, 14); break;
    case Direction::Right: shape << QPoint(tip, 8) << QPoint(tip - 6, 2) << QPoint(tip - 6, 14); break;
    case Direction::Up: shape << QPoint(8, tip) << QPoint(2, tip + 6) << QPoint(14, tip + 6); break;
    case Direction::Down: shape << QPoint(8, tip) << QPoint(2, tip - 6) << QPoint(14, tip - 6); break;
    }
    painter.drawPolygon(shape);
}

QIcon Arrows(Direction direction, int count, const QColor& colour, bool bar)
{
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(colour.darker(130));
    painter.setBrush(colour);
    const bool horizontal = direction == Direction::Left || direction == Direction::Right;
    const bool forward = direction == Direction::Right || direction == Direction::Down;
    if (count == 1) {
        Triangle(painter, direction, forward ? 11 : 4);
    } else {
        Triangle(painter, direction, forward ? 8 : 1);
        Triangle(painter, direction, forward ? 15 : 8);
    }
    if (bar) {
        // A line across the tip: as far as it goes at this level, or the top.
        painter.setPen(QPen(colour.darker(130), 2));
        if (horizontal)
            painter.drawLine(forward ? 13 : 2, 2, forward ? 13 : 2, 14);
        else
            painter.drawLine(2, forward ? 13 : 2, 14, forward ? 13 : 2);
    }
    painter.end();
    return QIcon(pixmap);
}

}  // namespace

QIcon NavigationGlyph(int command)
{
    const QColor plain(0x20, 0x50, 0xC0);
    const QColor fresh(0xD0, 0x00, 0x00);
    const QColor level(0x20, 0x80, 0x40);
    switch (command) {
    case PreviousLetter: return Arrows(Direction::Left, 1, plain, false);
    case NextLetter: return Arrows(Direction::Right, 1, plain, false);
    case PreviousUnreadLetter: return Arrows(Direction::Left, 1, fresh, false);
    case NextUnreadLetter: return Arrows(Direction::Right, 1, fresh, false);
    case PreviousConversation: return Arrows(Direction::Left, 2, plain, false);
    case NextConversation: return Arrows(Direction::Right, 2, plain, false);
    case PreviousUnreadConversation: return Arrows(Direction::Left, 2, fresh, false);
    case NextUnreadConversation: return Arrows(Direction::Right, 2, fresh, false);
    case UpOneLevel: return Arrows(Direction::Up, 1, level, false);
    case DownOneLevel: return Arrows(Direction::Down, 1, level, false);
    case ThisLevelUp: return Arrows(Direction::Up, 1, plain, true);
    case ThisLevelDown: return Arrows(Direction::Down, 1, plain, true);
    case GotoRoot: return Arrows(Direction::Up, 2, level, true);
    default: return QIcon();
    }
}
