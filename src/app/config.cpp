#include "app/config.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/host.h"
#include "app/numbers.h"
#include "search/limits.h"
#include "search/tt.h"

namespace {

constexpr int32_t CONFIG_LINE_SIZE = 1024;

// Cuts at the first control character or non-ASCII byte (line ends, tabs, UTF-8 alike).
void cutAtFirstOddByte(char* line) {
    for (unsigned char* p = reinterpret_cast<unsigned char*>(line); *p; ++p) {
        if (*p < 32 || *p >= 128) {
            *p = 0;
            return;
        }
    }
}

}  // namespace

int32_t readConfigString(const char* key, char* out, const char* path) {
    std::FILE* file = std::fopen(path, "r");
    if (!file) return 0;
    char line[CONFIG_LINE_SIZE];
    bool inEngineSection = false;
    const size_t keyLength = std::strlen(key);
    while (std::fgets(line, sizeof line, file)) {
        cutAtFirstOddByte(line);
        const size_t length = std::strlen(line);
        if (length <= 2) continue;
        if (line[0] == '[') {
            // The name runs from the second character to just before the last one.
            inEngineSection = length - 2 == 6 && std::strncmp(line + 1, "Engine", 6) == 0;
            continue;
        }
        if (!inEngineSection) continue;
        const char* equals = std::strchr(line, '=');
        if (!equals || size_t(equals - line) != keyLength || std::strncmp(line, key, keyLength) != 0) continue;
        std::snprintf(out, CONFIG_VALUE_SIZE, "%s", equals + 1);
        std::fclose(file);
        return 1;
    }
    std::fclose(file);
    return 0;
}

int32_t readConfigInt(const char* key, int32_t& out, const char* path) {
    char value[CONFIG_VALUE_SIZE];
    if (!readConfigString(key, value, path)) return 0;
    out = parseInt32(value);
    return 1;
}

void readHostConfiguration(ProtocolHost& host, const char* path) {
    readConfigInt("Hash", host.Hash, path);
    host.Hash = std::clamp(host.Hash, HASH_MIN_MB, HASH_MAX_MB);
    readConfigInt("Book", host.Book, path);
    readConfigString("BookFile", host.BookFile, path);
    readConfigInt("UseStrength", host.UseStrength, path);
    readConfigInt("StrengthELO", host.StrengthELO, path);
    host.StrengthELO = std::clamp(host.StrengthELO, STRENGTH_ELO_MIN, STRENGTH_ELO_MAX);
    readConfigInt("LogLevel", host.LogLevel, path);
    readConfigInt("LogFormat", host.LogFormat, path);
    readConfigInt("LogPID", host.LogPID, path);
    readConfigInt("UseNullMovePruning", host.UseNullMovePruning, path);
    readConfigInt("UseLMR", host.UseLMR, path);
}
