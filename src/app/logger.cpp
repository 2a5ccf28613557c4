#include "app/logger.h"

#include <sys/time.h>
#include <unistd.h>

#include <cstdarg>
#include <ctime>

Logger logger;

namespace {

constexpr int32_t MESSAGE_BUFFER_SIZE = 4096;
const char* const TEXT_EXTENSION = ".txt";
const char* const HTML_EXTENSION = ".html";

struct LevelName {
    const char* name;
    const char* cssClass;
};

constexpr LevelName STANDARD_LEVELS[] = {{"INFO", "info"},         {"DEBUG", "debug"}, {"TRACE", "trace"},
                                         {"WARNING", "warning"},   {"ERROR", "error"}, {"CRITICAL", "critical"},
                                         {"GUI", "gui"}};

// Protocol text must not become markup in the HTML log.
void writeEscaped(std::FILE* file, const char* text) {
    for (const char* p = text; *p; ++p) {
        switch (*p) {
        case '&': std::fputs("&amp;", file); break;
        case '<': std::fputs("&lt;", file); break;
        case '>': std::fputs("&gt;", file); break;
        case '"': std::fputs("&quot;", file); break;
        default: std::fputc(*p, file); break;
        }
    }
}

void formatTimestamp(char* out, size_t size) {
    timeval now{};
    gettimeofday(&now, nullptr);
    time_t seconds = now.tv_sec;
    tm local{};
    localtime_r(&seconds, &local);
    std::snprintf(out, size, "%04u/%02u/%02u %02u:%02u:%02u.%03ld", unsigned(local.tm_year + 1900),
                  unsigned(local.tm_mon + 1), unsigned(local.tm_mday), unsigned(local.tm_hour),
                  unsigned(local.tm_min), unsigned(local.tm_sec), long(now.tv_usec / 1000));
}

}  // namespace

Logger::~Logger() { close(); }

void Logger::addStandardLevels() {
    levels.clear();
    for (const LevelName& level : STANDARD_LEVELS) levels.push_back({true, 0, level.name, level.cssClass});
}

void Logger::applyLevelMask(int32_t mask) {
    for (size_t i = 0; i < levels.size(); ++i) levels[i].enabled = i < 31 && ((mask >> i) & 1) != 0;
}

void Logger::open() {
    if (!enabled || file) return;
    fileName = "logfile";
    if (pidSuffix) fileName += "_" + std::to_string(int(getpid()));
    fileName += textFormat ? TEXT_EXTENSION : HTML_EXTENSION;
    file = std::fopen(fileName.c_str(), "w");
    if (!file || textFormat) return;
    std::fputs("<!DOCTYPE HTML>\n<html>\n<head>\n", file);
    std::fprintf(file, "<title>%s</title>\n", fileName.c_str());
    std::fprintf(file, "<link href=\"%s\" media=\"screen\" rel=\"stylesheet\" type=\"text/css\" />\n",
                 cssFile.c_str());
    std::fprintf(file, "<script type=\"text/javascript\" src=\"%s\"></script>\n", jsFile.c_str());
    std::fputs("</head>\n<body>\n<table id=\"tablelog\">\n", file);
    std::fflush(file);
}

void Logger::log(int32_t level, const char* format, ...) {
    if (!enabled || !file || level < 0 || size_t(level) >= levels.size() || !levels[size_t(level)].enabled)
        return;
    char message[MESSAGE_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    LogLevelInfo& info = levels[size_t(level)];
    info.count++;
    char timestamp[64];
    formatTimestamp(timestamp, sizeof timestamp);
    if (textFormat) {
        std::fprintf(file, "%s %-10s %s\n", timestamp, info.name.c_str(), message);
    } else {
        std::fprintf(file, "<tr class=\"%s\"><th>%s</th><td>%s</td><td>", info.cssClass.c_str(), timestamp,
                     info.name.c_str());
        writeEscaped(file, message);
        std::fputs("</td></tr>\n", file);
    }
    std::fflush(file);
}

void Logger::close() {
    if (!file) return;
    if (enabled) {
        if (textFormat) {
            std::fputc('\n', file);
            for (const LogLevelInfo& level : levels)
                std::fprintf(file, "%s = %llu\n", level.name.c_str(), static_cast<unsigned long long>(level.count));
        } else {
            std::fputs("</table>\n<table id=\"logcount\">\n", file);
            for (const LogLevelInfo& level : levels)
                std::fprintf(file,
                             "<tr><th><a href=\"#\" onclick=\"return showLevel('tablelog', '%s')\">%s</a></th>"
                             "<td>%llu</td></tr>\n",
                             level.cssClass.c_str(), level.name.c_str(),
                             static_cast<unsigned long long>(level.count));
            std::fputs("</table>\n</body>\n</html>\n", file);
        }
    }
    std::fflush(file);
    std::fclose(file);
    file = nullptr;
}
