// Reader of the start-up configuration file: INI style, only the section "Engine" counts.
#pragma once

#include <cstdint>

class ProtocolHost;

inline constexpr const char* CONFIG_FILE_NAME = "mirelt.ini";
// Size of the buffer a string value is copied into.
inline constexpr int32_t CONFIG_VALUE_SIZE = 1024;

// Copies the value of the first "key=value" line for `key` in section [Engine] into `out`
// (CONFIG_VALUE_SIZE bytes) and returns 1; returns 0 and leaves `out` alone when the file
// cannot be opened or no line matches.
int32_t readConfigString(const char* key, char* out, const char* path = CONFIG_FILE_NAME);

// As readConfigString, then converts the value with parseInt32 (text that is no number gives 0).
int32_t readConfigInt(const char* key, int32_t& out, const char* path = CONFIG_FILE_NAME);

// Reads the ten start-up settings into `host` (missing keys keep their values) and clamps
// Hash to 1..2048 MB and StrengthELO to 1000..2600.
void readHostConfiguration(ProtocolHost& host, const char* path = CONFIG_FILE_NAME);
