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

}  // namespace
}  // namespace e2e
