// The context menu as a Win32 popup menu: the portable model turned into
// AppendMenuW calls, shown with TrackPopupMenu, destroyed again.
#include <windows.h>

#include "app/window_mode.h"
#include "menu/context_menu.h"
#include "menu/menu_model.h"
#include "settings/settings.h"

namespace tickora {
namespace {

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

UINT FlagsOf(const MenuItem& item) {
    switch (item.kind) {
        case MenuItemKind::Separator:
            return MF_SEPARATOR;
        case MenuItemKind::Submenu:
            return MF_POPUP;
        case MenuItemKind::Command:
            break;
    }
    return (item.checked ? MF_CHECKED : MF_STRING) | (item.disabled ? MF_DISABLED : 0);
}

bool HoldsCommand(const Menu& menu, std::uint32_t id) {
    for (const MenuItem& item : menu) {
        if (item.kind == MenuItemKind::Command && item.id == id) return true;
    }
    return false;
}

// Fills a popup with the model's items; remembers the Skin submenu.
void Fill(HMENU popup, const Menu& items, HMENU& skinMenu) {
    for (const MenuItem& item : items) {
        if (item.kind == MenuItemKind::Separator) {
            AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
        } else if (item.kind == MenuItemKind::Submenu) {
            HMENU submenu = CreatePopupMenu();
            Fill(submenu, item.submenu, skinMenu);
            if (HoldsCommand(item.submenu, IDM_SKIN_INTERNAL)) skinMenu = submenu;
            AppendMenuW(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), Wide(item.text));
        } else {
            AppendMenuW(popup, FlagsOf(item), item.id, Wide(item.text));
        }
    }
}

class PopupHost : public MenuHost {
  public:
    PopupHost(HWND window, HMENU skinMenu) : window_(window), skinMenu_(skinMenu) {}

    void Quit() override { PostQuitMessage(0); }
    void ShowPassThroughNote() override {
        MessageBoxW(window_, Wide(kPassThroughNote), Wide(kNoteTitle), MB_OK | MB_ICONINFORMATION);
    }
    void ApplyWindowMode() override { tickora::ApplyWindowMode(window_, false); }
    std::u16string SkinItemText(std::uint32_t id) override {
        wchar_t text[kSkinNameUnits] = {};
        GetMenuStringW(skinMenu_, id, text, kSkinNameUnits, MF_BYCOMMAND);
        return std::u16string(reinterpret_cast<const char16_t*>(text));
    }

  private:
    HWND window_;
    HMENU skinMenu_;
};

}  // namespace

void ShowContextMenu(void* window) {
    auto hwnd = static_cast<HWND>(window);
    POINT cursor{};
    GetCursorPos(&cursor);
    const Menu model = BuildContextMenu(ListSkins(clockSettings.Skin));
    HMENU top = CreatePopupMenu();
    HMENU skinMenu = nullptr;
    Fill(top, model, skinMenu);
    const auto chosen = static_cast<std::uint32_t>(TrackPopupMenu(
        top, TPM_RETURNCMD | TPM_NONOTIFY, cursor.x + 1, cursor.y + 1, 0, hwnd, nullptr));
    PopupHost host(hwnd, skinMenu);
    CarryOutCommand(chosen, host);
    // Destroying the top level destroys the submenus attached to it.
    DestroyMenu(top);
}

}  // namespace tickora
