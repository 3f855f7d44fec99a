// Every packaged file lands in the Temp folder byte for byte before the
// welcome page shows.
#include <unistd.h>

#include "installer_test.h"

namespace e2e {
namespace {

using ExtractionTest = InstallerTest;

TEST_F(ExtractionTest, EveryFileIsInTheTempFolderByteForByteWhenTheWelcomePageShows) {
    TypicalPackage package;
    std::vector<PackagedFile> files = package.Files();
    files.push_back({"EMPTY.TTF", ""});
    files.push_back({"SHORTER.TTF", BinaryBody(1000, 7)});
    files.push_back({std::string(36, 'N') + ".TTF", BinaryBody(4096, 8)});  // a 40-byte name
    files.push_back({"LARGE.TTF", BinaryBody(3 * 1024 * 1024 + 17, 9)});
    // An older, longer file of the same name must be replaced, not overwritten in part.
    ASSERT_TRUE(WriteWholeFile(TempPath("SHORTER.TTF"), std::string(5000, 'x')));
    // A hard link planted in the shared folder under an entry's name: the
    // entry gets a new file, and the file it links to stays as it was.
    const std::string linked = session_->DriveC() + "/e2e/linked.dat",
                      linked_body = "someone's\r\n";
    ASSERT_TRUE(WriteWholeFile(linked, linked_body));
    ASSERT_EQ(::link(linked.c_str(), TempPath(package.font_file).c_str()), 0);

    ASSERT_TRUE(Launch(files));
    std::string welcome = WaitWindow(kWelcomeCaption, kLaunchTimeoutMs);
    ASSERT_FALSE(welcome.empty());
    ExpectExtracted(files);
    std::string now;
    EXPECT_TRUE(ReadWholeFile(linked, now) && now == linked_body)
        << "the entry was written into a planted link";
    ::unlink(linked.c_str());
    ExpectVisibleWindow("on the welcome page");
    run_->Kill();
}

// The installer reads the image that runs, by its wide name: from a folder
// that the ANSI code page cannot spell (Windows-1252 has no "Ł"; its
// best fit is "L"), under the ending .com, with a Setup.exe of another
// package beside it and at the best-fitted path. A name taken apart and put
// together again, or read in ANSI, would install the other package.
TEST_F(ExtractionTest, ReadsTheImageThatRunsWhateverItsFolderAndEnding) {
    TypicalPackage package, other;
    other.descriptor.font_name = "Other Sans";
    other.font_file = "OTHER.TTF";
    const std::string other_package = BuildPackage(stub_, other.Files());
    const std::string folder = "\xC5\x81ukasz";  // "Łukasz" in UTF-8
    const std::string pkg = session_->DriveC() + "/pkg/";
    for (const std::string& beside : {pkg + folder, pkg + "Lukasz"}) {
        MakeFolders(beside);
        ASSERT_TRUE(WriteWholeFile(beside + "/Setup.exe", other_package));
    }

    ASSERT_TRUE(LaunchPackageAs(BuildPackage(stub_, package.Files()), folder, "Setup.com"));
    const std::string welcome = WaitWindow(kWelcomeCaption, kLaunchTimeoutMs);
    ASSERT_FALSE(welcome.empty());
    EXPECT_NE(FindControl(driver().Controls(welcome), "Kervale will install the Sample Sans font."),
              nullptr);
    ExpectExtracted(package.Files());
    EXPECT_FALSE(PathExists(TempPath(other.font_file))) << "the other package was extracted";
    run_->Kill();
    run_.reset();
    RemoveTree(pkg + folder);
    RemoveTree(pkg + "Lukasz");
}

}  // namespace
}  // namespace e2e
