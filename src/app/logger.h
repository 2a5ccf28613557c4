// The process-wide logger: seven levels, a text or HTML log file, a per-level count footer.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Level numbers; level i is enabled by bit i of the LogLevel setting.
enum LogLevelId : int32_t {
    LOG_INFO = 0,
    LOG_DEBUG = 1,
    LOG_TRACE = 2,
    LOG_WARNING = 3,
    LOG_ERROR = 4,
    LOG_CRITICAL = 5,
    LOG_GUI = 6
};

struct LogLevelInfo {
    bool enabled = true;
    uint64_t count = 0;
    std::string name;
    std::string cssClass;
};

class Logger {
public:
    std::vector<LogLevelInfo> levels;
    std::string fileName;
    std::string cssFile = "html/style.css";
    std::string jsFile = "html/logchess.js";
    std::FILE* file = nullptr;
    bool textFormat = false;
    bool enabled = true;
    bool pidSuffix = false;

    ~Logger();

    // Empties the level table and adds the seven standard levels, all enabled with zero counts.
    void addStandardLevels();
    // Enables level i exactly when bit i of mask is set.
    void applyLevelMask(int32_t mask);
    // Opens "logfile[_pid].txt|.html" (replacing an older one) and writes the HTML header.
    // Does nothing unless enabled; a file that cannot be opened leaves logging silent.
    void open();
    // Writes one line at `level` (a LogLevelId); silent when off, unopened or the level is off.
    void log(int32_t level, const char* format, ...) __attribute__((format(printf, 3, 4)));
    // Writes the count footer and closes the file; a second call does nothing.
    void close();
};

extern Logger logger;
