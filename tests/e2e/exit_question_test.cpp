// The exit question on the welcome page, whichever way the user gives up:
// No changes nothing, Yes deletes every listed file and ends the program.
#include "wine_harness/controls.h"
#include "installer_test.h"

namespace e2e {
namespace {

enum class GiveUp { CancelButton, CloseBox, EscapeKey };

class ExitQuestionTest : public InstallerTest, public ::testing::WithParamInterface<GiveUp> {
protected:
    void Ask(const std::string& page) {
        switch (GetParam()) {
        case GiveUp::CancelButton: {
            std::string cancel = driver().FindByText(page, "&Cancel");
            ASSERT_FALSE(cancel.empty()) << driver().last_error();
            ASSERT_TRUE(driver().Click(cancel));
            break;
        }
        case GiveUp::CloseBox: ASSERT_TRUE(driver().Close(page)); break;
        case GiveUp::EscapeKey: ASSERT_TRUE(driver().Key(page, "escape")); break;
        }
    }
    std::string ExpectQuestion() {
        return ExpectMessageBox(kExitTitle, kExitQuestion, {"Yes", "No"}, /*stop_icon=*/false);
    }
};

TEST_P(ExitQuestionTest, NoKeepsEverythingYesDeletesTheListedFilesAndEnds) {
    TypicalPackage package;
    std::vector<PackagedFile> files = package.Files();
    ASSERT_TRUE(WriteWholeFile(TempPath("UNLISTED.TXT"), "not from the package\r\n"));
    ASSERT_TRUE(Launch(files));
    std::string page = WaitWindow(kWelcomeCaption, kLaunchTimeoutMs);
    ASSERT_FALSE(page.empty());
    std::vector<std::string> before = Looks(driver().Controls(page));

    Ask(page);
    std::string box = ExpectQuestion();
    ASSERT_FALSE(box.empty());
    ExpectVisibleWindow("while the exit question is up");
    Answer(box, "No");
    EXPECT_TRUE(run_->Running()) << "No ended the program";
    EXPECT_FALSE(driver().WaitWindow(run_->windows_pid(), kWelcomeCaption, kStepTimeoutMs).empty())
        << "the welcome page is gone after No";
    EXPECT_EQ(Looks(driver().Controls(page)), before) << "No changed the page";
    ExpectExtracted(files);
    ExpectVisibleWindow("after No");

    Ask(page);
    box = ExpectQuestion();
    ASSERT_FALSE(box.empty());
    Answer(box, "Yes");
    ExpectEnds();
    for (const PackagedFile& file : files)
        EXPECT_FALSE(PathExists(TempPath(file.name))) << file.name << " was left behind";
    std::string unlisted;
    EXPECT_TRUE(ReadWholeFile(TempPath("UNLISTED.TXT"), unlisted) &&
                unlisted == "not from the package\r\n")
        << "a file that was not packaged was touched";
}

INSTANTIATE_TEST_SUITE_P(WelcomePage, ExitQuestionTest,
                         ::testing::Values(GiveUp::CancelButton, GiveUp::CloseBox,
                                           GiveUp::EscapeKey),
                         [](const ::testing::TestParamInfo<GiveUp>& info) {
                             switch (info.param) {
                             case GiveUp::CancelButton: return std::string("CancelButton");
                             case GiveUp::CloseBox: return std::string("CloseBox");
                             case GiveUp::EscapeKey: return std::string("EscapeKey");
                             }
                             return std::string("Unknown");
                         });

}  // namespace
}  // namespace e2e
