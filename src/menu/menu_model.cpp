#include "menu/menu_model.h"

#include <cstdio>

#include "render/clock_positions.h"
#include "settings/settings.h"
#include "skin/skin.h"

namespace tickora {
namespace {

constexpr std::int32_t kAlphaValues[] = {100, 85, 80, 75, 68, 60, 50, 37, 20};

MenuItem Separator() {
    return MenuItem{MenuItemKind::Separator, {}, 0, false, false, {}};
}

MenuItem Command(const char16_t* text, std::uint32_t id, bool checked, bool disabled = false) {
    return MenuItem{MenuItemKind::Command, text, id, checked, disabled, {}};
}

MenuItem Submenu(const char16_t* text, Menu items) {
    return MenuItem{MenuItemKind::Submenu, text, 0, false, false, std::move(items)};
}

Menu ScaleMenu() {
    Menu menu;
    const std::int32_t current = clockSettings.Scale;
    for (std::int32_t value : {20, 25, 32, 40, 50, 63, 80}) {
        AppendPercentItem(menu, value, IDM_SCALE_BASE, current, false);
    }
    menu.push_back(Separator());
    AppendPercentItem(menu, 100, IDM_SCALE_BASE, current, false);
    menu.push_back(Separator());
    for (std::int32_t value : {125, 160, 200}) {
        AppendPercentItem(menu, value, IDM_SCALE_BASE, current, false);
    }
    return menu;
}

Menu TransparencyMenu() {
    Menu menu;
    for (std::int32_t value : kAlphaValues) {
        AppendPercentItem(menu, value, IDM_ALPHA_BASE, clockSettings.Alpha, true);
    }
    return menu;
}

Menu SkinMenu(const std::vector<SkinEntry>& catalogue) {
    Menu menu;
    menu.push_back(Command(u"Internal", IDM_SKIN_INTERNAL, clockSettings.Skin[0] == u'\0'));
    menu.push_back(Separator());
    for (const SkinEntry& entry : catalogue) {
        menu.push_back(
            MenuItem{MenuItemKind::Command, entry.name, entry.id, entry.current, false, {}});
    }
    return menu;
}

}  // namespace

void AppendPercentItem(Menu& submenu, std::int32_t value, std::int32_t base, std::int32_t current,
                       bool invert) {
    char text[16];
    std::snprintf(text, sizeof text, "%d%%", invert ? 100 - value : value);
    submenu.push_back(MenuItem{MenuItemKind::Command,
                               std::u16string(text, text + std::char_traits<char>::length(text)),
                               static_cast<std::uint32_t>(base + value),
                               value == current,
                               false,
                               {}});
}

Menu BuildContextMenu(const std::vector<SkinEntry>& catalogue) {
    Menu menu;
    menu.push_back(Submenu(u"Scale", ScaleMenu()));
    menu.push_back(Submenu(u"Transparency", TransparencyMenu()));
    menu.push_back(Separator());
    menu.push_back(Submenu(u"Skin", SkinMenu(catalogue)));
    menu.push_back(Separator());
    menu.push_back(Command(u"Mouse Pass Through", IDM_CLICK_THROUGH, clockSettings.Transparent));
    menu.push_back(Command(u"Always on Top", IDM_TOPMOST, clockSettings.TopMost));
    menu.push_back(Separator());
    menu.push_back(Command(u"Glass", IDM_GLASS, clockSettings.ShowGlass, skinSet.glass == nullptr));
    menu.push_back(
        Command(u"Seconds", IDM_SECONDS, clockSettings.ShowSeconds, skinSet.secondHand == nullptr));
    menu.push_back(Separator());
    menu.push_back(Command(u"Exit", IDM_EXIT, false));
    return menu;
}

void CarryOutCommand(std::uint32_t id, MenuHost& host) {
    if (id == IDM_EXIT) {
        host.Quit();
    } else if (id == IDM_CLICK_THROUGH) {
        clockSettings.Transparent = !clockSettings.Transparent;
        if (clockSettings.Transparent) host.ShowPassThroughNote();
        host.ApplyWindowMode();
    } else if (id == IDM_TOPMOST) {
        clockSettings.TopMost = !clockSettings.TopMost;
        host.ApplyWindowMode();
    } else if (id == IDM_GLASS) {
        clockPositions.lastMinuteStep = -1;
        clockSettings.ShowGlass = !clockSettings.ShowGlass;
    } else if (id == IDM_SECONDS) {
        clockPositions.lastMinuteStep = -1;
        clockSettings.ShowSeconds = !clockSettings.ShowSeconds;
    } else if (id >= 110 && id <= 200) {
        // 200 is the transparency item "0%": the ranges are tested in this order.
        clockSettings.Alpha = static_cast<std::int32_t>(id - IDM_ALPHA_BASE);
    } else if (id >= 201 && id <= 400) {
        clockSettings.Scale = static_cast<std::int32_t>(id - IDM_SCALE_BASE);
        clockPositions.lastMinuteStep = -1;
    } else if (id == IDM_SKIN_INTERNAL) {
        clockSettings.Skin[0] = u'\0';
        LoadSkin();
    } else if (id >= 500) {
        SetSkinName(host.SkinItemText(id));
        LoadSkin();
    }
}

}  // namespace tickora
