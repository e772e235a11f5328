// The program's compiled-in pictures and the two pointer shapes.
#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <vector>

// Makes the resources of the static ui library available (once, at start-up).
void InitQuorvelResources();

// Registers pointer number 1 ("BUILDTREE") and 2 ("BUILDLETTERTEXT").
void RegisterCursors();
enum class PointerShape { Hourglass = 0, BuildTree = 1, BuildLetterText = 2 };
QCursor PointerCursor(PointerShape shape);

// A named picture: "AREASF_TREEIMAGES", "AREAF_TREEIMAGES", "ABOUT_PORTRAIT".
QPixmap ResourceImage(const QString& name);
// A strip of 16x16 images cut into icons.
std::vector<QIcon> ImageStrip(const QString& name);
// A window icon: "Z_AREASF_ICON", "Z_AREAF_ICON", "Z_EDITORF_ICON", "NEWMAIL_ICON".
QIcon ResourceIcon(const QString& name);

// Shows a pointer shape while it lives (the window is busy), then restores.
class BusyPointer {
public:
    explicit BusyPointer(PointerShape shape);
    ~BusyPointer();
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};
