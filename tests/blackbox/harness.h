// Pipe harness for black-box tests: runs the real program in a scratch directory and talks
// to it over stdin/stdout.
//
// The program is the command in the environment variable MIRELT_ENGINE, split on spaces
// (e.g. "qemu-arm -cpu cortex-a7 build/arm/mirelt-armv7"), or the freshly built binary.
// Every time-out is multiplied by MIRELT_TIMEOUT_SCALE (default 1) for slow emulated runs.
//
// Typical use:
//   blackbox::EngineProcess engine({"-help"});          // arguments after the program
//   engine.send("uci");
//   ASSERT_TRUE(engine.waitForLine("uciok"));           // exact line
//   engine.closeInput();
//   EXPECT_EQ(engine.waitExit(), 0);
//   std::string log = engine.readFile("logfile.txt");
#pragma once

#include <functional>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace blackbox {

// Seconds a single wait allows by default, before scaling.
inline constexpr double DEFAULT_TIMEOUT = 20.0;

// Time-out multiplied by MIRELT_TIMEOUT_SCALE.
double scaledTimeout(double seconds);

// The engine command line (program and its fixed arguments) from MIRELT_ENGINE or the default.
std::vector<std::string> engineCommand();

// Files to create in the scratch directory before the program starts: name -> contents.
using FileMap = std::map<std::string, std::string>;

class EngineProcess {
public:
    // Starts the program with `args` appended, in a fresh scratch directory holding `files`.
    explicit EngineProcess(const std::vector<std::string>& args = {}, const FileMap& files = {});
    // Kills the program if it still runs and removes the scratch directory.
    ~EngineProcess();
    EngineProcess(const EngineProcess&) = delete;
    EngineProcess& operator=(const EngineProcess&) = delete;

    // Sends one line (a newline is appended).
    void send(const std::string& line);
    // Sends bytes exactly as given (for CRLF or unterminated input).
    void sendRaw(const std::string& bytes);
    // Closes the program's stdin (end of input).
    void closeInput();

    // Waits until a stdout line satisfies `match`; true when one came before the time-out
    // or the program's end. Lines are kept in lines(); the search starts after the line
    // matched by the previous wait.
    bool waitFor(const std::function<bool(const std::string&)>& match,
                 double timeoutSeconds = DEFAULT_TIMEOUT);
    bool waitForLine(const std::string& exact, double timeoutSeconds = DEFAULT_TIMEOUT);
    bool waitForPrefix(const std::string& prefix, double timeoutSeconds = DEFAULT_TIMEOUT);
    bool waitForRegex(const std::string& pattern, double timeoutSeconds = DEFAULT_TIMEOUT);
    // The line the last successful wait matched.
    const std::string& lastMatch() const { return lastMatch_; }

    // Waits for the program to end, reading the rest of stdout; returns its exit status,
    // 128+signal when killed by a signal, or -1 after the time-out (the program is killed).
    int waitExit(double timeoutSeconds = DEFAULT_TIMEOUT);

    // Every stdout line read so far (without the newline; a carriage return is kept).
    const std::vector<std::string>& lines() const { return lines_; }
    // Lines read since the last successful wait's match (or since the start).
    std::vector<std::string> linesSinceMatch() const;
    // All of stdout so far as one text, lines joined with '\n'.
    std::string output() const;
    // Everything the program wrote to stderr (complete once it has ended).
    std::string errorOutput() const;

    // The scratch directory (the program's working directory).
    const std::string& directory() const { return workDir_; }
    // Contents of a file in the scratch directory ("" when missing).
    std::string readFile(const std::string& name) const;
    bool fileExists(const std::string& name) const;
    // Names of the files in the scratch directory, sorted.
    std::vector<std::string> listFiles() const;
    int pid() const { return pid_; }

private:
    bool readMore(double deadline);
    void takeLines();

    std::string scratchRoot_;
    std::string workDir_;
    int pid_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
    bool exited_ = false;
    int status_ = -1;
    std::string partial_;
    std::vector<std::string> lines_;
    size_t searchFrom_ = 0;
    size_t matchEnd_ = 0;
    std::string lastMatch_;
};

// Result of a whole run: every input line sent, stdin closed, program waited for.
struct RunResult {
    int status = -1;
    std::vector<std::string> lines;
    std::string errorOutput;
    FileMap files;  // every file left in the scratch directory
};

// Runs the program once with `args`, feeding `input` lines and then end of input.
RunResult runEngine(const std::vector<std::string>& args, const std::vector<std::string>& input,
                    const FileMap& files = {}, double timeoutSeconds = DEFAULT_TIMEOUT);

}  // namespace blackbox
