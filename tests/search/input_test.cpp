// The unbuffered stdin line reader, fed through a pipe put in place of standard input.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "search/input.h"

namespace {

class PipedStdin {
public:
    PipedStdin() {
        savedStdin_ = dup(0);
        int ends[2];
        if (pipe(ends) == 0) {
            dup2(ends[0], 0);
            close(ends[0]);
            writeEnd_ = ends[1];
        }
    }
    ~PipedStdin() {
        closeWriteEnd();
        dup2(savedStdin_, 0);
        close(savedStdin_);
    }
    void write(const std::string& bytes) {
        ssize_t wrote = ::write(writeEnd_, bytes.data(), bytes.size());
        ASSERT_EQ(wrote, static_cast<ssize_t>(bytes.size()));
    }
    void closeWriteEnd() {
        if (writeEnd_ >= 0) close(writeEnd_);
        writeEnd_ = -1;
    }

private:
    int savedStdin_ = -1;
    int writeEnd_ = -1;
};

}  // namespace

// The reader keeps its buffer and its end-of-input state for the whole process, so the steps
// run in one sequence.
void readLinesPendingStateAndEndOfInput() {
    PipedStdin input;
    std::string line;
    EXPECT_FALSE(inputPending());

    const std::string longLine(10000, 'x');
    input.write("uci\r\n" + longLine + "\n\nisready\r\r\npartial");
    EXPECT_TRUE(inputPending());
    ASSERT_TRUE(readInputLine(line));
    EXPECT_EQ(line, "uci");
    ASSERT_TRUE(readInputLine(line));
    EXPECT_EQ(line, longLine);
    EXPECT_TRUE(inputPending());
    ASSERT_TRUE(readInputLine(line));
    EXPECT_EQ(line, "");
    ASSERT_TRUE(readInputLine(line));
    // Only one carriage return belongs to the line ending.
    EXPECT_EQ(line, "isready\r");

    // A partial line is not a waiting line yet.
    EXPECT_FALSE(inputPending());
    input.write("line\n");
    EXPECT_TRUE(inputPending());
    ASSERT_TRUE(readInputLine(line));
    EXPECT_EQ(line, "partialline");

    // An unterminated last line is handed out before end of input, which then stays reported.
    input.write("quit");
    input.closeWriteEnd();
    EXPECT_TRUE(inputPending());
    ASSERT_TRUE(readInputLine(line));
    EXPECT_EQ(line, "quit");
    EXPECT_TRUE(inputPending());
    EXPECT_FALSE(readInputLine(line));
    EXPECT_FALSE(readInputLine(line));
    EXPECT_EQ(line, "");
}

// In a child process, so that the other tests of this binary still see a quiet standard input.
TEST(Input, LinesPendingStateAndEndOfInput) {
    EXPECT_EXIT(
        {
            readLinesPendingStateAndEndOfInput();
            std::exit(testing::Test::HasFailure() ? 1 : 0);
        },
        testing::ExitedWithCode(0), "");
}
