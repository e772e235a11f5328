#include "ui/UserF/TUserForm.h"

#include <QComboBox>
#include <QFileDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "settings/QtText.h"
#include "text/Templates.h"
#include "ui/Nodelists.h"

namespace {

QString LinesToText(const std::vector<std::string>& lines)
{
    QStringList list;
    for (const std::string& line : lines)
        list << ToQString(line);
    return list.join(QLatin1Char('\n'));
}

std::vector<std::string> TextToLines(const QString& text)
{
    std::vector<std::string> lines;
    if (text.isEmpty())
        return lines;
    for (const QString& line : text.split(QLatin1Char('\n')))
        lines.push_back(FromQString(line));
    return lines;
}

QPlainTextEdit* Memo(QWidget* parent)
{
    auto* memo = new QPlainTextEdit(parent);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    return memo;
}

// The sets offered for letters that name none: the ones Russian and
// English-speaking FidoNet still meet.
constexpr Charset IncomingChoices[] = {Charset::Cp866, Charset::Cp1251, Charset::Koi8R,
                                       Charset::Cp437, Charset::Cp850,  Charset::Latin1};
constexpr Charset OutgoingChoices[] = {Charset::Cp866, Charset::Utf8};

void AddCharset(QComboBox* box, Charset set)
{
    const std::string_view name = CharsetName(set);
    box->addItem(QString::fromLatin1(name.data(), static_cast<int>(name.size())), static_cast<int>(set));
}

template <std::size_t N>
QComboBox* CharsetBox(const Charset (&choices)[N], QWidget* parent)
{
    auto* box = new QComboBox(parent);
    for (Charset set : choices)
        AddCharset(box, set);
    return box;
}

// A set the settings file names beyond the usual ones stays offered.
void SelectCharset(QComboBox* box, Charset set)
{
    if (box->findData(static_cast<int>(set)) < 0 && set != Charset::None)
        AddCharset(box, set);
    box->setCurrentIndex(std::max(0, box->findData(static_cast<int>(set))));
}

Charset SelectedCharset(const QComboBox* box)
{
    return static_cast<Charset>(box->currentData().toInt());
}

QLabel* Caption(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

// The separator after a token: the line tokens stand alone on their line,
// the others are replaced inside a line.
QString SeparatorAfter(int token)
{
    return token < 0 ? QStringLiteral("\n") : QStringLiteral(" ");
}

struct MenuItemSpec {
    const char* Caption;
    int Token;
};

// The items insert their tokens through insert.
void AddItems(QMenu* menu, std::initializer_list<MenuItemSpec> items, const std::function<void(int)>& insert)
{
    for (const MenuItemSpec& item : items) {
        QAction* action = menu->addAction(QString::fromUtf8(item.Caption));
        action->setData(item.Token);
        QObject::connect(action, &QAction::triggered, menu, [insert, token = item.Token] { insert(token); });
    }
}

}  // namespace

TUserForm::TUserForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Пользователь"));

    Notebook = new QTabWidget(this);
    Notebook->setObjectName(QStringLiteral("Notebook"));
    Notebook->setTabPosition(QTabWidget::South);
    // Every page's caption whole: the dialog is as wide as its tabs need.
    Notebook->setUsesScrollButtons(false);
    Notebook->setElideMode(Qt::ElideNone);

    AddUserPage();
    AddTemplatePages();
    AddNetmailPage();
    AddCharsetPage();
    AddNodelistPage();
    PlaceButtons();

    BuildTokenMenu();
    connect(NewFieldsButton, &QPushButton::clicked, this, [this] { ShowTokenMenu(NewFieldsButton); });
    connect(ReplyFieldsButton, &QPushButton::clicked, this, [this] { ShowTokenMenu(ReplyFieldsButton); });
    AddPageKeys();
}

void TUserForm::AddUserPage()
{
    auto* userPage = new QWidget;
    auto* userLayout = new QVBoxLayout(userPage);
    NameEdit = new QLineEdit(userPage);
    NameEdit->setObjectName(QStringLiteral("NameEdit"));
    NameEdit->setMaxLength(35);
    MainAddressEdit = new QLineEdit(userPage);
    MainAddressEdit->setObjectName(QStringLiteral("MainAddressEdit"));
    AKAsMemo = Memo(userPage);
    AKAsMemo->setObjectName(QStringLiteral("AKAsMemo"));
    userLayout->addWidget(Caption(QStringLiteral("&Имя и фамилия"), NameEdit, userPage));
    userLayout->addWidget(NameEdit);
    userLayout->addWidget(Caption(QStringLiteral("Основной &адрес"), MainAddressEdit, userPage));
    userLayout->addWidget(MainAddressEdit);
    userLayout->addWidget(Caption(QStringLiteral("&AKAs:"), AKAsMemo, userPage));
    userLayout->addWidget(AKAsMemo);
    Notebook->addTab(userPage, QStringLiteral("&Пользователь"));
}

