// The area window's letter pane: the header and the viewer in their scroll
// box, the current letter shown there and reflowed to the viewer's width.
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QStatusBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QVBoxLayout>

#include "core/FidoAddress.h"
#include "core/StringHelpers.h"
#include "core/UserSettings.h"
#include "core/Utf8Text.h"
#include "model/Session.h"
#include "settings/QtText.h"
#include "text/LetterDates.h"
#include "text/TFormattedStrings.h"
#include "ui/AreaF/TAreaForm.h"
#include "ui/AreaF/TLetterViewer.h"
#include "ui/Dialogs.h"
#include "ui/Nodelists.h"
#include "ui/Resources.h"

namespace {

// The width the reflow leaves free of the viewer's.
constexpr int ViewerMargin = 19;

}  // namespace

void TAreaForm::CreateLetterPanel()
{
    LetterPanel = new QFrame(Splitter);
    LetterPanel->setObjectName(QStringLiteral("LetterPanel"));
    LetterPanel->setContentsMargins(2, 2, 2, 2);
    auto* letterLayout = new QVBoxLayout(LetterPanel);
    letterLayout->setContentsMargins(0, 0, 0, 0);
    letterLayout->setSpacing(4);

    HeaderPanel = new QFrame(LetterPanel);
    HeaderPanel->setObjectName(QStringLiteral("HeaderPanel"));
    HeaderPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // At least its classic height, higher when a larger font needs it.
    HeaderPanel->setMinimumHeight(84);
    HeaderPanel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* grid = new QGridLayout(HeaderPanel);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setVerticalSpacing(0);
    grid->setColumnMinimumWidth(0, 101);
    grid->setColumnStretch(1, 1);
    const char* captions[] = {"От кого:", "Кому:", "Написано:", "Обработано:", "Заголовок:"};
    const char* names[] = {"FromLabel", "ToLabel", "DateTimeWritten", "DateTimeArrived", "SubjectLabel"};
    QLabel* values[5];
    for (int row = 0; row < 5; ++row) {
        auto* caption = new QLabel(QString::fromUtf8(captions[row]), HeaderPanel);
        QFont bold = caption->font();
        bold.setBold(true);
        caption->setFont(bold);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        caption->setMinimumWidth(101);
        grid->addWidget(caption, row, 0);
        values[row] = new QLabel(HeaderPanel);
        values[row]->setObjectName(QString::fromLatin1(names[row]));
        // Names and subjects are shown as they are, ampersands too.
        values[row]->setTextFormat(Qt::PlainText);
        values[row]->setTextInteractionFlags(Qt::NoTextInteraction);
        grid->addWidget(values[row], row, 1);
    }
    FromLabel = values[0];
    ToLabel = values[1];
    DateTimeWritten = values[2];
    DateTimeArrived = values[3];
    SubjectLabel = values[4];
    letterLayout->addWidget(HeaderPanel);

    ScrollBox = new QScrollArea(LetterPanel);
    ScrollBox->setObjectName(QStringLiteral("ScrollBox"));
    ScrollBox->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ScrollBox->setFocusPolicy(Qt::NoFocus);
    ScrollBox->setWidgetResizable(false);
    // Always there, so that the width the text is wrapped to never flips
    // with the scroll bar.
    ScrollBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ScrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox->setBackgroundRole(QPalette::Base);
    Viewer = new TLetterViewer(ScrollBox, nullptr);
    ScrollBox->setWidget(Viewer);
    ScrollBox->verticalScrollBar()->setSingleStep(TLetterViewer::RowPitch);
    ScrollBox->viewport()->installEventFilter(this);
    letterLayout->addWidget(ScrollBox, 1);

    Splitter->addWidget(BrowsePanel);
    Splitter->addWidget(LetterPanel);
    // The tree keeps its width when the window is resized; until the user
    // moves the splitter it keeps the width wanted (the stored one, else a
    // share of the window), as the window takes its size.
    Splitter->setStretchFactor(0, 0);
    Splitter->setStretchFactor(1, 1);
    Splitter->installEventFilter(this);
    connect(Splitter, &QSplitter::splitterMoved, this, [this] { TreeWidthChosen = true; });
}

