#include "ui/AboutF/TAboutForm.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/Startup.h"
#include "ui/Resources.h"

namespace {

// A one-line field as wide as its text: the dialog grows with the font.
QLineEdit* ReadOnlyLine(const QString& text, QWidget* parent)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setReadOnly(true);
    edit->setFrame(false);
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(text) + 12);
    return edit;
}

// The client area the box has at least, and the picture's size.
constexpr QSize BoxSize(310, 283);
constexpr QSize PictureSize(144, 190);

}  // namespace

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("О программе"));

    TabbedNotebook1 = new QTabWidget(this);
    TabbedNotebook1->setObjectName(QStringLiteral("TabbedNotebook1"));

    auto* program = new QWidget;
    auto* programLayout = new QVBoxLayout(program);
    programLayout->setContentsMargins(16, 16, 16, 16);
    Label1 = new QLabel(QString::fromLatin1(ProgramTitle), program);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont big(QStringLiteral("MS Sans Serif"));
    big.setPixelSize(31);
    Label1->setFont(big);
    VersionEdit = ReadOnlyLine(QStringLiteral("Версия ") + QString::fromLatin1(ProgramVersion), program);
    Edit2 = ReadOnlyLine(QStringLiteral("Написано разработчиками Quorvel для пойнтов ФидоНета."), program);
    VersionEdit->setObjectName(QStringLiteral("VersionEdit"));
    Edit2->setObjectName(QStringLiteral("Edit2"));
    programLayout->addWidget(Label1);
    programLayout->addSpacing(14);
    programLayout->addWidget(VersionEdit);
    programLayout->addWidget(Edit2);
    programLayout->addStretch();
    TabbedNotebook1->addTab(program, QStringLiteral("&Программа"));

    auto* author = new QWidget;
    auto* authorLayout = new QHBoxLayout(author);
    authorLayout->setContentsMargins(8, 8, 8, 8);
    // The picture lies over the black panel, which shows where it cannot.
    auto* frame = new QWidget(author);
    frame->setFixedSize(PictureSize);
    NoImage = new QLabel(QStringLiteral("Картинка(256 цветов)"), frame);
    NoImage->setObjectName(QStringLiteral("NoImage"));
    NoImage->setGeometry(QRect(QPoint(0, 0), PictureSize));
    NoImage->setAlignment(Qt::AlignCenter);
    NoImage->setWordWrap(true);
    NoImage->setStyleSheet(QStringLiteral("background: black; color: white;"));
    Image = new QLabel(frame);
    Image->setObjectName(QStringLiteral("Image"));
    Image->setGeometry(QRect(QPoint(0, 0), PictureSize));
    Image->setPixmap(ResourceImage(QStringLiteral("ABOUT_PORTRAIT")));
    Memo3 = new QPlainTextEdit(author);
    Memo3->setObjectName(QStringLiteral("Memo3"));
    Memo3->setReadOnly(true);
    Memo3->setFrameStyle(QFrame::NoFrame);
    Memo3->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo3->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo3->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QStringList memoLines = {QStringLiteral("Имя:"),      QStringLiteral("   Пойнт Квор"), QString(),
                                   QStringLiteral("Прозвище:"), QStringLiteral("   Кворвел"),    QString(),
                                   QStringLiteral("Адрес:"),    QStringLiteral("   2:5020/9999.1"), QString(),
                                   QStringLiteral("Телефон:"),  QStringLiteral("   нет")};
    Memo3->setPlainText(memoLines.join(QLatin1Char('\n')));
    // Every line in sight, whatever the font.
    int widest = 0;
    for (const QString& line : memoLines)
        widest = std::max(widest, Memo3->fontMetrics().horizontalAdvance(line));
    const int margin = 2 * static_cast<int>(Memo3->document()->documentMargin()) + 4;
    Memo3->setMinimumSize(std::max(128, widest + margin),
                          std::max(PictureSize.height(),
                                   static_cast<int>(memoLines.size()) * Memo3->fontMetrics().lineSpacing() + margin));
    authorLayout->addWidget(frame, 0, Qt::AlignTop);
    authorLayout->addWidget(Memo3, 1);
    TabbedNotebook1->addTab(author, QStringLiteral("&Автор"));

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setMinimumWidth(75);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 5, 6);
    layout->addWidget(TabbedNotebook1, 1);
    layout->addWidget(OKBtn, 0, Qt::AlignHCenter);
    // A fixed dialog border, the size the texts need (at least the box's own).
    setFixedSize(sizeHint().expandedTo(BoxSize));

    // Displays with a small palette show the black panel instead of the picture.
    if (QScreen* screen = QGuiApplication::primaryScreen(); screen && screen->depth() > 0 && screen->depth() < 8)
        Image->hide();

    for (const char* key : {"Ctrl+Tab", "Ctrl+Shift+Tab"})
        connect(new QShortcut(QKeySequence(QString::fromLatin1(key)), this), &QShortcut::activated, this,
                &TAboutForm::SwitchPage);
}

void TAboutForm::SwitchPage()
{
    TabbedNotebook1->setCurrentIndex(1 - TabbedNotebook1->currentIndex());
}

void TAboutForm::Execute(QWidget* parent)
{
    TAboutForm dialog(parent);
    dialog.exec();
}
