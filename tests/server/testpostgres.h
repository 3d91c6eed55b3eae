#pragma once

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>

// The PostgreSQL server of this test binary, started on first use by pgserver.py and stopped
// when the binary ends: the script serves until its standard input, a pipe from here, closes.
inline const std::string& TestPostgresUrl() {
    struct Server {
        FILE* pipe = nullptr;
        std::string url;
        Server() {
            char name[] = "/tmp/zb-pgurl-XXXXXX";
            const int fd = mkstemp(name);
            if (fd < 0) throw std::runtime_error("mkstemp failed");
            close(fd);
            const std::string command = std::string("python3 ") + ZB_PGSERVER_SCRIPT + " > " + name;
            pipe = popen(command.c_str(), "w");
            if (!pipe) throw std::runtime_error("cannot start " ZB_PGSERVER_SCRIPT);
            const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(2);
            // The script writes its one line whole; until its end arrives, it is not there.
            while (url.empty() && std::chrono::steady_clock::now() < end) {
                std::ifstream in(name);
                std::string text((std::istreambuf_iterator<char>(in)), {});
                if (text.ends_with('\n'))
                    url = text.substr(0, text.size() - 1);
                else
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            unlink(name);
            if (url.empty()) throw std::runtime_error("PostgreSQL did not start for the tests");
        }
        ~Server() { pclose(pipe); }
    };
    static Server server;
    return server.url;
}
