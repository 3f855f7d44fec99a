#include "descriptor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using std::string;

kv::Descriptor ReadAll(const string& text, int* fields_read = nullptr) {
    kv::Descriptor d;
    int n = kv::ReadDescriptor(text.data(), text.size(), 6, d);
    if (fields_read) *fields_read = n;
    return d;
}

std::vector<string> Values(const kv::Descriptor& d) {
    return {string(d.signature), string(d.readme),  string(d.license),
            string(d.font_name), string(d.web_url), string(d.link_name)};
}

const std::vector<string> kTypical = {"KERVALE DATAFILE 1",  "README.TXT",
                                      "NOLICENSE",           "Sample Sans",
                                      "http://example.org/", "Sample Sans Home"};

TEST(Descriptor, WriterOutputIsSixQuotedCrLfLines) {
    kv::Descriptor d{"KERVALE DATAFILE 1", "README.TXT", "NOLICENSE", "Sample Sans", "", ""};
    EXPECT_EQ(kv::FormatDescriptor(d),
              "\"KERVALE DATAFILE 1\"\r\n\"README.TXT\"\r\n\"NOLICENSE\"\r\n"
              "\"Sample Sans\"\r\n\"\"\r\n\"\"\r\n");
    int n = 0;
    EXPECT_EQ(Values(ReadAll(kv::FormatDescriptor(d), &n)), Values(d));
    EXPECT_EQ(n, 6);
}

TEST(Descriptor, OneLineWithCommasReadsLikeOneFieldPerLine) {
    const string lines =
        "\"KERVALE DATAFILE 1\"\r\n\"README.TXT\"\r\n\"NOLICENSE\"\r\n"
        "\"Sample Sans\"\r\n\"http://example.org/\"\r\n\"Sample Sans Home\"\r\n";
    const string one_line =
        "\"KERVALE DATAFILE 1\",\"README.TXT\",\"NOLICENSE\",\"Sample Sans\","
        "\"http://example.org/\",\"Sample Sans Home\"\r\n";
    EXPECT_EQ(Values(ReadAll(lines)), kTypical);
    EXPECT_EQ(Values(ReadAll(one_line)), kTypical);
}

TEST(Descriptor, UnquotedFieldsLoseLeadingSpacesAndSplitAtCommas) {
    int n = 0;
    kv::Descriptor d = ReadAll(
        "KERVALE DATAFILE 1\r\nNOREADME\r\nNOLICENSE\r\n   Sample  Sans\r\n"
        "http://x/\r\nHome\r\n",
        &n);
    EXPECT_EQ(n, 6);
    EXPECT_EQ(d.font_name, "Sample  Sans");

    // An unquoted comma splits the value and shifts every later field.
    d = ReadAll(
        "\"KERVALE DATAFILE 1\"\r\nNOREADME\r\nNOLICENSE\r\nSans, Bold\r\nhttp://x/\r\nHome\r\n");
    EXPECT_EQ(d.font_name, "Sans");
    EXPECT_EQ(d.web_url, "Bold");
    EXPECT_EQ(d.link_name, "http://x/");

    // Quoted, the comma belongs to the value.
    d = ReadAll("\"KERVALE DATAFILE 1\",NOREADME,NOLICENSE,\"Sans, Bold\",\"\",\"\"");
    EXPECT_EQ(d.font_name, "Sans, Bold");
    EXPECT_EQ(d.web_url, "");
}

TEST(Descriptor, EmptyValuesFromCommasAndBlankLines) {
    int n = 0;
    kv::Descriptor d = ReadAll("\"KERVALE DATAFILE 1\",,NOLICENSE\r\n\r\nweb\r\ntitle", &n);
    EXPECT_EQ(n, 6);
    EXPECT_EQ(d.readme, "");
    EXPECT_EQ(d.license, "NOLICENSE");
    EXPECT_EQ(d.font_name, "");
    EXPECT_EQ(d.web_url, "web");
    EXPECT_EQ(d.link_name, "title");
}

TEST(Descriptor, QuotesAreNeverPartOfAValue) {
    kv::Descriptor d = ReadAll("\"KERVALE DATAFILE 1\"junk,ab\"c\"d,\"x\"\r\n");
    EXPECT_EQ(d.signature, "KERVALE DATAFILE 1");
    EXPECT_EQ(d.readme, "abcd");
    EXPECT_EQ(d.license, "x");
}

TEST(Descriptor, EndOfDataBeforeAFieldIsReported) {
    int n = 0;
    ReadAll("", &n);
    EXPECT_EQ(n, 0);
    kv::Descriptor five = ReadAll(
        "\"KERVALE DATAFILE 1\"\r\n\"NOREADME\"\r\n\"NOLICENSE\"\r\n"
        "\"Sans\"\r\n\"http://x/\"\r\n",
        &n);
    EXPECT_EQ(n, 5);
    EXPECT_EQ(five.web_url, "http://x/");
    EXPECT_EQ(five.link_name, "");
    // A last field without a line end is still read.
    ReadAll("a,b,c,d,e,f", &n);
    EXPECT_EQ(n, 6);
    // An unterminated quote runs to the end of the data.
    kv::Descriptor open_quote = ReadAll("\"KERVALE DATAFILE 1\",\"runs on", &n);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(open_quote.readme, "runs on");
}

TEST(Descriptor, SignatureMustMatchExactly) {
    for (const char* bad : {"kervale datafile 1", "KERVALE DATAFILE 2", "KERVALE  DATAFILE 1",
                            "KERVALE DATAFILE 1 ", ""}) {
        kv::Descriptor d;
        d.signature = bad;
        EXPECT_FALSE(kv::HasValidSignature(d)) << bad;
    }
    EXPECT_TRUE(kv::HasValidSignature(ReadAll("  \"KERVALE DATAFILE 1\"")));
}

TEST(Descriptor, StorableValuesHoldNoQuoteOrLineBreak) {
    EXPECT_TRUE(kv::IsStorableValue("Sample Sans, Bold"));
    EXPECT_TRUE(kv::IsStorableValue(""));
    EXPECT_FALSE(kv::IsStorableValue("say \"hi\""));
    EXPECT_FALSE(kv::IsStorableValue("two\r\nlines"));
    EXPECT_FALSE(kv::IsStorableValue("lf\n"));
}

}  // namespace