void TUserForm::AddTemplatePages()
{
    auto* newPage = new QWidget;
    auto* newLayout = new QVBoxLayout(newPage);
    NewLetterTemplateMemo = Memo(newPage);
    NewLetterTemplateMemo->setObjectName(QStringLiteral("NewLetterTemplateMemo"));
    NewFieldsButton = new QPushButton(QStringLiteral("&Поля"), newPage);
    NewFieldsButton->setObjectName(QStringLiteral("NewFieldsButton"));
    newLayout->addWidget(Caption(QStringLiteral("&Шаблон"), NewLetterTemplateMemo, newPage));
    newLayout->addWidget(NewLetterTemplateMemo);
    newLayout->addWidget(NewFieldsButton, 0, Qt::AlignLeft);
    Notebook->addTab(newPage, QStringLiteral("Шаблон &нового письма"));

    auto* replyPage = new QWidget;
    auto* replyLayout = new QVBoxLayout(replyPage);
    QuoteReplyTemplateMemo = Memo(replyPage);
    QuoteReplyTemplateMemo->setObjectName(QStringLiteral("QuoteReplyTemplateMemo"));
    ReplyFieldsButton = new QPushButton(QStringLiteral("&Поля"), replyPage);
    ReplyFieldsButton->setObjectName(QStringLiteral("ReplyFieldsButton"));
    replyLayout->addWidget(QuoteReplyTemplateMemo);
    replyLayout->addWidget(ReplyFieldsButton, 0, Qt::AlignLeft);
    Notebook->addTab(replyPage, QStringLiteral("Шаблон о&твета"));
}

void TUserForm::AddNetmailPage()
{
    // Letters written into these areas go to one station: netmail.
    auto* netmailPage = new QWidget;
    auto* netmailLayout = new QVBoxLayout(netmailPage);
    NetmailAreasMemo = Memo(netmailPage);
    NetmailAreasMemo->setObjectName(QStringLiteral("NetmailAreasMemo"));
    netmailLayout->addWidget(Caption(QStringLiteral("&Области нетмейла:"), NetmailAreasMemo, netmailPage));
    netmailLayout->addWidget(NetmailAreasMemo);
    auto* netmailNote = new QLabel(QStringLiteral("По одной на строку. NETMAIL — всегда."), netmailPage);
    netmailNote->setWordWrap(true);
    netmailLayout->addWidget(netmailNote);
    Notebook->addTab(netmailPage, QStringLiteral("Нет&мейл"));
}

void TUserForm::AddNodelistPage()
{
    // Where netmail recipients are looked up by name, and senders' nodes named.
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto addList = [&](QPlainTextEdit*& memo, const char* name, const QString& caption) {
        memo = Memo(page);
        memo->setObjectName(QString::fromLatin1(name));
        auto* browse = new QPushButton(QStringLiteral("Добавить файл..."), page);
        browse->setObjectName(QString::fromLatin1(name) + QStringLiteral("Button"));
        connect(browse, &QPushButton::clicked, this, [this, memo] {
            const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Файл списка"));
            if (!file.isEmpty())
                memo->appendPlainText(file);
        });
        layout->addWidget(Caption(caption, memo, page));
        layout->addWidget(memo);
        layout->addWidget(browse, 0, Qt::AlignLeft);
    };
    addList(NodelistsMemo, "NodelistsMemo", QStringLiteral("&Нодлисты:"));
    addList(PointlistsMemo, "PointlistsMemo", QStringLiteral("П&ойнтлисты:"));
    auto* note = new QLabel(QStringLiteral("По одному на строку: файл или имя без расширения (NODELIST — самый "
                                           "новый NODELIST.123, NODELIST.Z23, ...)."),
                            page);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* state = new QLabel(ToQString(NodelistState()), page);
    state->setObjectName(QStringLiteral("NodelistStateLabel"));
    state->setWordWrap(true);
    layout->addWidget(state);
    Notebook->addTab(page, QStringLiteral("Нод&лист"));
}

