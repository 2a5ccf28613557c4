// Configuration reader and number conversion.
#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>

#include "app/config.h"
#include "app/host.h"
#include "app/numbers.h"

namespace {

// A configuration file in a private temporary location, removed at the end of the test.
class ConfigFile {
public:
    explicit ConfigFile(const std::string& body) {
        char pattern[] = "/tmp/mirelt-config-XXXXXX";
        int fd = mkstemp(pattern);
        path_ = pattern;
        if (fd >= 0) {
            ssize_t wrote = write(fd, body.data(), body.size());
            (void)wrote;
            close(fd);
        }
    }
    ~ConfigFile() { std::remove(path_.c_str()); }
    const char* path() const { return path_.c_str(); }

private:
    std::string path_;
};

std::string lookUp(const std::string& body, const char* key) {
    ConfigFile file(body);
    char value[CONFIG_VALUE_SIZE] = "unchanged";
    readConfigString(key, value, file.path());
    return value;
}

}  // namespace

TEST(Numbers, DecimalConversion) {
    EXPECT_EQ(parseInt32("42"), 42);
    EXPECT_EQ(parseInt32("  \t+7"), 7);
    EXPECT_EQ(parseInt32("-13x"), -13);
    EXPECT_EQ(parseInt32("12 34"), 12);
    EXPECT_EQ(parseInt32(""), 0);
    EXPECT_EQ(parseInt32("abc"), 0);
    EXPECT_EQ(parseInt32("-"), 0);
    EXPECT_EQ(parseInt32(nullptr), 0);
    EXPECT_EQ(parseInt32("000000000000000000000000000009"), 9);
}

TEST(Numbers, SaturatesAtThirtyTwoBits) {
    EXPECT_EQ(parseInt32("2147483647"), INT32_MAX);
    EXPECT_EQ(parseInt32("2147483648"), INT32_MAX);
    EXPECT_EQ(parseInt32("-2147483648"), INT32_MIN);
    EXPECT_EQ(parseInt32("-2147483649"), INT32_MIN);
    EXPECT_EQ(parseInt32("4294967296"), INT32_MAX);
    EXPECT_EQ(parseInt32("99999999999999999999999999"), INT32_MAX);
    EXPECT_EQ(parseInt32("-99999999999999999999999999"), INT32_MIN);
}

TEST(Config, LinesAreCutAtControlAndNonAsciiBytes) {
    EXPECT_EQ(lookUp("[Engine]\nBookFile=my book.bin\n", "BookFile"), "my book.bin");
    EXPECT_EQ(lookUp("[Engine]\nBookFile= spaced\n", "BookFile"), " spaced");
    EXPECT_EQ(lookUp("[Engine]\nBookFile=book.bin\r\n", "BookFile"), "book.bin");
    EXPECT_EQ(lookUp("[Engine]\nBookFile=book\tcomment\n", "BookFile"), "book");
    // Bytes from 128 up cut the line alike whatever the signedness of char.
    EXPECT_EQ(lookUp("[Engine]\nBookFile=caf\xc3\xa9.bin\n", "BookFile"), "caf");
    EXPECT_EQ(lookUp("[Engine]\nBookFile=a\x7f" "b\n", "BookFile"), "a\x7f" "b");
    EXPECT_EQ(lookUp("[Engine]\nBookFile=x\x01y\n", "BookFile"), "x");
}

