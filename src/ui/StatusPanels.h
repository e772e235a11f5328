// The panels of the windows' status bars: sunken labels at least their
// classic width. A panel that does not stretch grows whenever its text needs
// more (a larger font, a long tag), so that no status text is cut; one that
// stretches takes the rest of the bar.
#pragma once

class QLabel;
class QStatusBar;

QLabel* AddStatusPanel(QStatusBar* bar, const char* name, int width, int stretch = 0);
