// Program frame: banner, exit statuses, first-line handling, -help, configuration file, log files.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "blackbox/harness.h"

using blackbox::EngineProcess;
using blackbox::FileMap;
using blackbox::runEngine;

namespace {

const std::string BANNER = "Mirelt 1.9.2 (32 bits) by Orlen Vastrade";
const std::string TEXT_LOG = "logfile.txt";

FileMap config(const std::string& body) { return {{"mirelt.ini", body}}; }

// The count footer of a text log, one "NAME = n" line per level.
std::string textFooter(int info, int warning, int error, int gui) {
    return "\nINFO = " + std::to_string(info) + "\nDEBUG = 0\nTRACE = 0\nWARNING = " + std::to_string(warning) +
           "\nERROR = " + std::to_string(error) + "\nCRITICAL = 0\nGUI = " + std::to_string(gui) + "\n";
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Messages of a text log without timestamps: "LEVEL      message".
std::vector<std::string> logMessages(const std::string& log) {
    static const std::regex row(R"(^\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}\.\d{3} (.*)$)");
    std::vector<std::string> messages;
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        if (end == std::string::npos) end = log.size();
        std::smatch match;
        std::string line = log.substr(start, end - start);
        if (std::regex_match(line, match, row)) messages.push_back(match[1]);
        start = end + 1;
    }
    return messages;
}

}  // namespace

TEST(Frame, BannerThenQuitEndsWithStatusZero) {
    EngineProcess engine;
    ASSERT_TRUE(engine.waitForLine(BANNER));
    EXPECT_EQ(engine.lines().front(), BANNER);
    engine.send("quit");
    EXPECT_EQ(engine.waitExit(), 0);
    EXPECT_EQ(engine.lines(), std::vector<std::string>{BANNER});
    EXPECT_EQ(engine.errorOutput(), "");
    EXPECT_FALSE(engine.fileExists(TEXT_LOG));
}

TEST(Frame, EndOfInputEndsLikeQuit) {
    auto quiet = runEngine({}, {});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.lines, std::vector<std::string>{BANNER});

    // A last line without a newline still counts; a first "uci" hands over and EOF still ends.
    EngineProcess engine({}, config("[Engine]\nLogLevel=1\n"));
    engine.sendRaw("setvalue Hash 8\nuci");
    engine.closeInput();
    EXPECT_EQ(engine.waitExit(), 0);
    auto messages = logMessages(engine.readFile(TEXT_LOG));
    EXPECT_NE(std::find(messages.begin(), messages.end(), "INFO       using protocol UCI"), messages.end());
    EXPECT_EQ(messages.back(), "INFO       End.");
}

TEST(Frame, UnknownFirstLineEndsAndLogsError) {
    auto run = runEngine({}, {"", "setvalue Hash 64", "foo", "quit-never-read"}, config("[Engine]\nLogLevel=80\n"));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.lines, std::vector<std::string>{BANNER});
    std::string log = run.files[TEXT_LOG];
    auto messages = logMessages(log);
    std::vector<std::string> expected = {"GUI        >> " + BANNER, "GUI        << ", "GUI        << setvalue Hash 64",
                                         "GUI        << foo", "ERROR      unknown protocol 'foo'"};
    EXPECT_EQ(messages, expected);
    EXPECT_TRUE(endsWith(log, textFooter(0, 0, 1, 4))) << log;
}

TEST(Frame, HelpTextAndStatus) {
    auto run = runEngine({"-help"}, {});
    EXPECT_EQ(run.status, 0);
    ASSERT_EQ(run.lines.size(), 15u);
    EXPECT_EQ(run.lines[0], BANNER);
    EXPECT_TRUE(std::regex_match(run.lines[1], std::regex(R"(Built on [A-Z][a-z]{2} [ 123]\d \d{4} at \d\d:\d\d:\d\d)")))
        << run.lines[1];
    EXPECT_EQ(run.lines[2], "");
    EXPECT_EQ(run.lines[3], "Mirelt -testsuite <filename.epd> <time>");
    EXPECT_EQ(run.lines[5], "Mirelt -evalsuite <filename.epd>");
    EXPECT_EQ(run.lines[6], "Mirelt -checkfensuite <filename.epd>");
    EXPECT_EQ(run.lines[7], "Mirelt -testsee <filename.epd>");
    EXPECT_EQ(run.lines[9], "Mirelt -perft <depth> -fen \"<fen-string>\"");
    EXPECT_EQ(run.lines[14], "Mirelt -buildbook <file.pgn> <file.bin> <depth> <count>");
    // Extra arguments change nothing, and stdin is never read.
    auto extra = runEngine({"-help", "more", "args"}, {"quit"});
    EXPECT_EQ(extra.status, 0);
    EXPECT_EQ(extra.lines, run.lines);
}

