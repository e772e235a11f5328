#include "ui/HelpF/THelpForm.h"

#include <QPointer>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/HelpF/HelpKeys.h"

namespace {

QPointer<THelpForm>& Open()
{
    static QPointer<THelpForm> form;
    return form;
}

QString PageHtml(const HelpSection& section)
{
    QString html = QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"4\">"
                                  "<tr><th align=\"left\" width=\"35%\">Клавиши</th>"
                                  "<th align=\"left\">Что делают</th></tr>");
    for (const HelpRow& row : section.Rows)
        html += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>").arg(row.Keys.toHtmlEscaped(),
                                                                         row.Text.toHtmlEscaped());
    return html + QStringLiteral("</table>");
}

}  // namespace

THelpForm::THelpForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("HelpForm"));
    setWindowTitle(QStringLiteral("Помощь"));
    setAttribute(Qt::WA_DeleteOnClose, true);
    Pages = new QTabWidget(this);
    Pages->setObjectName(QStringLiteral("Pages"));
    for (const HelpSection& section : HelpSections()) {
        auto* page = new QTextBrowser(Pages);
        page->setObjectName(section.Id);
        page->setHtml(PageHtml(section));
        Pages->addTab(page, section.Title);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Pages);
    resize(fontMetrics().averageCharWidth() * 90, fontMetrics().lineSpacing() * 32);
}

THelpForm* THelpForm::ShowFor(QWidget* caller, const QString& section)
{
    // Over the window it helps with, which stays usable beside it.
    if (Open() && Open()->parentWidget() != caller) {
        Open()->close();
        Open() = nullptr;
    }
    if (!Open())
        Open() = new THelpForm(caller);
    THelpForm* form = Open();
    if (auto* page = form->Pages->findChild<QWidget*>(section))
        form->Pages->setCurrentWidget(page);
    form->show();
    form->raise();
    form->activateWindow();
    return form;
}

THelpForm* THelpForm::Current()
{
    return Open();
}

QString THelpForm::CurrentSection() const
{
    const QWidget* page = Pages->currentWidget();
    return page ? page->objectName() : QString();
}
