#include "ui/HelpF/HelpKeys.h"

#include <QFile>
#include <QKeySequence>
#include <QRegularExpression>

namespace {

QStringList Columns(const QString& line)
{
    QStringList columns = line.split(QLatin1Char('|'));
    for (QString& column : columns)
        column = column.trimmed();
    return columns;
}

// "Left / Right, Ctrl+Up": each key shown by its Russian name, the
// separators kept. A part that is no key of Qt's stays as written.
void ReadKeys(const QString& column, HelpRow& row)
{
    const qsizetype words = column.indexOf(QStringLiteral(" ~ "));
    if (words >= 0) {
        row.Keys = column.left(words).trimmed();
        return;
    }
    const auto addPart = [&row](const QString& part) {
        const QKeySequence key(part, QKeySequence::PortableText);
        if (key.count() == 1 && key.toString(QKeySequence::PortableText) == part) {
            row.Keys += key.toString(QKeySequence::NativeText);
            row.PortableKeys << part;
        } else {
            row.Keys += part;
        }
    };
    static const QRegularExpression separator(QStringLiteral("(, | / )"));
    qsizetype from = 0;
    for (const QRegularExpressionMatch& match : separator.globalMatch(column)) {
        addPart(column.mid(from, match.capturedStart() - from));
        row.Keys += match.captured();
        from = match.capturedEnd();
    }
    addPart(column.mid(from));
}

}  // namespace

std::vector<HelpSection> ParseHelpKeys(const QString& text)
{
    std::vector<HelpSection> sections;
    for (const QString& rawLine : text.split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('='))) {
            const QStringList columns = Columns(line.mid(1));
            sections.push_back({columns.value(0), columns.value(1), {}});
            continue;
        }
        const QStringList columns = Columns(line);
        if (sections.empty() || columns.size() < 2)
            continue;
        HelpRow row;
        ReadKeys(columns[0], row);
        row.Text = columns[1];
        sections.back().Rows.push_back(row);
    }
    return sections;
}

const std::vector<HelpSection>& HelpSections()
{
    static const std::vector<HelpSection> sections = [] {
        QFile file(QStringLiteral(":/help/keys"));
        file.open(QIODevice::ReadOnly);
        return ParseHelpKeys(QString::fromUtf8(file.readAll()));
    }();
    return sections;
}
