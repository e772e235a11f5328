#include "ui/EditorF/TEditorForm.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>

#include "core/FidoAddress.h"
#include "core/StringHelpers.h"
#include "core/UserSettings.h"
#include "model/Session.h"
#include "model/TArea.h"
#include "settings/QtText.h"
#include "text/LetterDates.h"
#include "text/LineKinds.h"
#include "text/Netmail.h"
#include "text/PreparedText.h"
#include "text/SaveLetter.h"
#include "ui/AboutF/TAboutForm.h"
#include "ui/AreaWindowEntry.h"
#include "ui/AreasF/TAreasForm.h"
#include "ui/Dialogs.h"
#include "ui/EditorF/AddressCompletion.h"
#include "ui/EditorF/EditGlyphs.h"
#include "ui/IPopup/TIndirectPopupMenu.h"
#include "ui/MenuItems.h"
#include "ui/Nodelists.h"
#include "ui/QuorvelApplication.h"
#include "ui/Resources.h"
#include "ui/TSpeedBar.h"
#include "ui/UserSettingsEntry.h"

namespace {

using Keys = QList<QKeySequence>;

QTextCharFormat KindFormat(uint32_t colour)
{
    QTextCharFormat format;
    format.setForeground(QColor::fromRgb(colour));
    return format;
}

// Clears a flag when it leaves scope.
struct FlagScope {
    bool& Flag;
    explicit FlagScope(bool& flag) : Flag(flag) { Flag = true; }
    ~FlagScope() { Flag = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;
};

// Holds a widget's redrawing while a change is made in several steps.
struct UpdatesHeld {
    QWidget* Widget;
    explicit UpdatesHeld(QWidget* widget) : Widget(widget) { Widget->setUpdatesEnabled(false); }
    ~UpdatesHeld() { Widget->setUpdatesEnabled(true); }
    UpdatesHeld(const UpdatesHeld&) = delete;
    UpdatesHeld& operator=(const UpdatesHeld&) = delete;
};

}  // namespace

// ---------------------------------------------------------------- opening

EditorState TEditorForm::StateFor(TArea* area, int mode)
{
    EditorState state;
    state.Mode = mode;
    state.Area = area;
    state.Netmail = area->Owner.Settings.IsNetmailArea(area->Tag);
    if (mode != NewLetterMode && area->Current) {
        // Read before anything of the window exists: a failure leaves no window.
        state.AnsweredKey = area->Current->Key;
        ReadAnsweredText(state, *area->Current);
    }
    return state;
}

TEditorForm::TEditorForm(TArea* area, int mode)
    : FormWindow(nullptr), Owner(area->Owner), State(StateFor(area, mode)), AreaWindow(FindAreaWindow(area)), AreaTag(area->Tag),
      AreaBaseSpec(area->BaseSpec)
{
    setObjectName(QStringLiteral("EditorForm"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowIcon(ResourceIcon(QStringLiteral("Z_EDITORF_ICON")));

    CreateHeader();
    CreateMenus();
    CreateSpeedBar();
    CreateStatusBar();
    MakeStorage("TEditorForm", false);  // the status bar's visibility is not kept
    FreedWhenClosed();
    FillHeader();

    ShowStored();
    raise();
    activateWindow();
    // A changed letter is shown at once; every editor starts in the subject.
    if (State.Mode == ChangeMode) {
        RichEdit->setFocus();
        EnterText();
    }
    SubjectEdit->setFocus();
}

TEditorForm::~TEditorForm() = default;

void TEditorForm::CreateHeader()
{
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(4);
    setCentralWidget(central);

    HeaderPanel = new QFrame(central);
    HeaderPanel->setObjectName(QStringLiteral("HeaderPanel"));
    HeaderPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    // At least its classic height, higher when a larger font needs it.
    HeaderPanel->setMinimumHeight(65);
    HeaderPanel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* grid = new QGridLayout(HeaderPanel);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(0);

    // Borderless fields in the panel's colour, without captions.
    QPalette look = HeaderPanel->palette();
    look.setColor(QPalette::Base, look.color(QPalette::Window));
    auto field = [&](const char* name, int maxLength, QWidget* parent) {
        auto* edit = new QLineEdit(parent);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setFrame(false);
        edit->setPalette(look);
        if (maxLength > 0)
            edit->setMaxLength(maxLength);
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textChanged, this, [this] {
            if (!Filling)
                SetModified(true);
        });
        return edit;
    };
    // The destination stands beside the recipient's name, with its caption.
    auto* destination = new QWidget(HeaderPanel);
    FromEdit = field("FromEdit", 35, HeaderPanel);
    FromAddressEdit = field("FromAddressEdit", 0, HeaderPanel);
    ToEdit = field("ToEdit", 35, HeaderPanel);
    ToAddressEdit = field("ToAddressEdit", 0, destination);
    ToAddressEdit->setPlaceholderText(QStringLiteral("2:5020/1234.5"));
    SubjectEdit = field("SubjectEdit", 71, HeaderPanel);
    connect(SubjectEdit, &QLineEdit::textChanged, this, [this](const QString& text) { setWindowTitle(text); });
    connect(ToAddressEdit, &QLineEdit::textChanged, this, [this] {
        if (!Filling && !SenderChosen)
            ChooseSender();
    });
    // Netmail goes from one of the user's own addresses.
    FromAddressBox = new QComboBox(HeaderPanel);
    FromAddressBox->setObjectName(QStringLiteral("FromAddressBox"));
    FromAddressBox->setFrame(false);
    connect(FromAddressBox, &QComboBox::activated, this, [this] {
        SenderChosen = true;
        SetModified(true);
    });
    const int charWidth = FromEdit->fontMetrics().averageCharWidth();
    FromEdit->setFixedWidth(charWidth * 36);
    ToEdit->setFixedWidth(charWidth * 36);
    FromAddressEdit->setFixedWidth(charWidth * 24);
    FromAddressBox->setFixedWidth(charWidth * 24);
    DateTimeWritten = new QLabel(HeaderPanel);
    DateTimeWritten->setObjectName(QStringLiteral("DateTimeWritten"));
    DateTimeWritten->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* destinationRow = new QHBoxLayout(destination);
    destinationRow->setContentsMargins(0, 0, 0, 0);
    ToAddressLabel = new QLabel(QStringLiteral("Адрес:"), destination);
    ToAddressLabel->setObjectName(QStringLiteral("ToAddressLabel"));
    ToAddressLabel->setBuddy(ToAddressEdit);
    ToAddressEdit->setFixedWidth(charWidth * 24);
    destinationRow->addWidget(ToAddressLabel);
    destinationRow->addWidget(ToAddressEdit);

    grid->addWidget(FromEdit, 0, 0);
    grid->addWidget(FromAddressEdit, 0, 1);
    grid->addWidget(FromAddressBox, 0, 1);
    grid->addWidget(DateTimeWritten, 0, 3);
    grid->addWidget(ToEdit, 1, 0);
    grid->addWidget(destination, 1, 1);
    grid->addWidget(SubjectEdit, 2, 0, 1, 4);
    // Netmail: typing the name or the address offers the stations and the
    // address book's entries that match.
    if (State.Netmail)
        new AddressCompletion(ToEdit, ToAddressEdit);
    FromAddressEdit->setVisible(!State.Netmail);
    FromAddressBox->setVisible(State.Netmail);
    destination->setVisible(State.Netmail);
    grid->setColumnStretch(2, 1);
    column->addWidget(HeaderPanel);

    RichEdit = new QPlainTextEdit(central);
    RichEdit->setObjectName(QStringLiteral("RichEdit"));
    QFont textFont(QStringLiteral("MS Sans Serif"));
    textFont.setPixelSize(13);
    RichEdit->setFont(textFont);
    QPalette paper = RichEdit->palette();
    paper.setColor(QPalette::Text, QColor::fromRgb(PlainColour));
    RichEdit->setPalette(paper);
    RichEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit->setTabChangesFocus(false);
    RichEdit->installEventFilter(this);
    column->addWidget(RichEdit, 1);
    connect(RichEdit, &QPlainTextEdit::textChanged, this, [this] {
        if (!Filling)
            SetModified(true);
        ShowTextSize();
    });
    connect(RichEdit, &QPlainTextEdit::cursorPositionChanged, this, [this] { ShowCaretPosition(); });

    setTabOrder(FromEdit, FromAddressEdit);
    setTabOrder(FromAddressEdit, FromAddressBox);
    setTabOrder(FromAddressBox, ToEdit);
    setTabOrder(ToEdit, ToAddressEdit);
    setTabOrder(ToAddressEdit, SubjectEdit);
    setTabOrder(SubjectEdit, RichEdit);
}

void TEditorForm::FillHeader()
{
    FlagScope filling(Filling);
    // The letter answered (or changed) is the area's current letter; its
    // names and subject as its text's character set reads them.
    const TLetter* its = State.Mode != NewLetterMode && State.Area ? State.Area->Current : nullptr;
    const std::string mainAddress = AddressToText(Owner.Settings.MainAddress);
    std::string from = Owner.Settings.UserName, address = mainAddress, to, subject;
    switch (State.Mode) {
    case NewLetterMode:
        to = "Всем";
        break;
    case ChangeMode:
        if (its) {
            from = State.AnsweredFrom;
            address = AddressToText(State.AnsweredText.FromAddr);
            to = State.AnsweredTo;
            subject = State.AnsweredSubject;
        }
        break;
    case ReplyMode:
        if (its) {
            to = State.AnsweredFrom;
            subject = State.AnsweredSubject;
        }
        break;
    default:
        if (its) {
            to = State.AnsweredTo;
            subject = State.AnsweredSubject;
        }
        break;
    }
    FromEdit->setText(ToQString(from));
    FromAddressEdit->setText(ToQString(address));
    ToEdit->setText(ToQString(to));
    SubjectEdit->setText(ToQString(subject));
    if (State.Netmail)
        FillNetmailAddresses();
    setWindowTitle(SubjectEdit->text());
    DateTimeWritten->setText(ToQString(LetterDateTime(NowDateTime())));

    RichEdit->clear();
    StatusPanel0->clear();
    StatusPanel1->clear();
    StatusPanel2->clear();
    ShowArea();
    State.Modified = false;
}

void TEditorForm::FillNetmailAddresses()
{
    ToAddressEdit->setText(ToQString(StartingDestination(State)));
    for (const FidoAddress& address : SenderAddresses(Owner.Settings))
        FromAddressBox->addItem(ToQString(AddressToText(address)));
    if (State.Mode == ChangeMode) {
        // A changed letter keeps the address it was written from.
        const QString own = FromAddressEdit->text();
        if (FromAddressBox->findText(own) < 0)
            FromAddressBox->addItem(own);
        FromAddressBox->setCurrentText(own);
        SenderChosen = true;
    } else {
        ChooseSender();
    }
}

void TEditorForm::ChooseSender()
{
    FidoAddress dest;
    if (ParseExactAddress(FromQString(ToAddressEdit->text()), Owner.Settings.MainAddress.Zone, dest) != AddressFault::None)
        dest = Owner.Settings.MainAddress;
    FromAddressBox->setCurrentText(ToQString(AddressToText(ChooseSenderAddress(Owner.Settings, dest))));
}

// ---------------------------------------------------------------- menus and bars

void TEditorForm::CreateMenus()
{
    QMenuBar* bar = menuBar();

    FileItem = MakeSubmenu(bar, "FileItem", QStringLiteral("&Файл"), QStringLiteral("Команды записи и выхода"));
    SaveItem = MakeItem(this, "SaveItem", QStringLiteral("&Записать"), QStringLiteral("Записать письмо и закрыть окно"),
                        Keys{QKeySequence(Qt::Key_F2)}, [this] { SaveAndClose(); });
    ExitItem = MakeItem(this, "ExitItem", QStringLiteral("&Выйти"), QStringLiteral("Закрыть окно редактора"),
                        Keys{QKeySequence(Qt::Key_Escape)}, [this] { close(); });
    FileItem->addAction(SaveItem);
    FileItem->addSeparator();
    FileItem->addAction(ExitItem);

    EditItem = MakeSubmenu(bar, "EditItem", QStringLiteral("&Правка"), QStringLiteral("Команды правки текста"));
    // They act on the field being edited: the text, or a header field.
    UndoItem = MakeItem(this, "UndoItem", QStringLiteral("&Отменить"), QStringLiteral("Отменить последнее изменение"),
                        Keys{QKeySequence(Qt::ALT | Qt::Key_Backspace)},
                        [this] { EditCommand(&QLineEdit::undo, &QPlainTextEdit::undo); });
    CutItem = MakeItem(this, "CutItem", QStringLiteral("&Вырезать"),
                       QStringLiteral("Вырезать выделенный текст в буфер обмена"), {},
                       [this] { EditCommand(&QLineEdit::cut, &QPlainTextEdit::cut); });
    CopyItem = MakeItem(this, "CopyItem", QStringLiteral("&Копировать"),
                        QStringLiteral("Копировать выделенный текст в буфер обмена"), {},
                        [this] { EditCommand(&QLineEdit::copy, &QPlainTextEdit::copy); });
    PasteItem = MakeItem(this, "PasteItem", QStringLiteral("Вст&авить"),
                         QStringLiteral("Вставить текст из буфера обмена"), {},
                         [this] { EditCommand(&QLineEdit::paste, &QPlainTextEdit::paste); });
    DeleteItem = MakeItem(this, "DeleteItem", QStringLiteral("&Удалить"), QStringLiteral("Удалить выделенный текст"),
                          {}, [this] { DeleteSelection(); });
    EditItem->addAction(UndoItem);
    EditItem->addSeparator();
    EditItem->addAction(CutItem);
    EditItem->addAction(CopyItem);
    EditItem->addAction(PasteItem);
    EditItem->addAction(DeleteItem);

    AddViewMenu();
    AddOptionsMenu(Owner.Settings);

    SwitchToAreasItem = MakeItem(this, "SwitchToAreasItem", QStringLiteral("&Области"),
                                 QStringLiteral("Переключиться в окно областей"), Keys{QKeySequence(Qt::Key_F12)},
                                 [this] { TAreasForm::SwitchToAreasWindow(Owner); });
    SwitchToAreaItem = MakeItem(this, "SwitchToAreaItem", QStringLiteral("О&бласть"),
                                QStringLiteral("Переключиться в окно области этого письма"),
                                Keys{QKeySequence(Qt::Key_F11)}, [this] { SwitchToArea(); });
    AddWindowsMenu(SwitchToAreasItem, SwitchToAreaItem);

    AddHelpMenu("editor");

    // Right-clicking the text or a header field shows the edit menu, the
    // header's free space the letter's own menu.
    EditIndirectPopupMenu = new TIndirectPopupMenu(this, EditItem);
    EditIndirectPopupMenu->setObjectName(QStringLiteral("EditIndirectPopupMenu"));
    for (QWidget* field : HeaderFields())
        EditIndirectPopupMenu->AttachTo(field);
    EditIndirectPopupMenu->AttachTo(RichEdit);
    LetterIndirectPopupMenu = new TIndirectPopupMenu(this, FileItem);
    LetterIndirectPopupMenu->setObjectName(QStringLiteral("LetterIndirectPopupMenu"));
    LetterIndirectPopupMenu->AttachTo(HeaderPanel);

    // The hidden menus: never shown, only their keys act, each where it
    // belongs. Tab and Shift+Tab are the text field's own keys, so the field's
    // key handler runs the two-blanks item; the others are shortcuts.
    HeaderItem = MakeItem(this, "HeaderItem", QStringLiteral("Заголовок"), QString(),
                          Keys{QKeySequence(Qt::ALT | Qt::Key_H)}, [this] { SubjectEdit->setFocus(); });
    HeaderItem->setShortcutContext(Qt::WidgetShortcut);
    RichEdit->addAction(HeaderItem);
    TwoBlanksItem = MakeItem(this, "TwoBlanksItem", QStringLiteral("Два пробела"), QString(), {},
                             [this] { InsertTwoBlanks(); });
    PreviousFieldItem = MakeItem(this, "PreviousFieldItem", QStringLiteral("Переход на предыдущее поле"), QString(),
                                 Keys{QKeySequence(Qt::Key_Up)}, [this] { MoveToField(false); });
    NextFieldItem = MakeItem(this, "NextFieldItem", QStringLiteral("Переход на следующее поле"), QString(),
                             Keys{QKeySequence(Qt::Key_Enter), QKeySequence(Qt::Key_Return),
                                  QKeySequence(Qt::Key_Down)},
                             [this] { MoveToField(true); });
    for (QAction* item : {PreviousFieldItem, NextFieldItem}) {
        item->setShortcutContext(Qt::WidgetShortcut);
        for (QWidget* field : HeaderFields())
            field->addAction(item);
        FromAddressBox->addAction(item);
    }
}

void TEditorForm::CreateSpeedBar()
{
    MakeSpeedBar(QStringLiteral("Панель инструментов"));
    SpeedBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    SpeedBar->setIconSize(QSize(16, 16));
    SpeedBar->setFixedHeight(31);

    // Each button does what its menu item does.
    auto button = [this](const char* name, const char* caption, QAction* item, EditGlyph glyph) {
        auto* action = new QAction(EditGlyphIcon(glyph), QString::fromUtf8(caption), this);
        action->setObjectName(QString::fromLatin1(name));
        action->setToolTip(action->text());
        action->setStatusTip(item->statusTip());
        connect(action, &QAction::triggered, item, &QAction::trigger);
        SpeedBar->AddButton(action);
        return action;
    };
    SpeedBar->AddSection(QStringLiteral("Письмо"));
    SaveSpeedItem = button("SaveSpeedItem", "Записать", SaveItem, EditGlyph::Save);
    ExitSpeedItem = button("ExitSpeedItem", "Выйти", ExitItem, EditGlyph::Leave);
    SpeedBar->AddSection(QStringLiteral("Правка"));
    CutSpeedItem = button("CutSpeedItem", "Вырезать", CutItem, EditGlyph::Cut);
    CopySpeedItem = button("CopySpeedItem", "Копировать", CopyItem, EditGlyph::Copy);
    PasteSpeedItem = button("PasteSpeedItem", "Вставить", PasteItem, EditGlyph::Paste);
    UndoSpeedItem = button("UndoSpeedItem", "Отменить", UndoItem, EditGlyph::Undo);

    MakeSpeedBarPopupMenu();
}

void TEditorForm::CreateStatusBar()
{
    // Ordinary widgets: a hint covers all four.
    StatusPanel0 = AddStatusPanel("StatusPanel0", 65);
    StatusPanel0->setAlignment(Qt::AlignCenter);
    StatusPanel1 = AddStatusPanel("StatusPanel1", 72);
    StatusPanel2 = AddStatusPanel("StatusPanel2", 100);
    StatusPanel3 = AddStatusPanel("StatusPanel3", 50, 1);
}

// ---------------------------------------------------------------- the text

void TEditorForm::EnterText()
{
    if (State.TextPrepared)
        return;
    State.TextPrepared = true;
    // Filling the text is no change of the user's; a header already changed
    // stays changed (closing would lose it otherwise).
    const bool modified = State.Modified;
    BusyPointer busy(PointerShape::BuildLetterText);
    // The template's "to" tokens take the names as typed so far.
    TakeFields();
    const std::vector<std::string> lines = PrepareText(Owner.Settings, State);

    FlagScope filling(Filling);
    UpdatesHeld held(RichEdit);
    RichEdit->clear();
    QTextCursor cursor(RichEdit->document());
    cursor.beginEditBlock();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        // A changed letter keeps the plain colour; the others are coloured by kind.
        const uint32_t colour = State.Mode == ChangeMode ? PlainColour : LineKindColour(LineKind(lines[i]));
        const QTextCharFormat format = KindFormat(colour);
        if (i > 0)
            cursor.insertBlock(QTextBlockFormat(), format);
        else
            cursor.setBlockCharFormat(format);
        cursor.insertText(ToQString(lines[i]), format);
    }
    cursor.endEditBlock();
    RichEdit->moveCursor(QTextCursor::Start);
    RichEdit->document()->clearUndoRedoStacks();
    SetModified(modified);
    ShowTextSize();
    ShowCaretPosition();
}

std::vector<std::string> TEditorForm::TextLines() const
{
    std::vector<std::string> lines;
    if (RichEdit->document()->isEmpty())
        return lines;
    for (const QString& line : RichEdit->toPlainText().split(QChar('\n')))
        lines.push_back(FromQString(line));
    return lines;
}

void TEditorForm::TakeFields()
{
    State.From = FromQString(FromEdit->text());
    State.FromAddress = FromQString(State.Netmail ? FromAddressBox->currentText() : FromAddressEdit->text());
    State.To = FromQString(ToEdit->text());
    State.ToAddress = FromQString(ToAddressEdit->text());
    State.Subject = FromQString(SubjectEdit->text());
    State.Lines = TextLines();
}

bool TEditorForm::RichEditKeyPress(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if ((key == Qt::Key_Tab && (mods == Qt::NoModifier || mods == Qt::ShiftModifier)) ||
        (key == Qt::Key_Backtab && (mods == Qt::NoModifier || mods == Qt::ShiftModifier))) {
        TwoBlanksItem->trigger();
        return true;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && mods == Qt::NoModifier)
        return QuotedLineEnter();
    return false;
}

bool TEditorForm::QuotedLineEnter()
{
    QTextCursor cursor = RichEdit->textCursor();
    // A selection is replaced by an ordinary line break.
    if (cursor.hasSelection())
        return false;
    const QString line = cursor.block().text();
    // The quote marks as characters of the line (a prefix of Cyrillic
    // initials is longer in bytes).
    const int quotePos = ToQString(QuotePrefix(FromQString(line))).size();
    if (quotePos == 0)
        return false;

    UpdatesHeld held(RichEdit);
    const int at = cursor.positionInBlock();
    const int start = cursor.position();
    if (at == 0 || at == line.size()) {
        // An unquoted answer starts here, an empty line between it and the
        // quote that follows; what is typed there is plain.
        const QTextCharFormat plain = KindFormat(PlainColour);
        cursor.insertText(QStringLiteral("\n\n"), plain);
        QTextCursor inserted(RichEdit->document());
        inserted.setPosition(start);
        inserted.setPosition(start + 2, QTextCursor::KeepAnchor);
        inserted.setCharFormat(plain);
        for (QTextBlock block = RichEdit->document()->findBlock(start); block.isValid() && block.position() <= start + 2;
             block = block.next()) {
            if (block.length() == 1)
                QTextCursor(block).setBlockCharFormat(plain);
        }
        cursor.setPosition(at == 0 ? start : start + 1);
    } else {
        // The quote goes on on the new line: its marks and the blanks after them.
        int prefix = quotePos;
        while (prefix < line.size() && line.at(prefix) == QChar(' '))
            ++prefix;
        cursor.insertText(QChar('\n') + line.left(prefix));
    }
    RichEdit->setTextCursor(cursor);
    RichEdit->document()->clearUndoRedoStacks();
    return true;
}

std::vector<QLineEdit*> TEditorForm::HeaderFields() const
{
    return {FromEdit, FromAddressEdit, ToEdit, ToAddressEdit, SubjectEdit};
}

QLineEdit* TEditorForm::EditedHeaderField() const
{
    auto* focused = qobject_cast<QLineEdit*>(focusWidget());
    const std::vector<QLineEdit*> fields = HeaderFields();
    return std::find(fields.begin(), fields.end(), focused) != fields.end() ? focused : nullptr;
}

void TEditorForm::DeleteSelection()
{
    if (QLineEdit* field = EditedHeaderField()) {
        if (field->hasSelectedText())
            field->del();
    } else {
        RichEdit->textCursor().removeSelectedText();
    }
}

void TEditorForm::InsertTwoBlanks()
{
    RichEdit->textCursor().insertText(QStringLiteral("  "));
}

void TEditorForm::MoveToField(bool next)
{
    focusNextPrevChild(next);
}

// ---------------------------------------------------------------- status bar

void TEditorForm::SetModified(bool modified)
{
    State.Modified = modified;
    StatusPanel1->setText(modified ? QStringLiteral("Изменено") : QString());
}

void TEditorForm::ShowCaretPosition()
{
    const QTextCursor cursor = RichEdit->textCursor();
    StatusPanel0->setText(ToQString(Format("%3d:%3d", cursor.blockNumber() + 1, cursor.positionInBlock() + 1)));
}

void TEditorForm::ShowTextSize()
{
    // Every line counted with a CR LF end.
    long long bytes = 0;
    const QTextDocument* document = RichEdit->document();
    if (!document->isEmpty())
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
            bytes += block.length() + 1;
    StatusPanel2->setText(ToQString(Format("%lld байт", bytes)));
}

void TEditorForm::ShowArea()
{
    if (State.Area)
        StatusPanel3->setText(
            ToQString(Format("%s(%s)", State.Area->Description.c_str(), State.Area->Tag.c_str())));
}

// ---------------------------------------------------------------- saving and closing

TEditorForm::SaveResult TEditorForm::Save()
{
    if (!State.Area) {
        // The area left the areas file while the letter was being written.
        ShowErrorText(ECantOpenArea(AreaTag, AreaBaseSpec).what());
        SetModified(true);
        return SaveResult::Failed;
    }
    TakeFields();
    // Netmail to a station the nodelist does not know (or knows as down) is
    // written only when the user says so.
    const std::optional<FidoAddress> destination = State.Netmail ? TypedDestination(State, Owner.Settings) : std::nullopt;
    if (destination) {
        QuestionScope open(this);
        if (!ConfirmNetmailDestination(*destination, this)) {
            SetModified(true);
            return SaveResult::Failed;
        }
    }
    SaveOutcome outcome = SaveOutcome::Saved;
    try {
        outcome = SaveLetter(State);
    } catch (...) {
        // The letter stays here as the user left it.
        {
            QuestionScope open(this);
            QuorvelApplication::HandleException(std::current_exception());
        }
        SetModified(true);
        return SaveResult::Failed;
    }
    if (outcome == SaveOutcome::Saved) {
        if (destination)
            RememberAddress(State.To, *destination, this);
        SetModified(false);
        return SaveResult::Saved;
    }

    // The letter being changed vanished from the area: nothing was written.
    // The text need not be lost with it: the user may keep it as a new letter.
    ShowErrorText(ChangedLetterGoneMessage());
    if (Ask("Записать его как новое письмо?", QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        SetModified(false);
        return SaveResult::Dropped;
    }
    // As a new letter it still answers what the vanished one answered.
    State.Mode = NewLetterMode;
    State.AnsweredKey = 0;
    State.AnsweredText.MsgId = State.AnsweredText.Reply;
    State.AnsweredText.Reply.clear();
    SetModified(true);
    return Save();
}

void TEditorForm::SaveAndClose()
{
    if (Save() != SaveResult::Failed)
        close();
}

bool TEditorForm::CloseQuery()
{
    // Asked again while the question is open (its area closing meanwhile):
    // the answer being given decides.
    if (Asking)
        return false;
    if (!State.Modified)
        return true;
    // The user sees which letter the question is about.
    ShowAndSwitchTo(this);
    FlagScope asking(Asking);
    switch (Ask("Записать письмо?", QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        return Save() != SaveResult::Failed;
    case QMessageBox::No:
        SetModified(false);
        return true;
    default:
        return false;
    }
}

void TEditorForm::ShowErrorText(const std::string& text)
{
    QuestionScope open(this);
    ShowError(text, this);
}

// ---------------------------------------------------------------- events

bool TEditorForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        bool handled = false;
        RunGuarded([&] {
            auto* key = static_cast<QKeyEvent*>(event);
            if (watched == RichEdit)
                handled = RichEditKeyPress(key);
        });
        if (handled)
            return true;
    } else if (event->type() == QEvent::FocusIn && watched == RichEdit) {
        RunGuarded([this] { EnterText(); });
    }
    return FormWindow::eventFilter(watched, event);
}

// A failure in one of the model's events must not break off the model's work
// that sent it.

void TEditorForm::AreasChanged()
{
    RunGuarded([this] { ShowArea(); });
}

bool TEditorForm::QueryCloseArea(TArea& area)
{
    bool keepsArea = false;
    if (&area == State.Area)
        RunGuarded([&] { keepsArea = !CloseQuery(); });
    return keepsArea;
}

void TEditorForm::AreaClosed(TArea& area)
{
    // The question asked when it is modified may keep it open (a save opens
    // the area again); it is asked from the event loop, not from inside
    // whatever closed the area (a window being freed).
    if (&area != State.Area || Asking)
        return;
    RunGuarded([this] {
        if (!State.Modified)
            close();
        else
            QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
    });
}

void TEditorForm::AreaDestroyed(TArea& area)
{
    if (&area != State.Area)
        return;
    RunGuarded([this] {
        ForgetArea();
        // An unsaved letter stays on the screen, for the user to copy.
        if (!State.Modified && !Asking)
            CloseAnswered();
    });
}

// ---------------------------------------------------------------- other windows

void TEditorForm::SwitchToArea()
{
    if (AreaWindow)
        ShowAndSwitchTo(AreaWindow);
}

void TEditorForm::ForgetArea()
{
    State.Area = nullptr;
    State.AnsweredKey = 0;
}
