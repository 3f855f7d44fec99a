// The checksum in the trailer and code-signed packages, on the real
// installer: a damaged payload is refused before anything is written, an
// older package without the record still runs, and a package signed after it
// was built reads through the signature's certificate table.
#include <unistd.h>

#include <cstring>

#include "installer_test.h"
#include "wine_harness/wizard_walk.h"
#include "trailer.h"

namespace e2e {
namespace {

using IntegrityTest = InstallerTest;

TEST_F(IntegrityTest, OneChangedPayloadByteIsRefusedBeforeAnythingIsWritten) {
    TypicalPackage typical;
    std::string package = BuildPackage(stub_, typical.Files());
    // A byte in the middle of the font's body: the trailer still walks, only
    // the checksum can tell.
    const int64_t font_name_field = NameFieldOffset(package, typical.Files(), 4);
    package[static_cast<size_t>(font_name_field - 1000)] ^= 0x20;

    ASSERT_TRUE(LaunchPackage(package));
    std::string box =
        ExpectMessageBox("Error", kDamagedText, {"OK"}, /*stop_icon=*/true, kLaunchTimeoutMs);
    ASSERT_FALSE(box.empty());
    EXPECT_EQ(temp_guard_->AddedFiles(), std::vector<std::string>{});
    Answer(box, "OK");
    ExpectEnds();
    EXPECT_EQ(temp_guard_->AddedFiles(), std::vector<std::string>{});
}

TEST_F(IntegrityTest, APackageWithoutTheRecordStillRuns) {
    TypicalPackage typical;
    std::string package = BuildPackage(stub_, typical.Files());
    // The filler as older packages have it: all zero bytes.
    std::memset(&package[package.size() - kv::kFillerBytes], 0, kv::kFillerBytes);

    ASSERT_TRUE(LaunchPackage(package));
    ASSERT_FALSE(WaitWindow(kWelcomeCaption, kLaunchTimeoutMs).empty());
    ExpectExtracted(typical.Files());
    run_->Kill();
}

class SignedPackageTest : public InstallerTest {
protected:
    // Signs `unsigned_path` with a throwaway self-signed certificate.
    bool Sign(const std::string& unsigned_path, const std::string& signed_path) {
        dir_ = session_->work_dir() + "/signing";
        const std::string log = dir_ + "/sign.log";
        session_->Run({"mkdir", "-p", dir_}, "/dev/null", 10);
        // osslsigncode will not overwrite the output of an earlier run.
        ::unlink(signed_path.c_str());
        if (session_->Run({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                           dir_ + "/key.pem", "-out", dir_ + "/cert.pem", "-days", "2", "-subj",
                           "/CN=Kervale Test Signing"},
                          log, 120) != 0)
            return false;
        return session_->Run({"osslsigncode", "sign", "-certs", dir_ + "/cert.pem", "-key",
                              dir_ + "/key.pem", "-in", unsigned_path, "-out", signed_path},
                             log, 120) == 0;
    }
    int VerifySignature(const std::string& path) {
        return session_->Run({"osslsigncode", "verify", "-CAfile", dir_ + "/cert.pem", "-in", path},
                             dir_ + "/verify.log", 120);
    }
    std::string dir_;
};

TEST_F(SignedPackageTest, ASignedInstallerInstallsAndKeepsItsSignature) {
    TypicalPackage typical;
    const std::string package = BuildPackage(stub_, typical.Files());
    ASSERT_EQ(package.size() % 8, 0u) << "packages are aligned for signing";
    const std::string unsigned_path = session_->work_dir() + "/unsigned.exe";
    const std::string signed_path = session_->work_dir() + "/signed.exe";
    ASSERT_TRUE(WriteWholeFile(unsigned_path, package));
    ASSERT_TRUE(Sign(unsigned_path, signed_path)) << "see " << dir_ << "/sign.log";
    std::string signed_package;
    ASSERT_TRUE(ReadWholeFile(signed_path, signed_package));
    ASSERT_GT(signed_package.size(), package.size());
    ASSERT_EQ(VerifySignature(signed_path), 0);

    ASSERT_TRUE(LaunchPackage(signed_package));
    ASSERT_FALSE(WaitWindow(kWelcomeCaption, kLaunchTimeoutMs).empty());
    ExpectExtracted(typical.Files());

    // Straight through the wizard to the end of a full install.
    WizardWalk walk(driver(), *run_);
    const std::string options = walk.ToOptionsPage(/*has_license=*/true);
    ASSERT_FALSE(options.empty()) << walk.error();
    ASSERT_TRUE(walk.Install(options, Extras{})) << walk.error();
    const std::string box = ExpectMessageBox(kApplicationTitle, kSuccessText, {"OK"}, false);
    ASSERT_FALSE(box.empty());
    std::string installed;
    ASSERT_TRUE(ReadWholeFile(session_->FontsDir() + "/" + typical.font_file, installed));
    EXPECT_EQ(installed, typical.font);
    Answer(box, "OK");
    ExpectEnds();

    // The installer only read its own file: the signature still holds.
    std::string after;
    ASSERT_TRUE(ReadWholeFile(run_->PackagePath(), after));
    EXPECT_EQ(after, signed_package);
    EXPECT_EQ(VerifySignature(run_->PackagePath()), 0);
}

}  // namespace
}  // namespace e2e
