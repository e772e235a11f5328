#include "ui/AreaF/TLetterViewer.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>

#include "settings/QtText.h"
#include "text/LineKinds.h"
#include "ui/FontCanvas.h"

TLetterViewer::TLetterViewer(QScrollArea* scrollBox, QWidget* parent)
    : QWidget(parent), ScrollBox(scrollBox)
{
    setObjectName(QStringLiteral("Viewer"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    QFont viewerFont(QStringLiteral("MS Sans Serif"));
    viewerFont.setPixelSize(13);
    setFont(viewerFont);
    Measure = std::make_unique<FontCanvas>(font());
    resize(width(), 0);
}

TLetterViewer::~TLetterViewer() = default;

void TLetterViewer::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        Measure = std::make_unique<FontCanvas>(font());
    QWidget::changeEvent(event);
}

const Canvas& TLetterViewer::TextCanvas() const
{
    return *Measure;
}

void TLetterViewer::SetLines(std::vector<std::string> lines)
{
    Rows = std::move(lines);
    resize(width(), static_cast<int>(Rows.size()) * RowPitch);
    update();
    ScrollBox->verticalScrollBar()->setValue(0);
}

QColor TLetterViewer::RowColour(std::size_t row) const
{
    const uint32_t rgb = row < Rows.size() ? LineKindColour(LineKind(Rows[row])) : PlainColour;
    return QColor::fromRgb(static_cast<QRgb>(rgb));
}

QString TLetterViewer::RowText(std::size_t row) const
{
    if (row >= Rows.size())
        return QString();
    const std::string& line = Rows[row];
    return ToQString(!line.empty() && line.front() == '\x01' ? line.substr(1) : line);
}

void TLetterViewer::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect exposed = event->rect();
    const QColor background = palette().color(QPalette::Base);
    painter.fillRect(exposed, background);
    if (Rows.empty())
        return;
    const int first = std::max(0, exposed.top() / RowPitch);
    const int last = std::min(static_cast<int>(Rows.size()) - 1, exposed.bottom() / RowPitch);
    for (int row = first; row <= last; ++row) {
        const int top = row * RowPitch;
        // The row and the line below it.
        painter.fillRect(QRect(0, top, width(), RowPitch), background);
        painter.setPen(RowColour(static_cast<std::size_t>(row)));
        painter.drawText(QRect(TextIndent, top, width() - TextIndent, RowHeight),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextExpandTabs,
                         RowText(static_cast<std::size_t>(row)));
    }
}

bool TLetterViewer::IsOwnKey(const QKeyEvent* event)
{
    // Only without Shift, Ctrl or Alt: with them the keys are the menus'.
    if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    switch (event->key()) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Minus:
        return true;
    default:
        return false;
    }
}

bool TLetterViewer::event(QEvent* event)
{
    // Taking the key here keeps the window's shortcuts (the tree's minus)
    // from seeing it.
    if (event->type() == QEvent::ShortcutOverride && IsOwnKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void TLetterViewer::keyPressEvent(QKeyEvent* event)
{
    if (!IsOwnKey(event)) {
        QWidget::keyPressEvent(event);
        return;
    }
    QScrollBar* bar = ScrollBox->verticalScrollBar();
    switch (event->key()) {
    case Qt::Key_PageUp: bar->setValue(bar->value() - bar->pageStep()); break;
    case Qt::Key_PageDown: bar->setValue(bar->value() + bar->pageStep()); break;
    case Qt::Key_Home: bar->setValue(bar->minimum()); break;
    case Qt::Key_End: bar->setValue(bar->maximum()); break;
    case Qt::Key_Up: bar->setValue(bar->value() - RowPitch); break;
    case Qt::Key_Down: bar->setValue(bar->value() + RowPitch); break;
    case Qt::Key_Minus: emit UpOneLevelKey(); break;
    default: break;
    }
    event->accept();
}