void TUserForm::AddCharsetPage()
{
    // How letters' bytes become text, and in which set new letters are written.
    auto* charsetPage = new QWidget;
    auto* charsetLayout = new QVBoxLayout(charsetPage);
    IncomingCharsetBox = CharsetBox(IncomingChoices, charsetPage);
    IncomingCharsetBox->setObjectName(QStringLiteral("IncomingCharsetBox"));
    OutgoingCharsetBox = CharsetBox(OutgoingChoices, charsetPage);
    OutgoingCharsetBox->setObjectName(QStringLiteral("OutgoingCharsetBox"));
    SoftBreakBox = new QComboBox(charsetPage);
    SoftBreakBox->setObjectName(QStringLiteral("SoftBreakBox"));
    SoftBreakBox->addItem(QStringLiteral("буква Н"));
    SoftBreakBox->addItem(QStringLiteral("мягкий перенос"));
    charsetLayout->addWidget(Caption(QStringLiteral("Кодировка писем &без CHRS"), IncomingCharsetBox, charsetPage));
    charsetLayout->addWidget(IncomingCharsetBox);
    charsetLayout->addWidget(Caption(QStringLiteral("Кодировка &новых писем"), OutgoingCharsetBox, charsetPage));
    charsetLayout->addWidget(OutgoingCharsetBox);
    charsetLayout->addWidget(Caption(QStringLiteral("0x8D — буква Н / мягкий перенос"), SoftBreakBox, charsetPage));
    charsetLayout->addWidget(SoftBreakBox);
    auto* charsetNote = new QLabel(QStringLiteral("Письмо, в котором есть символы вне выбранной кодировки, "
                                                  "и ответ на письмо в UTF-8 пишутся в UTF-8."),
                                   charsetPage);
    charsetNote->setWordWrap(true);
    charsetLayout->addWidget(charsetNote);
    charsetLayout->addStretch();
    Notebook->addTab(charsetPage, QStringLiteral("&Кодировки"));
}

void TUserForm::PlaceButtons()
{
    OKButton = new QPushButton(QStringLiteral("ОК"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    CancelButton = new QPushButton(QStringLiteral("Отмена"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    HelpButton = new QPushButton(QStringLiteral("Помощь"), this);
    HelpButton->setObjectName(QStringLiteral("HelpButton"));
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {OKButton, CancelButton, HelpButton}) {
        button->setMinimumWidth(75);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 6, 4);
    layout->addWidget(Notebook, 1);
    layout->addLayout(buttons);
    // A fixed dialog border, the size the texts need (at least the dialog's own).
    setFixedSize(sizeHint().expandedTo(QSize(341, 239)));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TUserForm::AddPageKeys()
{
    // The dialog's own hidden keys: next and previous page.
    auto* next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    auto* previous = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), this);
    auto* previousBacktab = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), this);
    for (QShortcut* s : {next, previous, previousBacktab})
        s->setContext(Qt::WindowShortcut);
    connect(next, &QShortcut::activated, this, [this] { MovePage(1); });
    connect(previous, &QShortcut::activated, this, [this] { MovePage(-1); });
    connect(previousBacktab, &QShortcut::activated, this, [this] { MovePage(-1); });
}

