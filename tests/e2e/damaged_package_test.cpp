// A package the installer cannot trust ends with the damaged-file message,
// before anything is extracted.
#include <functional>

#include "installer_test.h"
#include "trailer.h"

namespace e2e {
namespace {

struct DamageCase {
    const char* name;
    std::function<std::string(const std::string& stub)> build;
    // Paths under drive_c that a careless installer would have written.
    std::vector<std::string> must_not_exist;
};

std::vector<PackagedFile> TwoGoodEntriesAndOneMore() {
    TypicalPackage typical;
    return {{kv::kDescriptorName, DescriptorText(typical.descriptor)},
            {"README.TXT", typical.readme},
            {"THIRD.TTF", BinaryBody(3000, 3)}};
}

const DamageCase kCases[] = {
    {"PlainStubWithoutTrailer", [](const std::string& stub) { return stub; }, {}},
    {"ThirdSizeFieldNotANumber",
     [](const std::string& stub) {
         std::vector<PackagedFile> files = TwoGoodEntriesAndOneMore();
         std::string package = BuildPackage(stub, files);
         Overwrite(package, SizeFieldOffset(package, files, 3), "00030x0000");
         return package;
     },
     {"windows/temp/THIRD.TTF"}},
    {"NameLeavingTheFolder",
     [](const std::string& stub) {
         TypicalPackage typical;
         return BuildPackage(stub, {{kv::kDescriptorName, DescriptorText(typical.descriptor)},
                                    {"..\\evil.ttf", BinaryBody(500, 4)}});
     },
     {"windows/evil.ttf", "windows/temp/evil.ttf"}},
    {"NameWithSlash",
     [](const std::string& stub) {
         TypicalPackage typical;
         return BuildPackage(stub, {{kv::kDescriptorName, DescriptorText(typical.descriptor)},
                                    {"a/b", BinaryBody(500, 5)}});
     },
     {"windows/temp/a", "windows/temp/b"}},
    // Windows opens COM followed by a superscript one as the device COM1.
    {"DeviceNameWithASuperscriptDigit",
     [](const std::string& stub) {
         TypicalPackage typical;
         return BuildPackage(stub, {{kv::kDescriptorName, DescriptorText(typical.descriptor)},
                                    {"COM\xB9.ttf", BinaryBody(500, 6)}});
     },
     {"windows/temp/COM\xC2\xB9.ttf"}},
    {"CountBeyondTheEntries",
     [](const std::string& stub) {
         TypicalPackage typical;
         std::string package = BuildPackage(stub, typical.Files());
         Overwrite(package, static_cast<int64_t>(package.size()) - kv::kTrailerTailBytes, "32000");
         return package;
     },
     {}},
};

class DamagedPackageTest : public InstallerTest,
                           public ::testing::WithParamInterface<DamageCase> {};

TEST_P(DamagedPackageTest, ShowsDamagedMessageExtractsNothingAndEndsAfterOk) {
    ASSERT_TRUE(LaunchPackage(GetParam().build(stub_)));
    std::string box =
        ExpectMessageBox("Error", kDamagedText, {"OK"}, /*stop_icon=*/true, kLaunchTimeoutMs);
    ASSERT_FALSE(box.empty());
    EXPECT_TRUE(run_->Running()) << "the installer must wait for OK";
    ExpectVisibleWindow("while the damaged-file message is up");
    EXPECT_EQ(temp_guard_->AddedFiles(), std::vector<std::string>{})
        << "extracted from a damaged package";

    Answer(box, "OK");
    ExpectEnds();
    EXPECT_EQ(temp_guard_->AddedFiles(), std::vector<std::string>{});
    for (const std::string& path : GetParam().must_not_exist)
        EXPECT_FALSE(PathExists(session_->DriveC() + "/" + path)) << path << " was written";
}

INSTANTIATE_TEST_SUITE_P(Packages, DamagedPackageTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<DamageCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace e2e
