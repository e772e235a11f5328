// The program's settings store: an INI file in the user's config directory
// ($XDG_CONFIG_HOME/Tressik/Quorvel.ini), written through QSettings. Registry
// key paths become INI groups ("quorvel.INI\User" -> [quorvel.INI/User]);
// values are stored as Unicode text.
#pragma once

#include <QSettings>
#include <QSet>
#include <memory>

#include "core/Registry.h"

class IniSettingsStore : public Registry {
public:
    IniSettingsStore();                              // the user's own file
    explicit IniSettingsStore(const QString& iniFile);  // a file of the caller's choice
    ~IniSettingsStore() override;

    bool KeyExists(const std::string& key) override;
    bool CreateKey(const std::string& key) override;
    bool ReadString(const std::string& key, const std::string& name, std::string& value) override;
    bool WriteString(const std::string& key, const std::string& name, const std::string& value) override;
    std::vector<std::string> ValueNames(const std::string& key) override;
    bool DeleteKey(const std::string& key) override;

    QString FileName() const { return Settings->fileName(); }

private:
    static QString Group(const std::string& key);
    std::unique_ptr<QSettings> Settings;
    // An INI file keeps no empty groups: keys created in this run are remembered.
    QSet<QString> Created;
};
