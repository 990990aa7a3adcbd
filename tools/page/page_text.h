// The texts of the globe's own page, translated with the program's in the
// po/ catalogues. Kept short: the page says what the menu items do, and
// the menu's own captions (settings/menu.h) name them.
#pragma once

#include <string_view>

#include "i18n/translation.h"

namespace gd::page {

inline constexpr std::string_view kTagline = N_("A snow globe for your desktop");
inline constexpr std::string_view kByDay = N_("The globe by day");
inline constexpr std::string_view kAtNight = N_("The globe at night");

inline constexpr std::string_view kCountdownIntro =
    N_("Whole days between now and each date, counted as the plaque counts them.");
inline constexpr std::string_view kNoScript = N_("Turn on scripts to see the days count down.");

inline constexpr std::string_view kMovingHeading = N_("Moving the globe");
inline constexpr std::string_view kMoving =
    N_("Drag the globe with any mouse button to put it anywhere on your desktop. It starts where you left it.");
inline constexpr std::string_view kShaking =
    N_("Drag it quickly back and forth to shake it: the snow on the ground whirls up and settles again.");

inline constexpr std::string_view kMenuHeading = N_("The menu");
inline constexpr std::string_view kMenuIntro = N_("Right-click the globe for its menu:");
inline constexpr std::string_view kAboutDoes = N_("Opens this page.");
inline constexpr std::string_view kSpeedDoes = N_("How fast the sky, the sun and the moon move.");
inline constexpr std::string_view kSizeDoes = N_("The globe at 100 to 300 percent, or as your screen's scale says.");
inline constexpr std::string_view kCountdownDoes = N_("The date the plaque counts the days to.");
inline constexpr std::string_view kSnowDoes = N_("Lets the snow fall, or stops it.");
inline constexpr std::string_view kTransparentDoes = N_("Lets the desktop show through the globe.");
inline constexpr std::string_view kOnTopDoes = N_("Keeps the globe above other windows.");
inline constexpr std::string_view kStartDoes = N_("Starts the globe when you log in.");
inline constexpr std::string_view kExitDoes = N_("Closes the globe. Your choices and its place are kept.");

inline constexpr std::string_view kSettingsHeading = N_("Where the settings live");
inline constexpr std::string_view kSettingsLinux = N_("On Linux: %s");
inline constexpr std::string_view kSettingsWindows = N_("On Windows: the registry key %s");

inline constexpr std::string_view kVersion = N_("Version %s");
inline constexpr std::string_view kLicenceHeading = N_("Licence");
inline constexpr std::string_view kLicence = N_("Glimmerdome is free software under the MIT licence:");
inline constexpr std::string_view kCreditsHeading = N_("Credits");
inline constexpr std::string_view kMadeBy = N_("Made by the Glimmerdome developers.");
inline constexpr std::string_view kBuiltWith = N_("Built with zlib, and on Linux with GTK, GLib and ICU.");
inline constexpr std::string_view kLettering = N_("The plaque's lettering is drawn with the DejaVu fonts.");

}  // namespace gd::page
