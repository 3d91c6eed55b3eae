// Fails in the way its first argument names, with the runtime handlers installed as the
// programs install them and its log at the second argument; the Windows tests read the log and
// the exit code back.
//   zbruntimefailure purecall|abort|throw|throwint|overrun LOGFILE
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include "installer/core/installcodes.h"
#include "installer/core/toplevelcatch.h"
#include "plib/plog.h"
#include "plib/plogfile.h"
#include "plib/pruntimehandlers.h"

// Outside an unnamed namespace and not final, so that the compiler cannot know every class
// that might override hook() and drop the call to the pure function as impossible.
class Base {
  public:
    Base() {
        Base* volatile self = this;
        self->hook();
    }
    virtual ~Base() = default;
    virtual void hook() = 0;
};

class Derived : public Base {
  public:
    void hook() override {}
};

namespace {

// Writes past the end of a local array, as a copy of outside data with a wrong length would,
// over the stack protector's canary and the return address.
__attribute__((noinline)) void Overrun(const char* text) {
    char buffer[8];
    char* volatile into = buffer;
    std::strcpy(into, text);
}

int Fail(const std::string& how) {
    if (how == "purecall") {
        Derived derived;
    } else if (how == "abort") {
        std::abort();
    } else if (how == "throw") {
        throw std::runtime_error("thrown at start-up");
    } else if (how == "throwint") {
        throw 42;
    } else if (how == "overrun") {
        Overrun("a text much longer than the buffer it is copied into");
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 64;
    PInstallRuntimeHandlers();
    PLogInit(std::make_unique<PLogFile>(argv[2], 0, nullptr));
    const std::string how = argv[1];
    const int code = RunCaught(
        "main()", ExitValue(InstallExit::kStartupFailed), [&] { return Fail(how); },
        [](const std::string&) {});
    PLogExit();
    return code;
}
