// The context menu as data: built afresh from the settings, the loaded skin and
// the skin catalogue each time it opens; the platform shows it and returns the
// chosen command's identifier (0 when dismissed).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "skin/skin_catalogue.h"

namespace tickora {

inline constexpr std::uint32_t IDM_EXIT = 50;
inline constexpr std::uint32_t IDM_CLICK_THROUGH = 51;
inline constexpr std::uint32_t IDM_TOPMOST = 52;
inline constexpr std::uint32_t IDM_GLASS = 53;
inline constexpr std::uint32_t IDM_SECONDS = 54;
inline constexpr std::uint32_t IDM_ALPHA_BASE = 100;
inline constexpr std::uint32_t IDM_SCALE_BASE = 200;

inline constexpr const char16_t* kNoteTitle = u"Tickora";
inline constexpr const char16_t* kPassThroughNote =
    u"NOTE! You can deactivate \"Mouse Pass Through\"\n"
    u"mode only by selecting Tickora with ALT+TAB!";

enum class MenuItemKind { Command, Separator, Submenu };

struct MenuItem {
    MenuItemKind kind = MenuItemKind::Command;
    std::u16string text;
    std::uint32_t id = 0;
    bool checked = false;
    bool disabled = false;
    std::vector<MenuItem> submenu;
};

using Menu = std::vector<MenuItem>;

// Appends one item of a percent submenu: text "%d%%" of value (100 - value when
// inverted); identifier base + value; checked when value is the current one.
void AppendPercentItem(Menu& submenu, std::int32_t value, std::int32_t base, std::int32_t current,
                       bool invert);

// The whole menu for the current settings, skin and catalogue.
Menu BuildContextMenu(const std::vector<SkinEntry>& catalogue);

// What a command needs of the window it was chosen on.
class MenuHost {
  public:
    virtual ~MenuHost() = default;
    virtual void Quit() = 0;
    // The modal note shown when mouse pass-through is switched on.
    virtual void ShowPassThroughNote() = 0;
    virtual void ApplyWindowMode() = 0;
    // The text of the Skin submenu's item with this identifier, as the menu holds it.
    virtual std::u16string SkinItemText(std::uint32_t id) = 0;
};

// Carries out the command with this identifier; 0 and unknown identifiers do nothing.
void CarryOutCommand(std::uint32_t id, MenuHost& host);

}  // namespace tickora
