// The package descriptor as the installer meets it: a signature that fails
// its check, a descriptor that is missing or cut short, a readme it names but
// the package lacks.
#include <chrono>
#include <thread>

#include "installer_test.h"
#include "trailer.h"

namespace e2e {
namespace {

using CorruptedDescriptorTest = InstallerTest;

TEST_F(CorruptedDescriptorTest, LowerCaseSignatureShowsMessageThenCleanUpKeepsOnlyTheReadme) {
    TypicalPackage package;
    package.descriptor.signature = "kervale datafile 1";
    std::vector<PackagedFile> files = package.Files();
    ASSERT_TRUE(WriteWholeFile(TempPath("UNLISTED.TXT"), "not from the package\r\n"));

    ASSERT_TRUE(Launch(files));
    std::string box = ExpectMessageBox(kApplicationTitle, kCorruptedText, {"OK"},
                                       /*stop_icon=*/false, kLaunchTimeoutMs);
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

TEST_F(CorruptedDescriptorTest, WrongVersionDigitIsCorruptedToo) {
    TypicalPackage package;
    package.descriptor.signature = "KERVALE DATAFILE 2";
    ASSERT_TRUE(Launch(package.Files()));
    std::string box = ExpectMessageBox(kApplicationTitle, kCorruptedText, {"OK"},
                                       /*stop_icon=*/false, kLaunchTimeoutMs);
    ASSERT_FALSE(box.empty());
    Answer(box, "OK");
    ExpectEnds();
}

using DescriptorTest = InstallerTest;

TEST_F(DescriptorTest, MissingDescriptorEndsWithTheDamagedMessageBeforeAnythingIsWritten) {
    TypicalPackage package;
    std::vector<PackagedFile> files = package.Files();
    files.erase(files.begin());  // no KERVALE.DAT
    ASSERT_TRUE(Launch(files));
    std::string box =
        ExpectMessageBox("Error", kDamagedText, {"OK"}, /*stop_icon=*/true, kLaunchTimeoutMs);
    ASSERT_FALSE(box.empty());
    ExpectVisibleWindow("while the damaged-file message is up");
    EXPECT_EQ(temp_guard_->AddedFiles(), std::vector<std::string>{});
    Answer(box, "OK");
    ExpectEnds();
    EXPECT_EQ(temp_guard_->AddedFiles(), std::vector<std::string>{});
}

TEST_F(DescriptorTest, CountOfZeroListsAndExtractsOnlyTheFirstEntry) {
    TypicalPackage package;
    package.descriptor.readme = "NOREADME";
    package.descriptor.license = "NOLICENSE";
    std::vector<PackagedFile> files = package.Files();
    ASSERT_EQ(files.size(), 2u);
    std::string built = BuildPackage(stub_, files);
    Overwrite(built, static_cast<int64_t>(built.size()) - kv::kTrailerTailBytes, "00000");
    // A count edited by hand no longer matches the checksum; drop the record,
    // as packages from before it have none.
    Overwrite(built, static_cast<int64_t>(built.size()) - kv::kFillerBytes,
              std::string(kv::kFillerBytes, '\0'));
    ASSERT_TRUE(LaunchPackage(built));
    ASSERT_FALSE(WaitWindow(kWelcomeCaption, kLaunchTimeoutMs).empty());
    ExpectExtracted({files[0]});
    EXPECT_FALSE(PathExists(TempPath(package.font_file)))
        << "entry 2 was extracted for a count of 0";
    run_->Kill();
}

// Fewer than five fields fail the welcome page's load: the page is never
// shown with its placeholder texts, and the damaged-file message comes alone.
TEST_F(DescriptorTest, FourFieldsGiveTheDamagedMessageWithoutThePage) {
    TypicalPackage package;
    std::vector<PackagedFile> files = package.Files();
    const DescriptorFields& d = package.descriptor;
    files[0].body = "\"" + d.signature + "\"\r\n\"" + d.readme + "\"\r\n\"" + d.license +
                    "\"\r\n\"" + d.font_name + "\"\r\n";
    ASSERT_TRUE(Launch(files));
    std::string box =
        ExpectMessageBox("Error", kDamagedText, {"OK"}, /*stop_icon=*/true, kLaunchTimeoutMs);
    ASSERT_FALSE(box.empty());
    for (const WindowInfo& w : driver().Windows(run_->windows_pid()))
        EXPECT_FALSE(w.visible && w.class_name != "#32770")
            << "\"" << w.title << "\" is up beside the message";
    Answer(box, "OK");
    ExpectEnds();
}

// The installer must not settle into running with no window: it either shows
// the welcome page or reports the failure and ends. (Between hiding the
// start-up window and showing the page there is a moment with neither, so
// only a lasting gap counts.)
class UnreadableLoadTest : public InstallerTest {
protected:
    void ExpectPageOrMessage() {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(kLaunchTimeoutMs);
        const auto kLongestGap = std::chrono::seconds(10);
        auto last_seen = Clock::now();
        bool page = false, message = false;
        while (run_->Running() && !page && Clock::now() < deadline) {
            for (const WindowInfo& w : driver().Windows(run_->windows_pid())) {
                if (!w.visible) continue;
                last_seen = Clock::now();
                if (w.class_name == "#32770") {
                    message = true;
                    driver().Answer(w.hwnd, "OK");
                } else if (w.title == kWelcomeCaption) {
                    page = true;
                }
            }
            if (Clock::now() - last_seen > kLongestGap) {
                ADD_FAILURE() << "the installer runs on with no visible window";
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        EXPECT_TRUE(page || message) << "neither the welcome page nor a message came up";
        if (!page) ExpectEnds();
        run_->Kill();
    }
};

TEST_F(UnreadableLoadTest, ReadmeNamedButNotPackaged) {
    TypicalPackage package;
    package.descriptor.readme = "MISSING.TXT";
    std::vector<PackagedFile> files = package.Files();
    files.erase(files.begin() + 1);  // the readme entry
    ASSERT_TRUE(Launch(files));
    ExpectPageOrMessage();
}

TEST_F(UnreadableLoadTest, DescriptorWithFiveFields) {
    TypicalPackage package;
    std::vector<PackagedFile> files = package.Files();
    const DescriptorFields& d = package.descriptor;
    files[0].body = "\"" + d.signature + "\"\r\n\"" + d.readme + "\"\r\n\"" + d.license +
                    "\"\r\n\"" + d.font_name + "\"\r\n\"" + d.web_url + "\"\r\n";
    ASSERT_TRUE(Launch(files));
    ExpectPageOrMessage();
}

}  // namespace
}  // namespace e2e
