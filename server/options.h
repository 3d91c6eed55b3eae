#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Everything an operator can set. Each field is one row of the option table (options.cpp):
// a flag, the environment variable of the same name (ZBSERVE_ and the flag in upper case,
// "-" as "_"), a default and a help line.
struct ServerOptions {
    std::string listen = "127.0.0.1:8080";
    std::string store = "zbserve.sqlite";
    std::string sync = "normal";
    std::string passwordFile;
    std::string password;
    std::uint64_t maxConnections = 1024;
    std::uint64_t maxHeaderBytes = 8192;
    std::uint64_t maxBodyBytes = 65536;
    std::uint64_t requestSeconds = 10;
    std::uint64_t idleSeconds = 60;
    std::uint64_t shutdownSeconds = 30;
    std::uint64_t threads = 0;
    std::uint64_t collectRate = 50;
    std::uint64_t collectBurst = 500;
    std::uint64_t sessionHours = 12;
    std::string builds;
    std::string keyFile;
    std::uint64_t downloadCacheSeconds = 3600;
};

// What the command line asks for.
struct ParsedOptions {
    ServerOptions options;
    bool help = false;
};

// Reads `environment` (name=value texts), then the flags of `args` (program name left out),
// which win over it. A flag takes its value as "--flag VALUE" or "--flag=VALUE". Throws
// std::invalid_argument with a message for the operator on an unknown flag, a missing value or
// a value out of its row's range.
ParsedOptions ParseOptions(std::span<const std::string_view> args,
                           std::span<const std::string_view> environment);

// The usage text: every flag with its variable, default and help line.
std::string OptionsHelp();

// The environment variable of `flag` ("--max-body-bytes" -> "ZBSERVE_MAX_BODY_BYTES").
std::string EnvironmentName(std::string_view flag);
