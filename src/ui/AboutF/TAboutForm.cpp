#include "ui/AboutF/TAboutForm.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTabWidget>

#include "core/Startup.h"
#include "ui/Resources.h"

namespace {

QLineEdit* ReadOnlyLine(const QString& text, QWidget* parent)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setReadOnly(true);
    edit->setFrame(false);
    return edit;
}

}  // namespace

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("О программе"));
    setFixedSize(310, 283);

    TabbedNotebook1 = new QTabWidget(this);
    TabbedNotebook1->setObjectName(QStringLiteral("TabbedNotebook1"));
    TabbedNotebook1->setGeometry(8, 8, 297, 239);

    auto* program = new QWidget;
    Label1 = new QLabel(QString::fromLatin1(ProgramTitle), program);
    QFont big(QStringLiteral("MS Sans Serif"));
    big.setPixelSize(31);
    Label1->setFont(big);
    Label1->setGeometry(16, 16, 260, 40);
    VersionEdit = ReadOnlyLine(QString(), program);
    VersionEdit->setGeometry(16, 70, 260, 20);
    VersionEdit->setText(QStringLiteral("Версия ") + QString::fromLatin1(ProgramVersion));
    Edit2 = ReadOnlyLine(QStringLiteral("Написано разработчиками Quorvel для пойнтов ФидоНета."), program);
    Edit2->setGeometry(16, 100, 260, 20);
    TabbedNotebook1->addTab(program, QStringLiteral("&Программа"));

    auto* author = new QWidget;
    NoImage = new QLabel(QStringLiteral("Картинка(256 цветов)"), author);
    NoImage->setGeometry(8, 8, 144, 190);
    NoImage->setAlignment(Qt::AlignCenter);
    NoImage->setWordWrap(true);
    NoImage->setStyleSheet(QStringLiteral("background: black; color: white;"));
    Image = new QLabel(author);
    Image->setGeometry(8, 8, 144, 190);
    Image->setPixmap(ResourceImage(QStringLiteral("ABOUT_PORTRAIT")));
    Memo3 = new QPlainTextEdit(author);
    Memo3->setReadOnly(true);
    Memo3->setFrameStyle(QFrame::NoFrame);
    Memo3->setGeometry(158, 8, 128, 190);
    Memo3->setPlainText(QStringLiteral("Имя:\n   Пойнт Квор\n\nПрозвище:\n   Кворвел\n\n"
                                       "Адрес:\n   2:5020/9999.1\n\nТелефон:\n   нет\n"));
    TabbedNotebook1->addTab(author, QStringLiteral("&Автор"));

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setGeometry(118, 252, 75, 25);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);

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
