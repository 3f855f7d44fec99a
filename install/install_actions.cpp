#include "install_actions.h"

#include "designs.h"
#include "files.h"
#include "frm_startup.h"
#include "install_rules.h"
#include "mod_web.h"
#include "self_extract.h"
#include "text_utils.h"

namespace kv {

namespace {

bool WriteShortcut(const char* folder_name, const std::string& url) {
    // A title that is no file name fails here rather than reaching the file
    // system, where "..\" in it would put the file outside the folder; an
    // address with a line break would add keys of its own to the file.
    if (!CanWriteShortcut(url, strLinkName)) return false;
    const std::string path = FolderUnder(GetWinDir(), folder_name) + strLinkName + ".url";
    platform::FileSink file(platform::CreateForWriting(path));
    if (!file.valid()) return false;
    const std::string text = InternetShortcutText(url);
    return file.write(text.data(), text.size());
}

}  // namespace

bool InstallFonts() {
    const std::string fonts = FolderUnder(GetWinDir(), "Fonts");
    constexpr int kFileList = design::frmStartupIds::lstFiles;
    const int count = frmStartup.ItemCount(kFileList);
    for (int i = 0; i < count; ++i) {
        const std::string name = frmStartup.Item(kFileList, i);
        if (!IsFontFile(name, strReadme, strLicense)) continue;
        // An entry the user skipped during the extraction was not written:
        // a file of that name in Temp is someone else's, and the font counts
        // as not installed.
        if (!extractedFiles.Holds(name)) return false;
        if (!platform::CopyOneFile(strTempPath + name, fonts + name)) return false;
    }
    return true;
}

bool CopyReadme() {
    // The readme's name comes from the descriptor: unless it is an entry
    // this run extracted, the desktop file of that name is left alone (and
    // a name with a folder in it never reaches the file system).
    if (!extractedFiles.Holds(strReadme)) return true;
    const std::string target = FolderUnder(GetWinDir(), "Desktop") + strReadme;
    KillFile(target);
    platform::CopyOneFile(strTempPath + strReadme, target);
    return true;
}

bool MakeFavURL(const std::string& url) { return WriteShortcut("Favorites", url); }

bool MakeDesktopURL(const std::string& url) { return WriteShortcut("Desktop", url); }

}  // namespace kv
