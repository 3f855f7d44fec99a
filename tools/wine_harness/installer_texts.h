// The installer's own texts, as the tests, the benchmarks and the demo look
// for them on the screen.
#pragma once

namespace e2e {

// Window captions and message texts.
constexpr const char kWelcomeCaption[] = "Kervale Self-Extractor";
constexpr const char kStartupCaption[] = "Kervale";
constexpr const char kDamagedText[] = "This file is damaged. Try downloading the file again.";
constexpr const char kCorruptedText[] = "The kervale datafile is corrupted.";
constexpr const char kApplicationTitle[] = "KervaleExtractor";
constexpr const char kExitQuestion[] =
    "Kervale has not finished installing the font. Are you sure you want to exit?";
constexpr const char kExitTitle[] = "Kervale";

// Texts that tell the pages apart (all three share one caption).
constexpr const char kWelcomeMarker[] = "Welcome to  Kervale.";
constexpr const char kLicenseMarker[] = "License Agreement:";
constexpr const char kOptionsMarker[] = "Kervale is now ready to install the font.";

constexpr const char kAgreeCaption[] = "I Agree";
constexpr const char kNextCaption[] = "&Next";
constexpr const char kInstallCaption[] = "I&nstall";
constexpr const char kCopyReadmeCaption[] = "Copy &Readme to Desktop";
constexpr const char kFavoritesCaption[] = "&Add to Favorites";
constexpr const char kDesktopUrlCaption[] = "Make &shortcut on desktop";
constexpr const char kAboutCaption[] = "About Kervale";
constexpr const char kInstallingCaption[] = "Installing";
constexpr const char kInstallingText[] = "Please Wait while Kervale installs the font...";

// The outcomes of the install run.
constexpr const char kSuccessText[] = "The font was installed.\r\nThanks for using Kervale!";
constexpr const char kFontErrorText[] = "Font Error: Font Already Installed";
constexpr const char kShortcutErrorText[] =
    "The font was installed, but the Web shortcut could not be created.";
constexpr const char kShortcutErrorTitle[] = "Error";

}  // namespace e2e
