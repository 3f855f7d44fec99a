// kervale-pack: turns fonts, a readme and a license into one installer .exe,
// and lists, extracts and verifies such installers.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "build_command.h"
#include "commands.h"
#include "options.h"
#include "platform_fs.h"

#ifndef KERVALE_VERSION
#define KERVALE_VERSION "0"
#endif

namespace {

const char kUsage[] =
    "kervale-pack: builds self-extracting font installers and checks them.\n"
    "\n"
    "Usage:\n"
    "  kervale-pack build -o OUT.exe [--font-name NAME] [--readme FILE] [--license FILE]\n"
    "                     [--web-url URL --link-title TITLE] [--name INPUT=NAME]...\n"
    "                     [--stub PATH] [--follow-links] [--] FONT...\n"
    "  kervale-pack list PACKAGE.exe\n"
    "  kervale-pack extract [--force] [--overwrite] PACKAGE.exe DIR\n"
    "  kervale-pack verify [--any-stub] PACKAGE.exe\n"
    "  kervale-pack --help | --version\n"
    "\n"
    "build    writes OUT.exe: the installer stub followed by the package, which holds\n"
    "         the descriptor KERVALE.DAT, the readme, the license and the fonts in the\n"
    "         order given. Each file is stored under its own file name, which must be\n"
    "         ASCII, at most 40 bytes and a valid Windows file name (--name gives\n"
    "         another). The same inputs give the same bytes. Every FONT is read with\n"
    "         FreeType: a file that is not a TrueType or OpenType font (or\n"
    "         collection, or Windows bitmap font) is refused, and so is a WOFF,\n"
    "         WOFF2, EOT or SVG web font, a font too costly to read (over 64 MiB of\n"
    "         tables, or reads beyond 4 times its length), and a FONT whose name\n"
    "         does not end in .ttf .ttc .otf .otc .fon .fnt .fot .pfm or .pfb (the\n"
    "         installer copies only such files into Fonts). Every option and input\n"
    "         is checked before anything is written, and every problem found is\n"
    "         reported, one a line.\n"
    "  -o OUT.exe          the installer to write; it must end in .exe\n"
    "  --font-name NAME    the font's name as the installer shows it; default: the\n"
    "                      family name every face of every FONT shares (name ID\n"
    "                      16, else 1); fonts of several families need it. build\n"
    "                      says which name it took\n"
    "  --readme FILE       a text shown on the welcome page\n"
    "  --license FILE      a license text the user must agree to\n"
    "  --web-url URL       the link the installer opens: http://, https://, www.\n"
    "                      (opened as http://...) or mailto:; ASCII only:\n"
    "                      percent-encode other characters\n"
    "  --link-title TITLE  the title of that link; it names the shortcut files\n"
    "                      (TITLE.url), so it must be a valid Windows file name\n"
    "  --name INPUT=NAME   stores the file given as INPUT (written exactly as on\n"
    "                      the command line) under NAME, e.g. a name over 40\n"
    "                      bytes; once per input. A refused name comes with a\n"
    "                      suggestion to paste\n"
    "  --stub PATH         the installer stub, a 32-bit Windows GUI program;\n"
    "                      default: kervale-stub.exe next to this tool, else in\n"
    "                      ../share/kervale/ from it. A stub other than that one\n"
    "                      or a released Kervale stub gets a warning naming its\n"
    "                      SHA-256. A signed stub is packed without its\n"
    "                      signature: sign OUT.exe.\n"
    "  --follow-links      follow a symbolic link among the inputs wherever it\n"
    "                      leads; by default only to a file within the folder\n"
    "                      the input is named in (or below it). Every link\n"
    "                      followed is named in the summary.\n"
    "list     shows every packaged file (entry order, size, role), the descriptor,\n"
    "         and each font's family, style, version and format (a variable font's\n"
    "         axes too), face by face, the first ten faces of a collection.\n"
    "extract  writes every packaged file into DIR (created when missing). A package\n"
    "         the installer would refuse is not extracted; --force writes out what\n"
    "         can be read, and the exit status is still 1. A file already in DIR\n"
    "         under a packaged name is replaced only with --overwrite.\n"
    "verify   reads the package as the installer will and judges it by the rules\n"
    "         build follows, fonts included; says why it would fail. Exit status 0\n"
    "         when it is sound; then it shows each font as list does. A stub that\n"
    "         is not Kervale's (this tool's own or a released one) fails unless\n"
    "         --any-stub is given.\n"
    "\n"
    "Texts: the installer shows the readme, the license, the font name and the\n"
    "link title in Windows-1252 (Western European). build converts UTF-8 (with or\n"
    "without a byte-order mark) and UTF-16 with a byte-order mark, and says so for\n"
    "each file; a text that is not UTF-8 is taken as Windows-1252 as it stands. A\n"
    "character Windows-1252 lacks is refused, named with its line; a file with NUL\n"
    "bytes is not text. Lines may end in CR LF, LF or CR. The installer shows the\n"
    "first 4 MiB of a text. list and verify show texts as the user will see them.\n"
    "\n"
    "Wildcards: on Windows, kervale-pack.exe expands * and ? in FONT itself\n"
    "(cmd.exe leaves them to the program), so fonts\\*.ttf works there as in a\n"
    "Unix shell.\n"
    "\n"
    "What the user sees: OUT.exe asks for administrator rights, unpacks, and shows\n"
    "a wizard whose own texts are English and fixed: a welcome page with the font\n"
    "name, the readme and the web link; the license with \"I Agree\" (only with\n"
    "--license); options for a readme copy on the desktop and shortcuts to the web\n"
    "link; then it copies the fonts into the Windows Fonts folder, where Windows\n"
    "has them after the next restart. To look at an installer's pages before you\n"
    "ship it, run scripts/preview.sh INSTALLER.exe [FOLDER] from Kervale's source\n"
    "tree: it runs the installer under Wine.\n"
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
    case kvpack::Command::Usage: std::fputs(kUsage, stderr); return kvpack::kExitUsage;
    case kvpack::Command::Version:
        std::puts("kervale-pack " KERVALE_VERSION);
        return kvpack::kExitOk;
    case kvpack::Command::Build: return kvpack::RunBuild(line.build);
    case kvpack::Command::List: return kvpack::RunList(line.package);
    case kvpack::Command::Extract:
        return kvpack::RunExtract(line.package, line.directory, line.force, line.overwrite);
    case kvpack::Command::Verify: return kvpack::RunVerify(line.package, line.any_stub);
    }
    return kvpack::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const kvpack::Utf8Console console;
        return Run(kvpack::ProgramArguments(argc, argv));
    } catch (const std::exception& e) {
        return kvpack::Fail(e.what());
    }
}
