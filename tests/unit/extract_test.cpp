#include "extract.h"
#include "test_packages.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "trailer.h"

namespace {

using std::string;

// Stands in for the file system and the user: records the files written,
// fails the creations it is told to, and answers the prompt from a script.
class FakeHost final : public kv::ExtractHost {
public:
    class FileSink final : public kv::ByteSink {
    public:
        explicit FileSink(string& file) : file_(file) {}
        bool write(const void* data, size_t n) override {
            file_.append(static_cast<const char*>(data), n);
            return true;
        }

    private:
        string& file_;
    };

    std::unique_ptr<kv::ByteSink> CreateOutput(const char* path) override {
        created.push_back(path);
        if (failures_left[path] > 0) {
            --failures_left[path];
            return nullptr;
        }
        files[path].clear();  // a new file in place of what was there
        return std::make_unique<FileSink>(files[path]);
    }
    kv::StepAnswer AskAfterFailure() override {
        ++prompts;
        kv::StepAnswer a = answers.empty() ? kv::StepAnswer::Abort : answers.front();
        if (!answers.empty()) answers.pop_front();
        return a;
    }
    void LetEventsRun() override { ++yields; }

    std::map<string, string> files;
    std::map<string, int> failures_left;
    std::vector<string> created;
    std::deque<kv::StepAnswer> answers;
    int prompts = 0;
    int yields = 0;
    kv::ExtractionRecord record;
};

string Package(const testpkg::Files& files) { return testpkg::Pack("MZ-stub", files); }

const string kTemp = "C:\\WINDOWS\\Temp\\";

TEST(ExtractEntries, WritesEveryBodyInTrailerOrder) {
    const string package = Package({{"KERVALE.DAT", "\"KERVALE DATAFILE 1\"\r\n"},
                                    {"README.TXT", "hello\r\n"},
                                    {"empty.ttf", ""},
                                    {"Sans.ttf", string(200000, '\x7f')}});
    kv::MemorySource source(package.data(), package.size());
    FakeHost host;
    ASSERT_TRUE(kv::ExtractEntries(source, kTemp, host, host.record));
    EXPECT_EQ(host.created, (std::vector<string>{kTemp + "KERVALE.DAT", kTemp + "README.TXT",
                                                 kTemp + "empty.ttf", kTemp + "Sans.ttf"}));
    EXPECT_EQ(host.files[kTemp + "KERVALE.DAT"], "\"KERVALE DATAFILE 1\"\r\n");
    EXPECT_EQ(host.files[kTemp + "README.TXT"], "hello\r\n");
    EXPECT_EQ(host.files[kTemp + "empty.ttf"], "");
    EXPECT_EQ(host.files[kTemp + "Sans.ttf"], string(200000, '\x7f'));
    EXPECT_EQ(host.prompts, 0);
    // Events run between entries and between the chunks of a large body.
    EXPECT_GE(host.yields, 4 * 2 + 3);
}

TEST(ExtractEntries, ACountOfZeroStillExtractsTheFirstEntry) {
    string package = Package({{"KERVALE.DAT", "x"}, {"Sans.ttf", "font"}});
    package.replace(package.size() - kv::kTrailerTailBytes, kv::kCountBytes, "00000");
    kv::MemorySource source(package.data(), package.size());
    FakeHost host;
    ASSERT_TRUE(kv::ExtractEntries(source, kTemp, host, host.record));
    EXPECT_EQ(host.created, std::vector<string>{kTemp + "KERVALE.DAT"});
}

TEST(ExtractEntries, RetryRepeatsTheFailedFileIgnoreSkipsItAbortStops) {
    const string package = Package({{"A.ttf", "aaa"}, {"B.ttf", "bbb"}, {"C.ttf", "ccc"}});
    {
        kv::MemorySource source(package.data(), package.size());
        FakeHost host;
        host.failures_left[kTemp + "A.ttf"] = 2;
        host.answers = {kv::StepAnswer::Retry, kv::StepAnswer::Retry};
        ASSERT_TRUE(kv::ExtractEntries(source, kTemp, host, host.record));
        EXPECT_EQ(host.prompts, 2);
        EXPECT_EQ(host.files[kTemp + "A.ttf"], "aaa");
        EXPECT_EQ(host.files.size(), 3u);
    }
    {
        kv::MemorySource source(package.data(), package.size());
        FakeHost host;
        host.failures_left[kTemp + "B.ttf"] = 5;
        host.answers = {kv::StepAnswer::Ignore};
        ASSERT_TRUE(kv::ExtractEntries(source, kTemp, host, host.record));
        EXPECT_EQ(host.prompts, 1);
        EXPECT_EQ(host.files.count(kTemp + "B.ttf"), 0u);
        EXPECT_EQ(host.files[kTemp + "C.ttf"], "ccc");  // the next entry still comes
        EXPECT_FALSE(host.record.Holds("B.ttf"));
        EXPECT_TRUE(host.record.Holds("A.ttf") && host.record.Holds("C.ttf"));
    }
    {
        kv::MemorySource source(package.data(), package.size());
        FakeHost host;
        host.failures_left[kTemp + "A.ttf"] = 1;
        host.answers = {kv::StepAnswer::Abort};
        EXPECT_FALSE(kv::ExtractEntries(source, kTemp, host, host.record));
        EXPECT_TRUE(host.files.empty());
    }
}

TEST(ExtractEntries, AnUnreadableEntryEndsTheWalkWhenIgnored) {
    string package = Package({{"A.ttf", "aaa"}, {"B.ttf", "bbb"}});
    // Entry 2's size field, just below entry 1's body.
    const size_t entry2_size = package.size() - kv::kTrailerTailBytes - 50 - 3 - kv::kSizeBytes;
    package.replace(entry2_size, kv::kSizeBytes, "not a num!");
    kv::MemorySource source(package.data(), package.size());
    FakeHost host;
    host.answers = {kv::StepAnswer::Retry, kv::StepAnswer::Ignore};
    ASSERT_TRUE(kv::ExtractEntries(source, kTemp, host, host.record));
    EXPECT_EQ(host.prompts, 2);
    EXPECT_EQ(host.created, std::vector<string>{kTemp + "A.ttf"});
}

TEST(ExtractEntries, ReplacingAFileLeavesExactlyTheNewBody) {
    const string package = Package({{"A.ttf", "new"}});
    kv::MemorySource source(package.data(), package.size());
    FakeHost host;
    host.files[kTemp + "A.ttf"] = "a much longer old content";
    ASSERT_TRUE(kv::ExtractEntries(source, kTemp, host, host.record));
    EXPECT_EQ(host.files[kTemp + "A.ttf"], "new");
}

// Only a name this run wrote may be read, copied, installed or deleted in
// Temp: not a skipped entry, not another spelling of a skipped one, not a
// name the descriptor makes up. The ends of a run delete exactly the held
// names, in trailer order.
TEST(ExtractionRecord, HoldsAndDeletesExactlyTheNamesThisRunWrote) {
    const struct {
        std::vector<std::pair<string, bool>> entries;  // name, written
        std::vector<string> held, not_held;
    } cases[] = {
        {{{"KERVALE.DAT", true}, {"README.TXT", true}},
         {"KERVALE.DAT", "README.TXT"},
         {"readme.txt", "NOREADME", "", "..\\..\\Windows\\Panther\\unattend.xml",
          "C:\\README.TXT"}},
        {{{"KERVALE.DAT", true}, {"Sans.ttf", false}, {"Bold.ttf", true}},
         {"KERVALE.DAT", "Bold.ttf"},
         {"Sans.ttf"}},
        {{{"\xE9t\xE9.ttf", true}, {"\xC9T\xC9.TTF", false}},
         {},
         {"\xE9t\xE9.ttf", "\xC9T\xC9.TTF"}},
        {{{"A.ttf", true}, {"A.ttf", false}}, {}, {"A.ttf"}},
        {{{"a.ttf", false}, {"B.ttf", true}, {"A.TTF", true}}, {"B.ttf"}, {"a.ttf", "A.TTF"}},
        {{{"A.ttf", true}, {"a.ttf", true}}, {"A.ttf", "a.ttf"}, {"A.TTF"}},
        {{}, {}, {"KERVALE.DAT"}},
    };
    for (const auto& c : cases) {
        kv::ExtractionRecord record;
        for (const auto& [name, written] : c.entries) record.Add(name, written);
        for (const string& name : c.held) EXPECT_TRUE(record.Holds(name)) << name;
        for (const string& name : c.not_held) EXPECT_FALSE(record.Holds(name)) << name;
        std::vector<string> deleted;
        record.ForEachHeld([&](std::string_view name) { deleted.emplace_back(name); });
        EXPECT_EQ(deleted, c.held);
    }
}

}  // namespace
