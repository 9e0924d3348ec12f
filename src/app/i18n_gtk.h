// The Linux clock's own texts through GNU gettext: the English text is the
// message id, so an untranslated text (or LANGUAGE=C) shows exactly the
// English one. The Windows program keeps its English texts.
#pragma once

#include <glib/gi18n.h>

namespace tickora {

// The application's id: the menu entry's name (com.velmarck.tickora.desktop),
// the icon's name in the theme, the program name (X11 WM_CLASS) and the
// Wayland application id, so the desktop matches the running clock to its
// entry and shows its icon.
inline constexpr const char* kAppId = "com.velmarck.tickora";

// The message domain, and the name of the compiled catalogues (tickora.mo).
inline constexpr const char* kTextDomain = "tickora";

// Takes the user's locale and binds the message domain to the catalogues that
// belong to this program file (see i18n_gtk.cpp). Before any text is shown.
void StartTranslations();

}  // namespace tickora
