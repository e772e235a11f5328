#include "ui/StatusPanels.h"

#include <QLabel>
#include <QStatusBar>
#include <algorithm>

namespace {

// The status bar gives a panel that does not stretch its minimum width.
class GrowingPanel : public QLabel {
public:
    GrowingPanel(int width, QWidget* parent) : QLabel(parent), Floor(width) {}
    QSize minimumSizeHint() const override { return Wide(QLabel::minimumSizeHint()); }
    QSize sizeHint() const override { return Wide(QLabel::sizeHint()); }

private:
    int Floor;
    QSize Wide(QSize size) const
    {
        size.setWidth(std::max(Floor, QLabel::sizeHint().width()));
        return size;
    }
};

}  // namespace

QLabel* AddStatusPanel(QStatusBar* bar, const char* name, int width, int stretch)
{
    QLabel* panel = stretch > 0 ? new QLabel(bar) : new GrowingPanel(width, bar);
    if (stretch > 0)
        panel->setMinimumWidth(width);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar->addWidget(panel, stretch);
    return panel;
}
