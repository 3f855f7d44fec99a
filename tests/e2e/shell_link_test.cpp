// What the shell receives from the links. A stand-in program, registered as
// the open command for http, https and mailto, records its working folder
// and the command line the shell built. A file: address naming that very
// program must start nothing: the installer runs elevated. The options page
// offers shortcuts to exactly the addresses the welcome page opens.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "installer_test.h"
#include "wine_harness/wizard_walk.h"

namespace e2e {
namespace {

constexpr const char kRecorder[] = "e2e-opened.exe";
constexpr const char kRecorderCommand[] = "\"C:\\e2e\\e2e-opened.exe\" \"%1\"";

// The recorder's line for an address: the working folder "C:\", a TAB, the
// registered command with %1 replaced by the address.
std::string OpenedLine(const std::string& address) {
    std::string command = kRecorderCommand;
    return "C:\\\t" + command.replace(command.find("%1"), 2, address);
}

struct LinkCase {
    const char* name;
    std::string web_url;
    std::string opened;  // what the shell is given; empty: nothing
};

const LinkCase kCases[] = {
    {"WebAddressInAnyLetterCase", "HTTPS://www.Example.com/sample-sans?a=1&b=%41#top",
     "HTTPS://www.Example.com/sample-sans?a=1&b=%41#top"},
    {"FileAddressStartsNothing", "file:///C:/e2e/e2e-opened.exe", ""},
    // Never the bare address, which the shell would take for a program first.
    {"AddressWithoutSchemeOpensAsAWebPage", "www.example.com/fonts",
     "http://www.example.com/fonts"},
};

class ShellLinkTest : public InstallerTest, public ::testing::WithParamInterface<LinkCase> {
protected:
    void SetUp() override {
        InstallerTest::SetUp();
        if (HasFatalFailure()) return;
        std::string recorder;
        ASSERT_TRUE(
            ReadWholeFile(std::string(KERVALE_WIN32_DIR) + "/tools/driver/" + kRecorder, recorder));
        ASSERT_TRUE(WriteWholeFile(session_->DriveC() + "/e2e/" + kRecorder, recorder));
        ::unlink(Log().c_str());
        for (const char* scheme : {"http", "https", "mailto"}) {
            std::string previous;
            ASSERT_TRUE(driver().SetUrlHandler(scheme, kRecorderCommand, previous))
                << driver().last_error();
            previous_.push_back({scheme, previous});
        }
    }
    void TearDown() override {
        std::string ignored;
        for (const auto& [scheme, command] : previous_)
            driver().SetUrlHandler(scheme, command, ignored);
        InstallerTest::TearDown();
    }
    std::string Log() const { return session_->DriveC() + "/e2e/opened.log"; }

    // A link label clicked as the mouse does: STN_CLICKED to its window.
    void ClickLink(const std::string& window, const std::string& caption) {
        const std::string label = driver().FindByText(window, caption);
        ASSERT_FALSE(label.empty()) << "no link showing " << caption;
        ASSERT_TRUE(driver().Command(label));
    }

    // The recorded lines, sorted, once `count` are in and no recorder runs:
    // by then a program started by an earlier click has written too.
    std::vector<std::string> Opened(size_t count) {
        std::vector<std::string> lines;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kStepTimeoutMs);
        unsigned pid = 0;
        do {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            std::string log;
            ReadWholeFile(Log(), log);
            lines.clear();
            for (size_t at = 0, end; (end = log.find('\n', at)) != std::string::npos; at = end + 1)
                lines.push_back(log.substr(at, end - at));
        } while ((lines.size() < count || driver().FindProcess(kRecorder, pid)) &&
                 std::chrono::steady_clock::now() < deadline);
        std::sort(lines.begin(), lines.end());
        return lines;
    }

    std::vector<std::pair<std::string, std::string>> previous_;
};

// The package link first, then the About box's two fixed addresses.
TEST_P(ShellLinkTest, OnlyWebAndMailLinksReachTheShellExactlyAsGiven) {
    TypicalPackage package;
    package.descriptor.web_url = GetParam().web_url;
    ASSERT_TRUE(Launch(package.Files()));
    const std::string welcome = WaitWindow(kWelcomeCaption, kLaunchTimeoutMs);
    ASSERT_FALSE(welcome.empty());
    ClickLink(welcome, package.descriptor.web_url);
    ASSERT_TRUE(driver().Click(driver().FindByText(welcome, "About")));
    const std::string about = WaitWindow(kAboutCaption);
    ASSERT_FALSE(about.empty());
    ClickLink(about, "www.kervale.example");
    ClickLink(about, "help@kervale.example");

    std::vector<std::string> expected = {OpenedLine("http://www.kervale.example/"),
                                         OpenedLine("mailto:help@kervale.example")};
    const bool opens = !GetParam().opened.empty();
    if (opens) expected.push_back(OpenedLine(GetParam().opened));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Opened(expected.size()), expected);

    // The shortcuts are offered for what opens, and only for that.
    WizardWalk walk(driver(), *run_);
    const std::string options = walk.ToOptionsPage(/*has_license=*/true);
    ASSERT_FALSE(options.empty()) << walk.error();
    const std::vector<Control> controls = driver().Controls(options);
    for (const char* caption : {kFavoritesCaption, kDesktopUrlCaption}) {
        const Control* box = FindControl(controls, caption);
        EXPECT_EQ(box && box->visible, opens) << caption;
    }
    run_->Kill();
}

INSTANTIATE_TEST_SUITE_P(Links, ShellLinkTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<LinkCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace e2e
