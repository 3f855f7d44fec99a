// A descriptor that fails its signature check: the corrupted-datafile message,
// then the clean-up keeps only the readme of the extracted files.
#include "harness/installer_run.h"

namespace e2e {
namespace {

using CorruptedDescriptorTest = InstallerTest;

TEST_F(CorruptedDescriptorTest, LowerCaseSignatureShowsMessageThenCleanUpKeepsOnlyTheReadme) {
    TypicalPackage package;
    package.descriptor.signature = "kervale datafile 1";
    std::vector<PackagedFile> files = package.Files();
    ASSERT_TRUE(WriteWholeFile(TempPath("UNLISTED.TXT"), "not from the package\r\n"));

    ASSERT_TRUE(Launch(files));
    std::string box = ExpectMessageBox(kApplicationTitle, kCorruptedText, {"OK"}, /*stop_icon=*/false,
                                       kLaunchTimeoutMs);
    ASSERT_FALSE(box.empty());
    // The check reads the extracted descriptor, so everything is out by now.
    ExpectExtracted(files);
    ExpectVisibleWindow("while the corrupted-datafile message is up");

    Answer(box, "OK");
    ExpectEnds();
    EXPECT_TRUE(PathExists(TempPath(package.descriptor.readme))) << "the readme must stay";
    EXPECT_FALSE(PathExists(TempPath("KERVALE.DAT")));
    EXPECT_FALSE(PathExists(TempPath(package.descriptor.license)));
    EXPECT_FALSE(PathExists(TempPath(package.font_file)));
    std::string unlisted;
    EXPECT_TRUE(ReadWholeFile(TempPath("UNLISTED.TXT"), unlisted) &&
                unlisted == "not from the package\r\n")
        << "a file that was not packaged was touched";
}

}  // namespace
}  // namespace e2e