TEST(Frame, CommandLineFallsThroughToProtocolMode) {
    const std::vector<std::vector<std::string>> argumentSets = {
        {"-perft"}, {"-perft", "3", "-fen"}, {"-divide", "2", "-pos", "8/8/8/8/8/8/8/K6k w - - 0 1"}, {"-bogus"},
        {"-testsuite"}, {"-perftsuite", "a.epd", "1", "x"}, {"-evalsuite", "a.epd", "b.epd"}, {"-testsee"},
        {"-buildbook"}, {"-buildbook", "a.pgn", "b.bin", "8"}, {"-buildbook", "a.pgn", "b.bin", "8", "1", "x"}};
    for (const auto& args : argumentSets) {
        auto run = runEngine(args, {"quit"}, config("[Engine]\nLogLevel=8\n"));
        EXPECT_EQ(run.status, 0) << args[0];
        EXPECT_EQ(run.lines, std::vector<std::string>{BANNER}) << args[0];
        auto messages = logMessages(run.files[TEXT_LOG]);
        if (args[0] == "-bogus")
            EXPECT_EQ(messages, std::vector<std::string>{"WARNING    Unknown command line parameter '-bogus'"});
        else
            EXPECT_TRUE(messages.empty()) << args[0];
    }
}

TEST(Frame, PerftToolRejectsBadDepth) {
    for (const char* depth : {"0", "128", "abc", "-3", "99999999999"}) {
        auto run = runEngine({"-perft", depth}, {});
        EXPECT_EQ(run.status, 1) << depth;
        EXPECT_TRUE(run.lines.empty()) << depth;
        EXPECT_NE(run.errorOutput.find("depth"), std::string::npos) << depth;
        EXPECT_EQ(std::count(run.errorOutput.begin(), run.errorOutput.end(), '\n'), 1) << run.errorOutput;
    }
}

TEST(Frame, PerftToolRejectsBadFen) {
    auto run = runEngine({"-perft", "1", "-fen", "not a position"}, {}, config("[Engine]\nLogLevel=1\n"));
    EXPECT_EQ(run.status, 1);
    ASSERT_FALSE(run.lines.empty());
    EXPECT_EQ(run.lines.back(), "Bad FEN string !");
    EXPECT_EQ(std::count(run.errorOutput.begin(), run.errorOutput.end(), '\n'), 1) << run.errorOutput;
    // A failed tool skips the orderly "End." but still finishes the log.
    std::string log = run.files[TEXT_LOG];
    EXPECT_EQ(log.find("End."), std::string::npos);
    EXPECT_NE(log.find("\nGUI = 0\n"), std::string::npos);
}