// ---------------------------------------------------------------- the letter

void TAreaForm::ShowCurrentLetter()
{
    ShownTextValid = false;
    ShownLetter = nullptr;
    TLetter* letter = Area ? Area->Current : nullptr;
    if (!letter) {
        for (QLabel* label : {SubjectLabel, FromLabel, ToLabel, DateTimeWritten})
            label->clear();
        Viewer->SetLines({});
        ShowStatusPanel1();
        return;
    }
    BusyPointer busy(PointerShape::BuildLetterText);
    DateTimeWritten->setText(ToQString(LetterDateTime(letter->Date)));
    TFormattedStrings text;
    // The header as the letter's text names its character set (the list
    // may have read it by the rule for letters that name none).
    TLetterText read{{}, Charset::None, letter->From, letter->To, letter->Subject};
    const bool inBase = letter->StillValid();
    if (inBase)
        read = letter->ReadLetter();
    else
        read.Lines.push_back(Format("[письмо #%u отсутствует в базе]", letter->Number));
    text.Lines = std::move(read.Lines);
    SubjectLabel->setText(ToQString(read.Subject));
    std::size_t bytes = 0;  // characters, as the letter's size was always shown
    for (const std::string& line : text.Lines)
        bytes += Utf8Length(line) + 2;
    StatusPanel2->setText(ToQString(Format("%zu байт", bytes)));
    ShownText = text.Lines;
    ShownLetter = letter;
    ShownTextValid = true;

    // The base stands on the letter: the addresses come from its header
    // where the text names none.
    text.ReFormat(KludgesItem->isChecked(), 0, Viewer->width() - ViewerMargin, &Viewer->TextCanvas(),
                  inBase ? Area->Base.get() : nullptr, Owner.Settings.MainAddress);
    // The sender's node as the nodelist names it, where it knows the address.
    FromLabel->setText(ToQString(Format("%s  %s", read.From.c_str(),
                                       inBase ? AddressWithStation(text.FromAddr).c_str() : "")));
    ShownFrom = read.From;
    ShownFromAddress = inBase ? text.FromAddr : FidoAddress{};
    ToLabel->setText(ToQString(Format("%s  %s", read.To.c_str(), "")));
    Viewer->SetLines(std::move(text.Lines));
    ShowStatusPanel1();
}

void TAreaForm::AddSenderToAddressBook()
{
    if (!ShownLetter || ShownFromAddress.IsZero())
        return;
    AddressBook& book = ProgramAddressBook();
    book.Remember(ShownFrom, ShownFromAddress, "");
    if (std::string error = book.Save(); !error.empty())
        ShowError("Адресная книга не записана: " + error, this);
    else
        StatusBar->showMessage(ToQString(ShownFrom + " (" + AddressToText(ShownFromAddress) + ") — в адресной книге"),
                               3000);
}

void TAreaForm::ReflowShownText()
{
    // Only the width changed: the same text, wrapped anew; the header stays.
    TFormattedStrings text;
    text.Lines = ShownText;
    text.ReFormat(KludgesItem->isChecked(), 0, Viewer->width() - ViewerMargin, &Viewer->TextCanvas(), nullptr,
                  Owner.Settings.MainAddress);
    Viewer->SetLines(std::move(text.Lines));
}

void TAreaForm::ViewerWidthChanged()
{
    const int width = ScrollBox->viewport()->width();
    if (Viewer->width() == width)
        return;
    Viewer->resize(width, Viewer->height());
    if (!Area)
        return;
    if (ShownTextValid && ShownLetter == Area->Current)
        ReflowShownText();
    else
        ShowCurrentLetter();
}
