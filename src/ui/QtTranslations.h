// Qt's own texts in Russian whatever the system's language: the standard
// buttons, the text fields' own menus, file dialogs, the names of keys in the
// menus. The rest of the interface is Russian already.
#pragma once

// Installs Debian's translation of Qt (qtbase_ru.qm from qt6-translations-l10n)
// into the running application; false, with a note on stderr, when it is not
// there (Qt's texts then stay English).
bool InstallQtTranslations();
