#include "mainwindow/ForkPalette.h"

#include <iterator>

namespace ForkPalette {

namespace {

struct RoleColours {
    QPalette::ColorRole role;
    QColor enabled; // active and inactive windows alike
    QColor disabled;
};

// Every colour role there is; a role left out would come from the theme.
const RoleColours table[] = {
    {QPalette::WindowText, QColor(0, 0, 0), QColor(190, 190, 190)},
    {QPalette::Button, QColor(239, 239, 239), QColor(239, 239, 239)},
    {QPalette::Light, QColor(255, 255, 255), QColor(255, 255, 255)},
    {QPalette::Midlight, QColor(202, 202, 202), QColor(202, 202, 202)},
    {QPalette::Dark, QColor(159, 159, 159), QColor(190, 190, 190)},
    {QPalette::Mid, QColor(184, 184, 184), QColor(184, 184, 184)},
    {QPalette::Text, QColor(0, 0, 0), QColor(190, 190, 190)},
    {QPalette::BrightText, QColor(255, 255, 255), QColor(255, 255, 255)},
    {QPalette::ButtonText, QColor(0, 0, 0), QColor(190, 190, 190)},
    {QPalette::Base, QColor(255, 255, 255), QColor(239, 239, 239)},
    {QPalette::Window, QColor(239, 239, 239), QColor(239, 239, 239)},
    {QPalette::Shadow, QColor(118, 118, 118), QColor(177, 177, 177)},
    {QPalette::Highlight, QColor(48, 140, 198), QColor(145, 145, 145)},
    {QPalette::HighlightedText, QColor(255, 255, 255), QColor(255, 255, 255)},
    {QPalette::Link, QColor(0, 0, 255), QColor(0, 0, 255)},
    {QPalette::LinkVisited, QColor(255, 0, 255), QColor(255, 0, 255)},
    {QPalette::AlternateBase, QColor(247, 247, 247), QColor(247, 247, 247)},
    {QPalette::ToolTipBase, QColor(255, 255, 220), QColor(255, 255, 220)},
    {QPalette::ToolTipText, QColor(0, 0, 0), QColor(0, 0, 0)},
    {QPalette::PlaceholderText, QColor(0, 0, 0, 128), QColor(0, 0, 0, 128)},
};
static_assert(std::size(table) == QPalette::NColorRoles - 1, "every role but NoRole has its colours");

} // namespace

QPalette make()
{
    QPalette palette;
    for (const RoleColours& entry : table) {
        palette.setColor(QPalette::Active, entry.role, entry.enabled);
        palette.setColor(QPalette::Inactive, entry.role, entry.enabled);
        palette.setColor(QPalette::Disabled, entry.role, entry.disabled);
    }
    return palette;
}

} // namespace ForkPalette
