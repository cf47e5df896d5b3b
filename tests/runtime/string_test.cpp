// Strings: slicing, searching, splitting, conversions, sharing of buffers and byte decoding.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "runtime/array.h"
#include "runtime/string.h"

namespace {

String S(const char* text) { return String(text); }

String FromBytes(const std::vector<uint8_t>& bytes) { return String::FromBytes(bytes.data(), bytes.size()); }

TEST(StringTest, SlicesShareOrCopyAsTheBoundsSay) {
    String abcdef = S("abcdef");
    EXPECT_EQ(abcdef.Slice(-3, 6), S("def"));
    EXPECT_EQ(abcdef.Slice(-100, 2), S("ab"));
    EXPECT_EQ(abcdef.Slice(1, -1), S("bcde"));
    EXPECT_TRUE(abcdef.Slice(2, 1).IsEmpty());
    EXPECT_TRUE(abcdef.Slice(9, 20).IsEmpty());

    String abc = S("abc");
    EXPECT_TRUE(abc.Slice(0, 100).SharesBufferWith(abc));
    EXPECT_TRUE(abc.Trim().SharesBufferWith(abc));
    EXPECT_TRUE(abc.ToLower().SharesBufferWith(abc));
    EXPECT_TRUE(abc.Replace(S("x"), S("y")).SharesBufferWith(abc));
    EXPECT_TRUE((abc + String()).SharesBufferWith(abc));
    EXPECT_TRUE((String() + abc).SharesBufferWith(abc));

    // Every empty result is the one shared empty buffer.
    EXPECT_TRUE(abc.Slice(2, 2).SharesBufferWith(String()));
    EXPECT_TRUE(S("").SharesBufferWith(String(U"")));
}

TEST(StringTest, ReferenceCounting) {
    String a = S("text");
    EXPECT_EQ(a.RefCount(), 1);
    {
        String b = a;
        EXPECT_EQ(a.RefCount(), 2);
        b = b;  // self-assignment keeps the buffer
        EXPECT_EQ(b, S("text"));
    }
    EXPECT_EQ(a.RefCount(), 1);
}

TEST(StringTest, FindAndCompare) {
    String abc = S("abc");
    EXPECT_EQ(abc.Find(String(), 5), -1);
    EXPECT_EQ(abc.Find(String(), 1), 1);
    EXPECT_EQ(abc.Find(String(), 3), 3);
    EXPECT_EQ(S("abcabc").Find(S("bc"), 2), 4);
    EXPECT_EQ(S("abcabc").Find(S("bc"), -7), 1);
    EXPECT_EQ(abc.Find(S("abcd")), -1);
    EXPECT_EQ(S("abcabc").FindLast(S("abc")), 3);
    EXPECT_TRUE(abc.Contains(S("bc")));
    EXPECT_TRUE(abc.StartsWith(S("ab")));
    EXPECT_FALSE(abc.StartsWith(S("abcd")));
    EXPECT_TRUE(abc.EndsWith(S("bc")));
    EXPECT_FALSE(abc.EndsWith(S("xabc")));

    EXPECT_LT(S("ab").Compare(S("abc")), 0);
    EXPECT_EQ(S("abd").Compare(S("abc")), 1);
    EXPECT_EQ(S("abc").Compare(S("abc")), 0);
    EXPECT_EQ(S("a").Compare(S("abc")), -2);
}

TEST(StringTest, ReplaceSplitJoinTrim) {
    EXPECT_EQ(S("aaaa").Replace(S("aa"), S("b")), S("bb"));
    EXPECT_EQ(S("a-b-c").Replace(S("-"), S("--")), S("a--b--c"));
    EXPECT_EQ(S("abc").Replace(S(""), S("x")), S("abc"));

    Array<String> pieces = S(",a,").Split(S(","));
    ASSERT_EQ(pieces.Length(), 3);
    EXPECT_EQ(pieces[0], String());
    EXPECT_EQ(pieces[1], S("a"));
    EXPECT_EQ(pieces[2], String());

    Array<String> chars = S("xyz").Split(String());
    ASSERT_EQ(chars.Length(), 3);
    EXPECT_EQ(chars[2], S("z"));
    EXPECT_EQ(String().Split(String()).Length(), 0);

    String whole = S("whole");
    Array<String> one = whole.Split(S(";"));
    ASSERT_EQ(one.Length(), 1);
    EXPECT_TRUE(one[0].SharesBufferWith(whole));

    EXPECT_EQ(S(", ").Join(Array<String>{S("a"), S("b"), S("c")}), S("a, b, c"));
    EXPECT_TRUE(S(",").Join(Array<String>{whole}).SharesBufferWith(whole));
    EXPECT_TRUE(S(",").Join(Array<String>()).IsEmpty());

    EXPECT_EQ(S("\t x \n").Trim(), S("x"));
    EXPECT_TRUE(S(" \t\n").Trim().IsEmpty());
    EXPECT_EQ(S("MiXeD").ToLower(), S("mixed"));
}

TEST(StringTest, NumberConversions) {
    EXPECT_EQ(String::FromInt(-42), S("-42"));
    EXPECT_EQ(String::FromFloat(1.0f), S("1.0"));
    EXPECT_EQ(String::FromFloat(0.1f), S("0.10000000149011612"));
    EXPECT_EQ(String::FromFloat(1e20f), S("1.0000000200408773e+20"));
    EXPECT_EQ(String::FromFloat(-0.5f), S("-0.5"));

    EXPECT_EQ(S("  -17xyz").ToInt(), -17);
    EXPECT_EQ(S("abc").ToInt(), 0);
    EXPECT_EQ(S("2147483647").ToInt(), 2147483647);
    // Beyond Int the value saturates (found by fuzzing the state file: it read as -1).
    EXPECT_EQ(S("99999999999999999999").ToInt(), 2147483647);
    EXPECT_EQ(S("2147483648").ToInt(), 2147483647);
    EXPECT_EQ(S("-2147483649").ToInt(), -2147483647 - 1);
    // Only the first 63 characters are read.
    EXPECT_EQ((String(std::string(62, ' ').c_str()) + S("12")).ToInt(), 1);
    EXPECT_FLOAT_EQ(S("2.5").ToFloat(), 2.5f);
}

TEST(StringTest, EightBitAndUtf8Output) {
    const String::Char chars[] = {'A', 0xe9, 0x20ac, 0x1f600};
    String text(chars, 4);
    // Characters above 0xFFFF keep their low 16 bits, as on input.
    EXPECT_EQ(text.ToUtf8(), "A\xc3\xa9\xe2\x82\xac\xef\x98\x80");
    EXPECT_EQ(text.ToBytes(), std::string("A\xe9\xac\x00", 4));

    char small[3];
    text.ToCString(small, sizeof small);
    EXPECT_EQ(std::string(small), "A\xe9");
}

TEST(StringTest, DecodingBytes) {
    EXPECT_EQ(FromBytes({0xff, 0xfe, 0x41, 0x00}), S("A"));
    EXPECT_EQ(FromBytes({0xfe, 0xff, 0x00, 0x41, 0x00, 0x42, 0x07}), S("AB")) << "a final odd byte is ignored";
    EXPECT_EQ(FromBytes({0xc3, 0xa9}), String(U"\u00e9"));
    EXPECT_EQ(FromBytes({0xef, 0xbb, 0xbf, 'h', 'i'}), S("hi"));
    EXPECT_EQ(FromBytes({0xe2, 0x82, 0xac}), String(U"\u20ac"));
    // Anything that is not one- to three-byte UTF-8 is read one character per byte.
    EXPECT_EQ(FromBytes({0xe9}), String(U"\u00e9"));
    EXPECT_EQ(FromBytes({'a', 0xc3}), String(U"a\u00c3"));
    EXPECT_EQ(FromBytes({0xf0, 0x9f, 0x98, 0x80}).Length(), 4);
    EXPECT_EQ(FromBytes({0xef, 0xbb, 0xbf, 0xe9}), String(U"\u00e9")) << "the signature stays skipped";
    EXPECT_TRUE(FromBytes({}).IsEmpty());
}

TEST(StringTest, LoadsWholeFilesInChunks) {
    std::string path = ::testing::TempDir() + "string_test.txt";
    std::string content;
    for (int i = 0; i < 3000; ++i) content += "\xc3\xa9";  // crosses the 4096-byte chunks mid-character
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);

    String text = String::LoadFile(path.c_str());
    EXPECT_EQ(text.Length(), 3000);
    EXPECT_EQ(text.CharAt(2999), 0xe9);

    std::FILE* out = std::fopen(path.c_str(), "wb");
    EXPECT_TRUE(text.WriteToFile(out));
    std::fclose(out);
    EXPECT_EQ(String::LoadFile(path.c_str()), text);

    std::fclose(std::fopen(path.c_str(), "wb"));
    EXPECT_TRUE(String::LoadFile(path.c_str()).IsEmpty());
    EXPECT_TRUE(String::LoadFile("/nonexistent/file").IsEmpty());
    std::remove(path.c_str());
}

}  // namespace
