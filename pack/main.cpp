// kervale-pack: turns fonts, a readme and a license into one installer .exe,
// and lists, extracts and verifies such installers.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "commands.h"
#include "options.h"

#ifndef KERVALE_VERSION
#define KERVALE_VERSION "0"
#endif

namespace {

const char kUsage[] =
    "kervale-pack: builds self-extracting font installers and checks them.\n"
    "\n"
    "Usage:\n"
    "  kervale-pack build -o OUT.exe [--font-name NAME] [--readme FILE] [--license FILE]\n"
    "                     [--web-url URL --link-title TITLE] [--stub PATH] [--] FONT...\n"
    "  kervale-pack list PACKAGE.exe\n"
    "  kervale-pack extract [--force] PACKAGE.exe DIR\n"
    "  kervale-pack verify PACKAGE.exe\n"
    "  kervale-pack --help | --version\n"
    "\n"
    "build    writes OUT.exe: the installer stub followed by the package, which holds\n"
    "         the descriptor KERVALE.DAT, the readme, the license and the fonts in the\n"
    "         order given. Each file is stored under its own file name (at most 40\n"
    "         bytes, a valid Windows file name). The same inputs give the same bytes.\n"
    "         Every FONT is read with FreeType: a file that is not a TrueType or\n"
    "         OpenType font (or collection, or Windows bitmap font) is refused, and\n"
    "         so is a WOFF/WOFF2 web font, and a FONT whose name does not end in\n"
    "         .ttf .ttc .otf .otc .fon .fnt .fot .pfm or .pfb (the installer copies\n"
    "         only such files into Fonts). The readme and license can be any text.\n"
    "  -o OUT.exe          the installer to write; it must end in .exe\n"
    "  --font-name NAME    the font's name as the installer shows it; default: the\n"
    "                      first FONT's own (typographic) family name, in\n"
    "                      Windows-1252; build says which name it took\n"
    "  --readme FILE       a text file shown on the welcome page\n"
    "  --license FILE      a license text the user must agree to\n"
    "  --web-url URL       the link the installer opens: http://, https://, www.\n"
    "                      (opened as http://...) or mailto:\n"
    "  --link-title TITLE  the title of that link; it names the shortcut files\n"
    "                      (TITLE.url), so it must be a valid Windows file name\n"
    "  --stub PATH         the installer stub, a 32-bit Windows GUI program;\n"
    "                      default: kervale-stub.exe next to this tool. A signed\n"
    "                      stub is packed without its signature: sign OUT.exe.\n"
    "list     shows every packaged file (entry order, size, role), the descriptor,\n"
    "         and each font's family, style, version and format, face by face.\n"
    "extract  writes every packaged file into DIR (created when missing). A package\n"
    "         the installer would refuse is not extracted; --force writes out what\n"
    "         can be read, and the exit status is still 1.\n"
    "verify   reads the package as the installer will and judges it by the rules\n"
    "         build follows, fonts included; says why it would fail. Exit status 0\n"
    "         when it is sound; then it shows each font as list does.\n"
    "\n"
    "An option's value is taken as it stands (--font-name -h names a font \"-h\");\n"
    "-- ends the options, so a file or folder may begin with a dash.\n"
    "\n"
    "Example:\n"
    "  kervale-pack build -o SampleSans.exe \\\n"
    "      --readme README.TXT --license LICENSE.TXT \\\n"
    "      --web-url https://www.example.com/sample-sans/ --link-title \"Sample Sans\" \\\n"
    "      SampleSans-Regular.ttf SampleSans-Bold.ttf\n"
    "  kervale-pack verify SampleSans.exe\n"
    "\n"
    "Exit status: 0 done, 1 refused or failed, 2 bad command line.\n";

int Run(const std::vector<std::string>& args) {
    const kvpack::CommandLine line = kvpack::ParseCommandLine(args);
    if (!line.error.empty()) {
        std::fprintf(stderr, "kervale-pack: %s\nRun kervale-pack --help for the usage.\n",
                     line.error.c_str());
        return kvpack::kExitUsage;
    }
    switch (line.command) {
    case kvpack::Command::Help: std::fputs(kUsage, stdout); return kvpack::kExitOk;
    case kvpack::Command::Version:
        std::puts("kervale-pack " KERVALE_VERSION);
        return kvpack::kExitOk;
    case kvpack::Command::Build: return kvpack::RunBuild(line.build);
    case kvpack::Command::List: return kvpack::RunList(line.package);
    case kvpack::Command::Extract:
        return kvpack::RunExtract(line.package, line.directory, line.force);
    case kvpack::Command::Verify: return kvpack::RunVerify(line.package);
    }
    return kvpack::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        return kvpack::Fail(e.what());
    }
}
