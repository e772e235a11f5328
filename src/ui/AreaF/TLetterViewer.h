// The letter viewer of the area window: the reflowed lines of the current
// letter, one row each, drawn in the colours of their kinds. It lies in a
// scroll box (vertical scrolling only) and is as tall as its rows.
#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

class Canvas;
class QScrollArea;

class TLetterViewer : public QWidget {
    Q_OBJECT
public:
    // Each row is 17 pixels high plus a 1-pixel line.
    static constexpr int RowHeight = 17;
    static constexpr int RowPitch = RowHeight + 1;
    // Text starts this far from the left edge.
    static constexpr int TextIndent = 2;

    TLetterViewer(QScrollArea* scrollBox, QWidget* parent);
    ~TLetterViewer() override;

    // Shows these lines, scrolled to the top.
    void SetLines(std::vector<std::string> lines);
    const std::vector<std::string>& Lines() const { return Rows; }

    // Measures text in the viewer's font, for reflowing.
    const Canvas& TextCanvas() const;
    // The colour a row is drawn in: the kind of its line.
    QColor RowColour(std::size_t row) const;
    // The text a row draws (a leading Ctrl-A dropped).
    QString RowText(std::size_t row) const;

signals:
    // The minus key: up one level (the viewer's own key, before the tree's).
    void UpOneLevelKey();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QScrollArea* ScrollBox;
    std::vector<std::string> Rows;
    std::unique_ptr<Canvas> Measure;

    // Keys the viewer takes for itself: scrolling, and minus.
    static bool IsOwnKey(const QKeyEvent* event);
};
