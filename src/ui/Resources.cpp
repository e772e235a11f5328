#include "ui/Resources.h"

#include <QApplication>
#include <map>

static void InitResourcesOutsideAnyNamespace()
{
    Q_INIT_RESOURCE(quorvel);
}

void InitQuorvelResources()
{
    static bool done = false;
    if (!done) {
        InitResourcesOutsideAnyNamespace();
        done = true;
    }
}

namespace {

std::map<int, QCursor>& Cursors()
{
    static std::map<int, QCursor> cursors;
    return cursors;
}

}  // namespace

void RegisterCursors()
{
    InitQuorvelResources();
    Cursors()[1] = QCursor(QPixmap(QStringLiteral(":/cursors/BUILDTREE")), 0, 0);
    Cursors()[2] = QCursor(QPixmap(QStringLiteral(":/cursors/BUILDLETTERTEXT")), 0, 0);
}

QCursor PointerCursor(PointerShape shape)
{
    auto it = Cursors().find(static_cast<int>(shape));
    return it != Cursors().end() ? it->second : QCursor(Qt::WaitCursor);
}

QPixmap ResourceImage(const QString& name)
{
    InitQuorvelResources();
    return QPixmap(QStringLiteral(":/images/") + name);
}

std::vector<QIcon> ImageStrip(const QString& name)
{
    QPixmap strip = ResourceImage(name);
    std::vector<QIcon> icons;
    for (int x = 0; x + 16 <= strip.width(); x += 16)
        icons.emplace_back(strip.copy(x, 0, 16, 16));
    return icons;
}

QIcon ResourceIcon(const QString& name)
{
    InitQuorvelResources();
    return QIcon(QStringLiteral(":/icons/") + name);
}

BusyPointer::BusyPointer(PointerShape shape)
{
    QApplication::setOverrideCursor(PointerCursor(shape));
}

BusyPointer::~BusyPointer()
{
    QApplication::restoreOverrideCursor();
}
