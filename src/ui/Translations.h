#pragma once

namespace ui {

// Qt's own texts (file dialogs, context menus, standard buttons) in Chinese, like the rest of
// the program, whatever the system's language. Returns false when Qt's Chinese translations
// (Debian package qt6-translations-l10n) are not installed; the texts then stay English.
bool installQtTranslations();

} // namespace ui