void TUserForm::BuildTokenMenu()
{
    TokenMenu = new QMenu(this);
    TokenMenu->setObjectName(QStringLiteral("TokenMenu"));
    const std::function<void(int)> insert = [this](int token) { InsertToken(token); };
    QMenu* now = TokenMenu->addMenu(QStringLiteral("&Сейчас"));
    AddItems(now->addMenu(QStringLiteral("&От кого")),
             {{"&Адрес", TokenCAddr}, {"&Имя", TokenCFName}, {"&Фамилия", TokenCLName}, {"И&мя и фамилия", TokenCName}},
             insert);
    AddItems(now->addMenu(QStringLiteral("&Кому")),
             {{"&Адрес", TokenTAddr}, {"&Имя", TokenTFName}, {"&Фамилия", TokenTLName}, {"И&мя и фамилия", TokenTName}},
             insert);
    AddItems(now,
             {{"&ID области", TokenCEcho}, {"О&писание области", TokenCDesc}, {"&Дата", TokenCDate},
              {"&Время", TokenCTime}},
             insert);
    QMenu* was = TokenMenu->addMenu(QStringLiteral("&Было"));
    AddItems(was->addMenu(QStringLiteral("&От кого")),
             {{"&Адрес", TokenOAddr}, {"&Имя", TokenOFName}, {"&Фамилия", TokenOLName}, {"И&мя и фамилия", TokenOName}},
             insert);
    AddItems(was->addMenu(QStringLiteral("&Кому")),
             {{"&Адрес", TokenDAddr}, {"&Имя", TokenDFName}, {"&Фамилия", TokenDLName}, {"И&мя и фамилия", TokenDName}},
             insert);
    AddItems(was,
             {{"&ID области", TokenOEcho}, {"&Описание области", TokenODesc}, {"&Дата", TokenODate},
              {"&Время", TokenOTime}},
             insert);
    // "Цитата" puts in the line that receives the quote, "Позиция" the line
    // that is dropped (where the answer is typed).
    AddItems(TokenMenu, {{"&Цитата", TokenPosition}, {"&Позиция", TokenQuote}}, insert);
}

void TUserForm::ShowTokenMenu(QPushButton* button)
{
    TokenMenu->popup(button->mapToGlobal(QPoint(0, button->height())));
}

void TUserForm::InsertToken(int token)
{
    QPlainTextEdit* memo = Notebook->currentIndex() == 2 ? QuoteReplyTemplateMemo : NewLetterTemplateMemo;
    memo->insertPlainText(QLatin1Char('@') + QString::fromLatin1(TokenName(token)) + SeparatorAfter(token));
    memo->setFocus();
}

void TUserForm::MovePage(int step)
{
    const int count = Notebook->count();
    Notebook->setCurrentIndex((count + step + Notebook->currentIndex()) % count);
}

void TUserForm::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        for (QPlainTextEdit* memo : {AKAsMemo, NewLetterTemplateMemo, QuoteReplyTemplateMemo, NetmailAreasMemo,
                                     NodelistsMemo, PointlistsMemo})
            memo->moveCursor(QTextCursor::Start);
    }
    QDialog::changeEvent(event);
}

void TUserForm::Fill(const UserSettingsFields& fields)
{
    NameEdit->setText(ToQString(fields.Name));
    MainAddressEdit->setText(ToQString(fields.MainAddressText));
    AKAsMemo->setPlainText(LinesToText(fields.AKAs));
    NewLetterTemplateMemo->setPlainText(LinesToText(fields.NewLetterTemplate));
    QuoteReplyTemplateMemo->setPlainText(LinesToText(fields.QuoteReplyTemplate));
    NetmailAreasMemo->setPlainText(LinesToText(fields.NetmailAreas));
    NodelistsMemo->setPlainText(LinesToText(fields.Nodelists));
    PointlistsMemo->setPlainText(LinesToText(fields.Pointlists));
    SelectCharset(IncomingCharsetBox, fields.IncomingCharset);
    SelectCharset(OutgoingCharsetBox, fields.OutgoingCharset);
    SoftBreakBox->setCurrentIndex(fields.SoftBreak8D ? 1 : 0);
}

void TUserForm::Read(UserSettingsFields& fields) const
{
    fields.Name = FromQString(NameEdit->text());
    fields.MainAddressText = FromQString(MainAddressEdit->text());
    fields.AKAs = TextToLines(AKAsMemo->toPlainText());
    fields.NewLetterTemplate = TextToLines(NewLetterTemplateMemo->toPlainText());
    fields.QuoteReplyTemplate = TextToLines(QuoteReplyTemplateMemo->toPlainText());
    fields.NetmailAreas = TextToLines(NetmailAreasMemo->toPlainText());
    fields.Nodelists = TextToLines(NodelistsMemo->toPlainText());
    fields.Pointlists = TextToLines(PointlistsMemo->toPlainText());
    fields.IncomingCharset = SelectedCharset(IncomingCharsetBox);
    fields.OutgoingCharset = SelectedCharset(OutgoingCharsetBox);
    fields.SoftBreak8D = SoftBreakBox->currentIndex() == 1;
}

bool TUserForm::Run(QWidget* parent, UserSettingsFields& fields)
{
    TUserForm form(parent);
    form.Fill(fields);
    if (form.exec() != QDialog::Accepted)
        return false;
    form.Read(fields);
    return true;
}
