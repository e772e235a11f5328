#include "ui/TosserWaitDialog.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/Exceptions.h"
#include "core/TosserFlag.h"
#include "core/StringHelpers.h"
#include "settings/QtText.h"
#include "ui/Dialogs.h"

bool WaitForTosserInDialog(TosserFlag& flag, const std::string& what)
{
    QDialog dialog(QApplication::activeWindow());
    dialog.setObjectName(QStringLiteral("TosserWaitDialog"));
    dialog.setWindowTitle(ApplicationTitle());
    dialog.setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(
        ToQString(Format("Работает эхопроцессор.\rЖду, пока он закончит, чтобы %s...", what.c_str()))
            .replace(QLatin1Char('\r'), QLatin1Char('\n')),
        &dialog);
    layout->addWidget(label);
    auto* busy = new QProgressBar(&dialog);
    busy->setRange(0, 0);  // no end known: it only shows that it is waiting
    layout->addWidget(busy);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отменить"));
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    QTimer poll;
    poll.setInterval(250);
    QObject::connect(&poll, &QTimer::timeout, &dialog, [&dialog, &flag] {
        if (!flag.Running())
            dialog.accept();
    });
    poll.start();
    if (dialog.exec() != QDialog::Accepted)
        throw ESilentAbort();
    return true;
}
