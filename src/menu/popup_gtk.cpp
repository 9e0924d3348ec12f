// The context menu as a GtkMenu: the portable model with check items,
// submenus, separators and insensitive items. The model's fixed English texts
// are translated here (the English text is the message id); percent items and
// skin names are shown literally.
#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "app/clock_window_gtk.h"
#include "app/desktop_gtk.h"
#include "app/i18n_gtk.h"
#include "app/session_gtk.h"
#include "app/window_mode.h"
#include "menu/context_menu.h"
#include "menu/menu_model.h"
#include "settings/settings.h"

namespace tickora {
namespace {

std::string Utf8(const std::u16string& text) {
    gchar* utf8 = g_utf16_to_utf8(reinterpret_cast<const gunichar2*>(text.c_str()), -1, nullptr,
                                  nullptr, nullptr);
    std::string result = utf8 != nullptr ? utf8 : "";
    g_free(utf8);
    return result;
}

// The fixed texts of the portable model (menu/menu_model.cpp), listed here so
// that xgettext finds them for the template.
[[maybe_unused]] constexpr const char* kFixedTexts[] = {
    N_("Scale"),
    N_("Transparency"),
    N_("Skin"),
    N_("Internal"),
    N_("Mouse Pass Through"),
    N_("Always on Top"),
    N_("Glass"),
    N_("Seconds"),
    N_("Exit"),
};

// Submenu titles and the fixed commands are translated; percent items and skin
// names (a skin folder may well be called "Exit") never are. Told by the
// command identifier, not by the text.
std::string Label(const MenuItem& item) {
    const std::string text = Utf8(item.text);
    const bool fixed = item.kind == MenuItemKind::Submenu ||
                       (item.kind == MenuItemKind::Command &&
                        (item.id < IDM_ALPHA_BASE || item.id == IDM_SKIN_INTERNAL));
    return fixed && !text.empty() ? gettext(text.c_str()) : text;
}

class PopupHost : public MenuHost {
  public:
    PopupHost(GtkWidget* window, Menu model) : window_(window), model_(std::move(model)) {}

    GtkWidget* window() const { return window_; }
    void Quit() override { gtk_main_quit(); }
    void ShowPassThroughNote() override {
        // The note waits for the user; the choice is kept already.
        SaveClockSettings();
        GtkWidget* note =
            gtk_message_dialog_new(GTK_WINDOW(window_), GTK_DIALOG_MODAL, GTK_MESSAGE_INFO,
                                   GTK_BUTTONS_OK, "%s", PassThroughNoteText());
        gtk_window_set_title(GTK_WINDOW(note), Utf8(kNoteTitle).c_str());
        gtk_dialog_run(GTK_DIALOG(note));
        gtk_widget_destroy(note);
    }
    void ApplyWindowMode() override { tickora::ApplyWindowMode(window_, false); }
    std::u16string SkinItemText(std::uint32_t id) override {
        for (const MenuItem& top : model_) {
            for (const MenuItem& item : top.submenu) {
                if (item.kind == MenuItemKind::Command && item.id == id) return item.text;
            }
        }
        return {};
    }

  private:
    GtkWidget* window_;
    Menu model_;
};

// The menu on screen and what its commands act on; replaced at every opening.
struct OpenMenu {
    GtkWidget* menu = nullptr;
    std::unique_ptr<PopupHost> host;
} openMenu;

gboolean CarryOutChosen(gpointer command) {
    if (!openMenu.host) return G_SOURCE_REMOVE;
    CarryOutCommand(GPOINTER_TO_UINT(command), *openMenu.host);
    ShowMenuChoice(openMenu.host->window());
    // Every choice is on disk at once: a clock killed later loses none of them.
    SaveClockSettings();
    return G_SOURCE_REMOVE;
}

// The command runs once the activation has returned, as on Windows once the
// menu has: a modal note must not hold up whoever activated the item (an
// assistive technology waits for the answer to its "click").
void OnActivate(GtkMenuItem* item, gpointer) {
    g_idle_add(&CarryOutChosen, g_object_get_data(G_OBJECT(item), "command"));
}

gboolean DestroyMenu(gpointer menu) {
    if (menu == openMenu.menu) openMenu.menu = nullptr;
    gtk_widget_destroy(GTK_WIDGET(menu));
    return G_SOURCE_REMOVE;
}

// The chosen item is activated after the menu is deactivated: the menu goes
// once both have happened.
void OnDeactivate(GtkMenuShell* menu, gpointer) {
    g_idle_add(&DestroyMenu, menu);
}

GtkWidget* Build(const Menu& items) {
    GtkWidget* menu = gtk_menu_new();
    for (const MenuItem& item : items) {
        GtkWidget* entry = nullptr;
        const std::string label = Label(item);
        if (item.kind == MenuItemKind::Separator) {
            entry = gtk_separator_menu_item_new();
        } else if (item.kind == MenuItemKind::Submenu) {
            entry = gtk_menu_item_new_with_label(label.c_str());
            gtk_menu_item_set_submenu(GTK_MENU_ITEM(entry), Build(item.submenu));
        } else {
            if (item.checked) {
                entry = gtk_check_menu_item_new_with_label(label.c_str());
                gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(entry), TRUE);
            } else {
                entry = gtk_menu_item_new_with_label(label.c_str());
            }
            gtk_widget_set_sensitive(entry, !item.disabled);
            g_object_set_data(G_OBJECT(entry), "command", GUINT_TO_POINTER(item.id));
            g_signal_connect(entry, "activate", G_CALLBACK(OnActivate), nullptr);
        }
        gtk_menu_shell_append(GTK_MENU_SHELL(menu), entry);
    }
    return menu;
}

}  // namespace

void ShowContextMenu(void* window) {
    auto* widget = static_cast<GtkWidget*>(window);
    Menu model = BuildContextMenu(ListSkins(clockSettings.Skin));
    GtkWidget* menu = Build(model);
    openMenu.menu = menu;
    openMenu.host = std::make_unique<PopupHost>(widget, std::move(model));
    g_signal_connect(menu, "deactivate", G_CALLBACK(OnDeactivate), nullptr);
    gtk_menu_attach_to_widget(GTK_MENU(menu), widget, nullptr);
    gtk_widget_show_all(menu);
    gtk_menu_popup_at_pointer(GTK_MENU(menu), nullptr);
}

}  // namespace tickora
