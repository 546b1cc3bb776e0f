// Encrypted list container: exact layout, header matching, and refusal of files that contradict themselves.
#include "crypt/Container.h"
#include "list/TextEncoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t U32At(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

void PutU32At(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; i++)
        b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

bool Read(const Bytes& file, std::string& text) { return ReadEncryptedFile(file.data(), file.size(), text); }

const std::string kText = "secret\r\nfirst entry\r\n \r\nthird\r\n";

TEST(Container, LayoutForNameAPle) {
    Bytes file = EncryptedListBytes(kText, NameField("C:\\lists\\a.ple"));
    Bytes stream;
    VectorSink sink(stream);
    LzhufEncode(reinterpret_cast<const uint8_t*>(kText.data()), uint32_t(kText.size()), sink);

    EXPECT_EQ(std::string(file.begin(), file.begin() + 24), std::string("Pelmar Encrypted File\r\n", 24));
    EXPECT_EQ(U32At(file, 24), file.size());
    EXPECT_EQ(file.size(), 38 + 5 + (stream.size() - 4));
    EXPECT_EQ(U32At(file, 28), kText.size());
    EXPECT_EQ(file[32], 5);
    EXPECT_EQ(file[33], 5);
    EXPECT_EQ(std::string(file.begin() + 34, file.begin() + 39), "a.ple");
    EXPECT_EQ(U32At(file, 39), kText.size());
    EXPECT_EQ(Bytes(file.begin() + 39, file.end()), stream);
}

TEST(Container, NameField) {
    const std::pair<const char*, const char*> kCases[] = {
        {"C:\\lists\\a.ple", "a.ple"}, {"a.ple", "a.ple"}, {"C:\\dir\\", ""}, {"x\\y\\Z.PLE", "Z.PLE"}};
    for (const auto& c : kCases)
        EXPECT_EQ(NameField(c.first), c.second) << c.first;
}

TEST(Container, NameFieldInTheCodePageWhereItFits) {
    EXPECT_EQ(EncodeNameField("\xC3\x89t\xC3\xA9.ple", Windows1252()), "\xC9t\xE9.ple"); // Été
    EXPECT_EQ(EncodeNameField("\xD0\x96.ple", Windows1252()), "\xD0\x96.ple");           // Ж stays UTF-8
    EXPECT_EQ(EncodeNameField("a.ple", Windows1252()), "a.ple");
}

TEST(Container, RoundTrips) {
    const std::string kTexts[] = {"", "\r\n", kText, std::string(1 << 20, 'x'), std::string(70000, 'q') + kText};
    for (const std::string& text : kTexts) {
        std::string back = "stale";
        ASSERT_TRUE(Read(EncryptedListBytes(text, "list.ple"), back)) << text.size();
        EXPECT_EQ(back, text);
    }
}

TEST(Container, HeaderInAnyCaseOnlyWithItsNul) {
    Bytes good(kContainerHeader, kContainerHeader + 24);
    Bytes lower = good, upper = good, noNul = good, other = good;
    for (size_t i = 0; i < 23; i++) {
        lower[i] = uint8_t(std::tolower(lower[i]));
        upper[i] = uint8_t(std::toupper(upper[i]));
    }
    noNul[23] = ' ';
    other[7] = 'X'; // "Encrypted" -> "Xncrypted"
    const struct {
        Bytes data;
        size_t size;
        bool accepted;
    } kCases[] = {{good, 24, true},   {lower, 24, true},   {upper, 24, true},
                  {noNul, 24, false}, {other, 24, false}, {good, 23, false}};
    for (const auto& c : kCases)
        EXPECT_EQ(HasContainerHeader(c.data.data(), c.size), c.accepted);
}

TEST(Container, IgnoresByte32TheNameAndHeaderCase) {
    Bytes file = EncryptedListBytes(kText, "a.ple");
    file[32] = 0xEE;
    file[34] = 'Z';
    for (size_t i = 0; i < 23; i++)
        file[i] = uint8_t(std::toupper(file[i]));
    std::string text;
    ASSERT_TRUE(Read(file, text));
    EXPECT_EQ(text, kText);
}

TEST(Container, RefusesFilesThatContradictThemselves) {
    const Bytes good = EncryptedListBytes(kText, "a.ple");
    // Ends in a match, so a smaller T makes the last copy run past it.
    const Bytes matchAtEnd = EncryptedListBytes("pw\r\nabcdefabcdefabcdef", "a.ple");
    struct Case {
        const char* name;
        Bytes file;
    };
    std::vector<Case> cases;
    cases.push_back({"shorter than the header", Bytes(good.begin(), good.begin() + 20)});
    cases.push_back({"header only", Bytes(good.begin(), good.begin() + 24)});
    cases.push_back({"counts cut short", Bytes(good.begin(), good.begin() + 36)});
    Bytes cut(good.begin(), good.end() - 1);
    cases.push_back({"cut by one byte", cut});
    PutU32At(cut, 24, uint32_t(cut.size()));
    cases.push_back({"cut stream with patched total", cut});
    Bytes padded = good;
    padded.push_back(0);
    cases.push_back({"longer than its total", padded});
    Bytes longName = good;
    longName[33] = 250;
    cases.push_back({"name length past the end", longName});
    Bytes otherT = good;
    PutU32At(otherT, 28, uint32_t(kText.size() + 1));
    cases.push_back({"the two copies of T differ", otherT});
    Bytes hugeT = good;
    PutU32At(hugeT, 28, 0xFFFFFFF0u);
    PutU32At(hugeT, 39, 0xFFFFFFF0u);
    cases.push_back({"T beyond what the stream can carry", hugeT});
    Bytes past = matchAtEnd;
    PutU32At(past, 28, U32At(past, 28) - 1);
    PutU32At(past, 39, U32At(past, 39) - 1);
    cases.push_back({"stream expands past T", past});

    for (const Case& c : cases) {
        std::string text = "kept";
        EXPECT_FALSE(Read(c.file, text)) << c.name;
        EXPECT_EQ(text, "kept") << c.name;
    }
}

TEST(Container, BodyShorterThanItsCountsReadsAsZeros) {
    // The body of a bogus file: only the first few bytes are valid; nothing past them is read.
    const Bytes body = {1, 2, 3, 4, 5, 6, 7, 8, 9, 3, 'a', 'b', 'c', 5, 0, 0, 0};
    for (size_t count : {0u, 5u, 9u, 10u, 13u, 14u}) {
        Bytes out;
        VectorSink sink(out);
        LzhufDecodeStats stats = ReadEncryptedBody(body.data(), count, sink);
        EXPECT_EQ(stats.length, count >= 14 ? 5u : 0u) << count;
    }
}

TEST(Container, LongNameIsCutTo255Bytes) {
    Bytes file = EncryptedListBytes(kText, std::string(300, 'n'));
    EXPECT_EQ(file[33], 255);
    std::string text;
    ASSERT_TRUE(Read(file, text));
    EXPECT_EQ(text, kText);
}

TEST(Container, MemorySinkReportsOverflowWithoutWriting) {
    uint8_t buf[3] = {0, 0, 0x77};
    MemorySink sink(buf, 2);
    for (uint8_t b : {1, 2, 3})
        sink.Put(b);
    EXPECT_EQ(sink.Size(), 2u);
    EXPECT_TRUE(sink.Overflowed());
    EXPECT_EQ(buf[2], 0x77);
}

} // namespace