TEST(Config, KeyAndSectionMatching) {
    EXPECT_EQ(lookUp("[Engine]\nab=\n", "ab"), "");               // three characters: empty value
    EXPECT_EQ(lookUp("[Engine]\na=\n", "a"), "unchanged");        // two characters: ignored
    EXPECT_EQ(lookUp("[Engine]\nHash=1=2\n", "Hash"), "1=2");     // the first '=' splits
    EXPECT_EQ(lookUp("[Engine]\nhash=5\n", "Hash"), "unchanged"); // keys are case-sensitive
    EXPECT_EQ(lookUp("[Engine]\nHashX=5\nHash=6\n", "Hash"), "6");
    EXPECT_EQ(lookUp("[Engine]\nHash=5\n[Other]\nHash=6\n", "Hash"), "5");
    EXPECT_EQ(lookUp("[Other]\nHash=6\n[Engine]\nHash=7\n", "Hash"), "7");
    EXPECT_EQ(lookUp("[Engine}\nHash=8\n", "Hash"), "8");          // the last character is dropped unread
    EXPECT_EQ(lookUp("[Engine]x\nHash=8\n", "Hash"), "unchanged");
    EXPECT_EQ(lookUp("", "Hash"), "unchanged");
}

TEST(Config, MissingFileLeavesValues) {
    int32_t value = 77;
    char text[CONFIG_VALUE_SIZE] = "kept";
    EXPECT_EQ(readConfigInt("Hash", value, "/nonexistent/mirelt.ini"), 0);
    EXPECT_EQ(readConfigString("BookFile", text, "/nonexistent/mirelt.ini"), 0);
    EXPECT_EQ(value, 77);
    EXPECT_STREQ(text, "kept");

    ProtocolHost host;
    readHostConfiguration(host, "/nonexistent/mirelt.ini");
    EXPECT_EQ(host.Hash, 32);
    EXPECT_EQ(host.StrengthELO, 2600);
    EXPECT_STREQ(host.BookFile, "mireltbook-11.bin");
}

TEST(Config, HostSettingsAndClamps) {
    struct Case {
        const char* body;
        int32_t hash;
        int32_t elo;
    };
    const Case cases[] = {
        {"[Engine]\nHash=64\nStrengthELO=1800\n", 64, 1800},
        {"[Engine]\nHash=0\nStrengthELO=999\n", 1, 1000},
        {"[Engine]\nHash=5000\nStrengthELO=2601\n", 2048, 2600},
        {"[Engine]\nHash=abc\nStrengthELO=abc\n", 1, 1000},
        {"[Engine]\nHash=-7\nStrengthELO=-99999999999\n", 1, 1000},
        {"[Engine]\nHash=99999999999\nStrengthELO=99999999999\n", 2048, 2600},
        {"[Engine]\nHash=64\nHash=128\n", 64, 2600},
    };
    for (const Case& c : cases) {
        ConfigFile file(c.body);
        ProtocolHost host;
        readHostConfiguration(host, file.path());
        EXPECT_EQ(host.Hash, c.hash) << c.body;
        EXPECT_EQ(host.StrengthELO, c.elo) << c.body;
    }

    ConfigFile file(
        "[Engine]\r\nBook=2\r\nBookFile=other.bin\r\nUseStrength=1\r\nLogLevel=3\r\nLogFormat=1\r\nLogPID=1\r\n"
        "UseNullMovePruning=0\r\nUseLMR=0\r\n");
    ProtocolHost host;
    readHostConfiguration(host, file.path());
    EXPECT_EQ(host.Book, 2);
    EXPECT_STREQ(host.BookFile, "other.bin");
    EXPECT_EQ(host.UseStrength, 1);
    EXPECT_EQ(host.LogLevel, 3);
    EXPECT_EQ(host.LogFormat, 1);
    EXPECT_EQ(host.LogPID, 1);
    EXPECT_EQ(host.UseNullMovePruning, 0);
    EXPECT_EQ(host.UseLMR, 0);
    EXPECT_EQ(host.Hash, 32);
}

TEST(Config, LongLinesAreReadInPieces) {
    // A line holds at most 1023 characters; the rest is read as a line of its own.
    std::string value(1014, 'v');
    EXPECT_EQ(lookUp("[Engine]\nBookFile=" + value + "\n", "BookFile"), value);
    EXPECT_EQ(lookUp("[Engine]\nBookFile=" + value + std::string(3000, 'w') + "\n", "BookFile"), value);
    EXPECT_EQ(lookUp("[Engine]\n" + std::string(1023, '#') + "Hash=9\n", "Hash"), "9");
}
