#include "server/options.h"

#include <charconv>
#include <stdexcept>
#include <variant>

namespace {

using TextField = std::string ServerOptions::*;

struct NumberField {
    std::uint64_t ServerOptions::*field;
    std::uint64_t min;
    std::uint64_t max;
};

struct OptionRow {
    std::string_view flag;
    std::string_view metavar;
    std::variant<TextField, NumberField> target;
    std::string_view help;
};

constexpr std::uint64_t kHuge = std::uint64_t{1} << 40;

// The one list of options: a new one is a row here and a field of ServerOptions.
const OptionRow kOptions[] = {
    {"--listen", "ADDR:PORT", &ServerOptions::listen,
     "address and port to listen on; port 0 takes a free one"},
    {"--store", "PATH|URL", &ServerOptions::store,
     "SQLite file (created when missing), or postgresql://... shared by replicas"},
    {"--sync", "normal|full", &ServerOptions::sync,
     "SQLite: normal answers a hit once its commit is in the write-ahead log, which survives "
     "any end of zbserve (a crash of the machine may lose the last fifth of a second); full "
     "also waits for the disk"},
    {"--password-file", "FILE", &ServerOptions::passwordFile,
     "file whose first line is the dashboard password"},
    {"--password", "TEXT", &ServerOptions::password,
     "the dashboard password itself (better from the environment than on the command line)"},
    {"--max-connections", "N", NumberField{&ServerOptions::maxConnections, 1, 100000},
     "open connections at most; more are closed at once"},
    {"--max-header-bytes", "N", NumberField{&ServerOptions::maxHeaderBytes, 1024, 1 << 20},
     "request line and headers at most"},
    {"--max-body-bytes", "N", NumberField{&ServerOptions::maxBodyBytes, 0, 1 << 30},
     "request body at most"},
    {"--request-seconds", "N", NumberField{&ServerOptions::requestSeconds, 1, 3600},
     "time to receive one whole request"},
    {"--idle-seconds", "N", NumberField{&ServerOptions::idleSeconds, 1, 86400},
     "time a kept-alive connection may wait for its next request"},
    {"--shutdown-seconds", "N", NumberField{&ServerOptions::shutdownSeconds, 0, 86400},
     "on SIGTERM, time the running requests get to finish"},
    {"--threads", "N", NumberField{&ServerOptions::threads, 0, 256},
     "network threads; 0: one per processor"},
    {"--collect-rate", "N", NumberField{&ServerOptions::collectRate, 0, kHuge},
     "hits a second one address may send on average; 0: no limit"},
    {"--collect-burst", "N", NumberField{&ServerOptions::collectBurst, 1, kHuge},
     "hits one address may send at once above its rate"},
    {"--session-hours", "N", NumberField{&ServerOptions::sessionHours, 1, 24 * 365},
     "how long a dashboard login lasts"},
    {"--builds", "DIR", &ServerOptions::builds,
     "folder of the signed builds that /download/NAME serves, tagged; none: no downloads"},
    {"--key-file", "FILE", &ServerOptions::keyFile,
     "keys of the download codes, one a line, 32 bytes at least; the first mints, all are "
     "accepted. Without it every download is untagged"},
    {"--download-cache-seconds", "N", NumberField{&ServerOptions::downloadCacheSeconds, 0, kHuge},
     "how long caches on the way may keep a download (Cache-Control max-age)"},
};

const OptionRow* FindRow(std::string_view flag) {
    for (const OptionRow& row : kOptions)
        if (row.flag == flag) return &row;
    return nullptr;
}

std::uint64_t ParseNumber(const OptionRow& row, const NumberField& number, std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < number.min ||
        value > number.max) {
        throw std::invalid_argument(
            std::string(row.flag) + " wants a whole number from " + std::to_string(number.min) +
            " to " + std::to_string(number.max) + ", not \"" + std::string(text) + "\"");
    }
    return value;
}

void Apply(const OptionRow& row, std::string_view value, ServerOptions& options) {
    if (const auto* text = std::get_if<TextField>(&row.target)) {
        options.*(*text) = value;
        return;
    }
    const auto& number = std::get<NumberField>(row.target);
    options.*(number.field) = ParseNumber(row, number, value);
}

std::string DefaultText(const OptionRow& row) {
    const ServerOptions defaults;
    if (const auto* text = std::get_if<TextField>(&row.target)) return defaults.*(*text);
    return std::to_string(defaults.*(std::get<NumberField>(row.target).field));
}

void ApplyEnvironment(std::span<const std::string_view> environment, ServerOptions& options) {
    for (const OptionRow& row : kOptions) {
        const std::string prefix = EnvironmentName(row.flag) + "=";
        for (std::string_view entry : environment)
            if (entry.starts_with(prefix)) Apply(row, entry.substr(prefix.size()), options);
    }
}

}  // namespace

std::string EnvironmentName(std::string_view flag) {
    std::string name = "ZBSERVE_";
    for (char c : flag.substr(2)) name += c == '-' ? '_' : static_cast<char>(c & ~0x20);
    return name;
}

ParsedOptions ParseOptions(std::span<const std::string_view> args,
                           std::span<const std::string_view> environment) {
    ParsedOptions parsed;
    ApplyEnvironment(environment, parsed.options);
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view flag = args[i];
        if (flag == "--help" || flag == "-h") {
            parsed.help = true;
            continue;
        }
        std::optional<std::string_view> value;
        if (const std::size_t equals = flag.find('='); equals != std::string_view::npos) {
            value = flag.substr(equals + 1);
            flag = flag.substr(0, equals);
        }
        const OptionRow* row = FindRow(flag);
        if (!row) throw std::invalid_argument("unknown option " + std::string(flag));
        if (!value) {
            if (i + 1 == args.size())
                throw std::invalid_argument(std::string(flag) + " wants a value");
            value = args[++i];
        }
        Apply(*row, *value, parsed.options);
    }
    return parsed;
}

std::string OptionsHelp() {
    std::string text =
        "usage: zbserve [OPTION VALUE]...\n"
        "Receives the setup program's analytics hits at /collect and shows the install funnel\n"
        "at /dashboard. Every option can also come from the environment variable beside it;\n"
        "a flag wins over the environment.\n\n";
    for (const OptionRow& row : kOptions) {
        text += "  " + std::string(row.flag) + " " + std::string(row.metavar) + "   (" +
                EnvironmentName(row.flag) + ")\n      " + std::string(row.help);
        const std::string fallback = DefaultText(row);
        if (!fallback.empty()) text += "; default " + fallback;
        text += "\n";
    }
    return text;
}
