// A file in the shared Temp folder that the installer cannot replace brings
// up the extraction's prompt; an entry skipped there was not written by this
// run, so nothing of that name is installed or read from Temp.
#include <sys/stat.h>

#include "installer_test.h"
#include "trailer.h"
#include "wine_harness/wizard_walk.h"

namespace e2e {
namespace {

class SkippedEntryTest : public InstallerTest {
protected:
    // Plants a file the installer cannot delete under `name`, launches, and
    // answers the prompt for it with Retry, which asks again, then Ignore.
    void LaunchAndSkip(const std::string& name, const std::string& planted) {
        ASSERT_TRUE(WriteWholeFile(TempPath(name), planted));
        ASSERT_EQ(::chmod(TempPath(name).c_str(), 0444), 0);
        ASSERT_TRUE(Launch(TypicalPackage().Files()));
        for (const char* answer : {"Retry", "Ignore"}) {
            const std::string box = ExpectMessageBox(
                "Error", "An error occured. Header may be damaged.\r\nDo you want to abort/retry?",
                {"Abort", "Retry", "Ignore"}, /*icon=*/true, kLaunchTimeoutMs);
            ASSERT_FALSE(box.empty());
            Answer(box, answer);
        }
    }
};

TEST_F(SkippedEntryTest, ASkippedFontGivesTheFontErrorAndNothingIsCopied) {
    const std::string font = TypicalPackage().font_file;
    const std::string planted = "an older file, not from this package\r\n";
    LaunchAndSkip(font, planted);
    WizardWalk walk(driver(), *run_);
    const std::string options = walk.ToOptionsPage(/*has_license=*/true);
    ASSERT_FALSE(options.empty()) << walk.error();
    ASSERT_TRUE(walk.Install(options, Extras{})) << walk.error();
    const std::string box =
        ExpectMessageBox(kApplicationTitle, kFontErrorText, {"OK"}, /*icon=*/false);
    ASSERT_FALSE(box.empty());
    EXPECT_FALSE(PathExists(session_->FontsDir() + "/" + font)) << "the planted file was installed";
    Answer(box, "OK");
    ExpectEnds();
    // The clean end deletes what this run wrote, not a listed name it skipped.
    std::string now;
    EXPECT_TRUE(ReadWholeFile(TempPath(font), now) && now == planted);
    EXPECT_FALSE(PathExists(TempPath(kv::kDescriptorName)));
}

TEST_F(SkippedEntryTest, ASkippedDescriptorEndsAsADamagedFileWithoutThePage) {
    DescriptorFields older;
    older.font_name = "Someone Else's Font";
    LaunchAndSkip(kv::kDescriptorName, DescriptorText(older));
    const std::string box =
        ExpectMessageBox("Error", kDamagedText, {"OK"}, /*icon=*/true, kLaunchTimeoutMs);
    ASSERT_FALSE(box.empty());
    for (const WindowInfo& w : driver().Windows(run_->windows_pid()))
        EXPECT_FALSE(w.visible && w.title == kWelcomeCaption) << "the welcome page came up";
    // What this run wrote is gone before the refusal; the skipped name stays.
    const TypicalPackage package;
    for (const PackagedFile& file : package.Files())
        if (file.name != kv::kDescriptorName)
            EXPECT_FALSE(PathExists(TempPath(file.name))) << file.name << " was left in Temp";
    std::string now;
    EXPECT_TRUE(ReadWholeFile(TempPath(kv::kDescriptorName), now) && now == DescriptorText(older));
    Answer(box, "OK");
    ExpectEnds();
}

}  // namespace
}  // namespace e2e
