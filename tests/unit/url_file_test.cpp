// Percent-encoding with both byte sets, and the part budgets of the url! and
// file! molds.
#include <string>

#include "runtime/datatypes/file/file.h"
#include "runtime/datatypes/url/url.h"
#include "series_fixture.h"

using namespace xel;
using namespace xel::test;

namespace {

class UrlFile : public SeriesFixture {
  protected:
    static std::string encoded(const char* utf8, int mode) {
        Cell src;
        string_make_at(&src, 0);
        string_load_utf8_into(reinterpret_cast<const uint8_t*>(utf8),
                              static_cast<uint32_t>(std::char_traits<char>::length(utf8)), &src,
                              nullptr);
        Cell out = text("");
        url_encode(&src, &out, mode);
        return whole_text(out);
    }
    template <class Mold>
    static std::string molded(Mold fn, Cell v, int part, bool limited, int* left) {
        Cell out = text("");
        Cell limit = integer(part);
        *left = fn(&v, &out, false, false, false, limited ? &limit : nullptr, part, 0);
        return whole_text(out);
    }
};

TEST_F(UrlFile, EncodeWithTheGeneralAndTheStrictSet) {
    EXPECT_EQ(encoded("a b/c:d?e=f", 0), "a%20b/c:d?e=f");
    EXPECT_EQ(encoded("a b/c:d?e=f", kUrlEncodeStrict), "a%20b%2Fc%3Ad%3Fe%3Df");
    EXPECT_EQ(encoded("-._~%^", 0), "-._~%25%5E");
    EXPECT_EQ(encoded("-._~%^", kUrlEncodeStrict), "-._~%25%5E");
    EXPECT_EQ(encoded("\xC3\xA9", 0), "%C3%A9");
    EXPECT_EQ(encoded("", 0), "");
}

TEST_F(UrlFile, ByteSets) {
    for (int b = 0; b < 256; b++) {
        bool printable = b > 32 && b < 127;
        bool excluded =
            std::string("\"%;<>[\\]^`{|}").find(static_cast<char>(b)) != std::string::npos;
        EXPECT_EQ(url_byte_allowed(static_cast<uint8_t>(b)), printable && !excluded) << b;
    }
    EXPECT_TRUE(url_byte_unreserved('~'));
    EXPECT_FALSE(url_byte_unreserved('/'));
}

TEST_F(UrlFile, UrlMoldStopsOnceTheLimitIsReached) {
    Cell url = text("ab c");
    url.header = T_URL;
    int left = 0;
    EXPECT_EQ(molded(url_mold, url, 100, false, &left), "ab%20c");
    EXPECT_EQ(left, 100 - 6);
    EXPECT_EQ(molded(url_mold, url, 3, true, &left), "ab%20");
    EXPECT_EQ(left, -2) << "an escape is written whole";
}

TEST_F(UrlFile, FileMoldCountsThePercentSign) {
    Cell file = text("a b");
    file.header = T_FILE;
    int left = 0;
    EXPECT_EQ(molded(file_mold, file, 50, false, &left), "%\"a b\"");
    EXPECT_EQ(left, 50 - 1 - 5);
    EXPECT_EQ(molded(file_mold, file, 1, true, &left), "%a") << "the limit cuts the text first";
    EXPECT_EQ(left, -1);
    Cell past = at_index(file, 9);
    EXPECT_EQ(molded(file_mold, past, 50, false, &left), "%\"\"");
}

} // namespace