TEST(Frame, CrLfConversation) {
    EngineProcess engine({}, config("[Engine]\r\nLogLevel=65\r\n"));
    engine.sendRaw("setvalue x\r\nuci\r\nisready\r\nquit\r\n");
    EXPECT_EQ(engine.waitExit(), 0);
    auto messages = logMessages(engine.readFile(TEXT_LOG));
    std::vector<std::string> expected = {"INFO       Mirelt 1.9.2 32 bits", messages.size() > 1 ? messages[1] : "",
                                         "GUI        >> " + BANNER,         "GUI        << setvalue x",
                                         "GUI        << uci",               "INFO       using protocol UCI"};
    ASSERT_GE(messages.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(messages[i], expected[i]);
    EXPECT_NE(std::find(messages.begin(), messages.end(), "GUI        << quit"), messages.end());
    EXPECT_EQ(messages.back(), "INFO       End.");
}

TEST(Frame, LongInputLineStaysWhole) {
    std::string longLine = "setvalue " + std::string(9000, 'x');
    EngineProcess engine({}, config("[Engine]\nLogLevel=80\n"));
    engine.send(longLine);
    engine.send("quit");
    EXPECT_EQ(engine.waitExit(), 0);
    std::string log = engine.readFile(TEXT_LOG);
    // Split into pieces, the rest would have been an unknown first line.
    EXPECT_EQ(log.find("unknown protocol"), std::string::npos);
    EXPECT_TRUE(endsWith(log, textFooter(0, 0, 0, 3))) << log.substr(log.size() - 200);
}

TEST(Frame, ConfigurationSectionRules) {
    struct Case {
        const char* body;
        bool logged;
    };
    const Case cases[] = {
        {"[Engine]\nLogLevel=64\n", true},
        {"[engine]\nLogLevel=64\n", false},                    // section names are case-sensitive
        {"LogLevel=64\n[Engine]\n", false},                    // before any section
        {"[Engine] \nLogLevel=64\n", false},                   // trailing blank stays in the name
        {"[Other]\nLogLevel=64\n[Engine]\nHash=8\n", false},   // another section
        {"[Engine]\nLogLevel =64\n", false},                   // blank before '=' changes the key
        {"[Engine]\nLogLevel= 64\n", true},                    // blank after '=' is harmless for numbers
        {"[Engine]\nLogLevel=abc\n", false},                   // no number reads as 0
        {"[Engine]\nLogLevel=0\nLogLevel=64\n", false},        // first match wins
        {"[Engine]\nLogLevel=64\r\n", true},                   // CRLF
        {"[Engine]\nLogLevel=64\t; comment\n", true},          // a tab ends the line
        {"[Engine]\n\xc3\xa9LogLevel=64\n", false},            // a non-ASCII byte ends the line
        {"[A]\n[Engine]\nx=\n[Engine]\nLogLevel=64\n", true},  // sections named Engine act as one
    };
    for (const Case& c : cases) {
        auto run = runEngine({}, {"quit"}, config(c.body));
        EXPECT_EQ(run.status, 0) << c.body;
        EXPECT_EQ(run.files.count(TEXT_LOG) == 1, c.logged) << c.body;
    }
}

TEST(Frame, LogLevelMaskAndFooter) {
    // Only traffic at GUI level.
    auto gui = runEngine({}, {"quit"}, config("[Engine]\nLogLevel=64\n"));
    std::string log = gui.files[TEXT_LOG];
    auto messages = logMessages(log);
    EXPECT_EQ(messages, (std::vector<std::string>{"GUI        >> " + BANNER, "GUI        << quit"}));
    EXPECT_TRUE(endsWith(log, textFooter(0, 0, 0, 2))) << log;

    // No standard level bit: the file exists and holds only the zero footer.
    auto none = runEngine({}, {"quit"}, config("[Engine]\nLogLevel=128\n"));
    EXPECT_EQ(none.files[TEXT_LOG], textFooter(0, 0, 0, 0));

    // Every level: banner lines, traffic and "End." at INFO.
    auto all = runEngine({}, {"quit"}, config("[Engine]\nLogLevel=127\n"));
    messages = logMessages(all.files[TEXT_LOG]);
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_EQ(messages[0], "INFO       Mirelt 1.9.2 32 bits");
    EXPECT_TRUE(std::regex_match(messages[1], std::regex(R"(INFO       Compiled on \w{3} [ \d]\d \d{4} at [\d:]{8})")))
        << messages[1];
    EXPECT_EQ(messages[4], "INFO       End.");
    EXPECT_TRUE(endsWith(all.files[TEXT_LOG], textFooter(3, 0, 0, 2)));
}

TEST(Frame, LogFileNameWithProcessId) {
    EngineProcess engine({}, config("[Engine]\nLogLevel=64\nLogPID=1\n"));
    const std::string expected = "logfile_" + std::to_string(engine.pid()) + ".txt";
    engine.send("quit");
    EXPECT_EQ(engine.waitExit(), 0);
    EXPECT_EQ(engine.listFiles(), (std::vector<std::string>{expected, "mirelt.ini"}));
}

TEST(Frame, HtmlLogIsEscapedAndFinished) {
    EngineProcess engine({}, config("[Engine]\nLogLevel=80\nLogFormat=1\nLogPID=1\n"));
    const std::string name = "logfile_" + std::to_string(engine.pid()) + ".html";
    engine.send("<b>\"a&b\"</b>");
    EXPECT_EQ(engine.waitExit(), 0);
    std::string html = engine.readFile(name);
    const std::string header =
        "<!DOCTYPE HTML>\n<html>\n<head>\n<title>" + name +
        "</title>\n<link href=\"html/style.css\" media=\"screen\" rel=\"stylesheet\" type=\"text/css\" />\n"
        "<script type=\"text/javascript\" src=\"html/logchess.js\"></script>\n</head>\n<body>\n<table "
        "id=\"tablelog\">\n";
    EXPECT_EQ(html.substr(0, header.size()), header);
    EXPECT_TRUE(std::regex_search(html, std::regex(R"(<tr class="error"><th>\d{4}/\d\d/\d\d [\d:.]{12}</th><td>ERROR</td>)"
                                                   R"(<td>unknown protocol '&lt;b&gt;&quot;a&amp;b&quot;&lt;/b&gt;'</td></tr>\n)")))
        << html;
    EXPECT_NE(html.find("<td>GUI</td><td>&lt;&lt; &lt;b&gt;"), std::string::npos);
    EXPECT_EQ(html.find("<b>"), std::string::npos);
    EXPECT_TRUE(endsWith(html,
                         "<tr><th><a href=\"#\" onclick=\"return showLevel('tablelog', 'error')\">ERROR</a></th><td>1</td></tr>\n"
                         "<tr><th><a href=\"#\" onclick=\"return showLevel('tablelog', 'critical')\">CRITICAL</a></th><td>0</td></tr>\n"
                         "<tr><th><a href=\"#\" onclick=\"return showLevel('tablelog', 'gui')\">GUI</a></th><td>2</td></tr>\n"
                         "</table>\n</body>\n</html>\n"))
        << html;
}

TEST(Frame, XboardFrontEndAnswersQuit) {
    auto run = runEngine({}, {"xboard", "new", "protover 2", "quit"}, config("[Engine]\nLogLevel=1\n"));
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.files[TEXT_LOG].find("using protocol XBoard"), std::string::npos);
}

TEST(Frame, EndOfInputReachesEachOfTwoRunningPrograms) {
    // The second program must not keep the first one's input open.
    EngineProcess first;
    EngineProcess second;
    ASSERT_TRUE(first.waitForLine(BANNER));
    ASSERT_TRUE(second.waitForLine(BANNER));
    first.closeInput();
    EXPECT_EQ(first.waitExit(), 0);
    second.send("quit");
    EXPECT_EQ(second.waitExit(), 0);
}
