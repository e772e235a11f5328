// The keys of the program's windows as the help window shows them, read from
// the one list they are kept in (the resource :/help/keys, which README.md's
// key tables are also made from).
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

struct HelpRow {
    QString Keys;  // as shown: the keys' Russian names, or the Russian words
    QString Text;  // what they do, in Russian
    QStringList PortableKeys;  // the keys as Qt writes them ("Ctrl+Up"); none for words
};

struct HelpSection {
    QString Id;     // "areas", "area", "editor"
    QString Title;  // Russian
    std::vector<HelpRow> Rows;
};

// Reads the list's text (the format is described at its top).
std::vector<HelpSection> ParseHelpKeys(const QString& text);
// The list compiled into the program.
const std::vector<HelpSection>& HelpSections();
