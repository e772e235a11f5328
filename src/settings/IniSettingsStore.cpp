#include "settings/IniSettingsStore.h"

#include "settings/QtText.h"

IniSettingsStore::IniSettingsStore()
    : Settings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tressik"),
                                           QStringLiteral("Quorvel")))
{
}

IniSettingsStore::IniSettingsStore(const QString& iniFile)
    : Settings(std::make_unique<QSettings>(iniFile, QSettings::IniFormat))
{
}

IniSettingsStore::~IniSettingsStore()
{
    Settings->sync();
}

QString IniSettingsStore::Group(const std::string& key)
{
    QString group = ToQString(key);
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (group.endsWith(QLatin1Char('/')))
        group.chop(1);
    return group;
}

bool IniSettingsStore::KeyExists(const std::string& key)
{
    const QString group = Group(key);
    if (Created.contains(group.toLower()))
        return true;
    Settings->beginGroup(group);
    bool exists = !Settings->childKeys().isEmpty() || !Settings->childGroups().isEmpty();
    Settings->endGroup();
    return exists;
}

bool IniSettingsStore::CreateKey(const std::string& key)
{
    Created.insert(Group(key).toLower());
    return Settings->isWritable();
}

bool IniSettingsStore::ReadString(const std::string& key, const std::string& name, std::string& value)
{
    const QString path = Group(key) + QLatin1Char('/') + ToQString(name);
    if (!Settings->contains(path))
        return false;
    value = FromQString(Settings->value(path).toString());
    return true;
}

bool IniSettingsStore::WriteString(const std::string& key, const std::string& name, const std::string& value)
{
    if (!Settings->isWritable())
        return false;
    Settings->setValue(Group(key) + QLatin1Char('/') + ToQString(name), ToQString(value));
    Settings->sync();
    return Settings->status() == QSettings::NoError;
}

std::vector<std::string> IniSettingsStore::ValueNames(const std::string& key)
{
    // The file does not keep the order of writing; numbered names come back
    // in numeric order, which is the order the program writes them in.
    Settings->beginGroup(Group(key));
    const QStringList keys = Settings->childKeys();
    Settings->endGroup();
    std::vector<std::string> names;
    for (const QString& k : keys)
        names.push_back(FromQString(k));
    SortValueNames(names);
    return names;
}

bool IniSettingsStore::DeleteKey(const std::string& key)
{
    const QString group = Group(key);
    bool existed = KeyExists(key);
    Settings->remove(group);
    const QString prefix = group.toLower() + QLatin1Char('/');
    for (auto it = Created.begin(); it != Created.end();) {
        if (*it == group.toLower() || it->startsWith(prefix))
            it = Created.erase(it);
        else
            ++it;
    }
    Settings->sync();
    return existed;
}
