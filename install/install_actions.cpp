#include "install_actions.h"

#include "files.h"
#include "installed_files.h"
#include "session.h"

namespace kv {

namespace {

bool WriteShortcut(const char* folder_name, std::string_view url) {
    // A title that is no file name fails here rather than reaching the file
    // system, where "..\" in it would put the file outside the folder; an
    // address the welcome page would not open (a program's path, a share, a
    // line break that adds keys of its own) is never written.
    const String folder = WindowsFolder(folder_name);
    const String& title = Settings().link_name;
    if (!CanWriteShortcut(url, title) || folder.empty()) return false;
    platform::FileSink file(platform::CreateForWriting(Concat({folder, title, ".url"}).c_str()));
    if (!file.valid()) return false;
    const String text = InternetShortcutText(url);
    return file.write(text.data(), text.size());
}

// The steps on Windows, with the message boxes the user sees.
class InstallerInstallHost final : public InstallHost {
public:
    InstallerInstallHost(ui::Form& options_page, ui::Form& installing)
        : options_page_(options_page), installing_(installing) {}

    void ShowInstalling() override {
        options_page_.Hide();
        installing_.Show();
        ui::YieldToEvents();  // paint the installing window before the copies
    }
    void CopyReadme() override { kv::CopyReadme(); }
    bool MakeFavURL() override { return kv::MakeFavURL(Settings().web_url); }
    bool MakeDesktopURL() override { return kv::MakeDesktopURL(Settings().web_url); }
    bool InstallFonts() override { return kv::InstallFonts(); }
    void HideInstalling() override { installing_.Hide(); }
    void Tell(InstallOutcome outcome) override {
        switch (outcome) {
        case InstallOutcome::FontError: ui::MsgBox("Font Error: Font Already Installed"); break;
        case InstallOutcome::ShortcutFailed:
            ui::MsgBox("The font was installed, but the Web shortcut could not be created.",
                       ui::kMsgOk, "Error");
            break;
        case InstallOutcome::Installed:
            ui::MsgBox("The font was installed.\r\nThanks for using Kervale!");
            break;
        }
    }
    void CleanUp() override { kv::CleanUp(); }

private:
    ui::Form& options_page_;
    ui::Form& installing_;
};

}  // namespace

bool InstallFonts() {
    const PackageSettings& package = Settings();
    const String fonts = WindowsFolder("Fonts");
    bool copied = !fonts.empty();
    ForEachPackagedFile([&](const String& name) {
        if (!copied || !IsFontFile(name, package.readme, package.license)) return;
        // An entry the user skipped during the extraction was not written:
        // a file of that name in Temp is someone else's, and the font counts
        // as not installed.
        copied = extractedFiles.Holds(name) &&
                 platform::CopyOneFile(ExtractedPath(name).c_str(), Concat(fonts, name).c_str());
    });
    return copied;
}

bool CopyReadme() {
    // The readme's name comes from the descriptor: unless it is an entry
    // this run extracted, the desktop file of that name is left alone (and
    // a name with a folder in it never reaches the file system).
    const String& readme = Settings().readme;
    const String desktop = WindowsFolder("Desktop");
    if (!extractedFiles.Holds(readme) || desktop.empty()) return true;
    const String target = Concat(desktop, readme);
    KillFile(target.c_str());
    platform::CopyOneFile(ExtractedPath(readme).c_str(), target.c_str());
    return true;
}

bool MakeFavURL(std::string_view url) { return WriteShortcut("Favorites", url); }

bool MakeDesktopURL(std::string_view url) { return WriteShortcut("Desktop", url); }

void Install(const InstallChoices& choices, ui::Form& options_page, ui::Form& installing) {
    InstallerInstallHost host(options_page, installing);
    RunInstall(choices, host);
    ui::EndProgram();  // not reached: the clean end ends the program
}

}  // namespace kv
