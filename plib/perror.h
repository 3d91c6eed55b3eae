#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>

class PString;

// Root of the program's exception family. Thrown by value, caught by reference. Each error
// carries a finished English message, built at construction; the classes add no virtual
// functions, so a catch of `PError&` reads the same message whatever was thrown.
//
// Every constructor except the copy hands the finished message to the process-wide error hook
// (see PErrorSetHook) when the constructing thread's trace flag is on.
class PError {
  public:
    explicit PError(const char* message);
    PError(const PError& other);
    PError& operator=(const PError& other);
    PError(PError&& other) noexcept;
    PError& operator=(PError&& other) noexcept;
    ~PError();

    // The message, or "" when there is none (a message that could not be allocated).
    const char* why() const noexcept;

  protected:
    struct Deferred {};
    // For derived classes that compose the message themselves: no message, no hook call yet.
    explicit PError(Deferred) noexcept {}
    // Joins `parts` into the message, replacing any earlier one, then calls the hook. Never
    // throws: under memory exhaustion the error is left without a message rather than turning
    // into a different exception (or recursing through PSystemMemoryError).
    void compose(std::initializer_list<const char*> parts) noexcept;

  private:
    PString* message_ = nullptr;  // owned; null when there is no message
};

class PInternalError : public PError {
  public:
    explicit PInternalError(const char* message) : PError(message) {}

  protected:
    explicit PInternalError(Deferred d) noexcept : PError(d) {}
};

// "Assertion failed: " + expression + ", file " + file + ", line " + line.
class PAssert : public PInternalError {
  public:
    PAssert(const char* expression, const char* file, int line);
};

// Throws PAssert naming the failed expression and this source line when `expr` is false.
#define PASSERT(expr) ((expr) ? static_cast<void>(0) : throw PAssert(#expr, __FILE__, __LINE__))

class PFatalError : public PInternalError {
  public:
    explicit PFatalError(const char* message) : PInternalError(message) {}

  protected:
    explicit PFatalError(Deferred d) noexcept : PInternalError(d) {}
};

// text + ": 0x" + `requested` in upper-case hexadecimal without leading zeros,
// e.g. "_PBlock::_realloc, number of bytes requested: 0x80".
class PSystemMemoryError : public PFatalError {
  public:
    PSystemMemoryError(const char* text, std::uint64_t requested);
};

class PParserError : public PInternalError {
  public:
    explicit PParserError(const char* message) : PInternalError(message) {}
};

// A failed system call. From a code: text + ": " + the system text of the code (see
// PSystemErrorText), and the code is kept. From an explanation: text + ": " + explanation, and
// the code is -1.
class PSystemError : public PInternalError {
  public:
    PSystemError(const char* text, std::int32_t code);
    PSystemError(const char* text, const char* explanation);

    std::int32_t code() const noexcept { return code_; }

  private:
    std::int32_t code_;
};

// Name resolution failures; message forms as PSystemError.
class PHostNameError : public PSystemError {
  public:
    PHostNameError(const char* text, std::int32_t code) : PSystemError(text, code) {}
    PHostNameError(const char* text, const char* explanation) : PSystemError(text, explanation) {}
};

// Text-encoding failures, such as malformed UTF-8.
class PI18NError : public PError {
  public:
    explicit PI18NError(const char* message) : PError(message) {}
};

// Where the system text of an error code comes from. Writes the zero-terminated English text of
// `code` into `buffer` (at most `size` bytes, terminator included) and returns true, or returns
// false when the system has no text for it. The Windows build's default asks the system message
// table in language 1033; the native build has none.
using PSystemMessageSource = bool (*)(std::int32_t code, char* buffer, std::size_t size);

// Replaces the message source for the whole process; null restores the platform default.
// Returns the source installed before (null when that was the default).
PSystemMessageSource PSetSystemMessageSource(PSystemMessageSource source) noexcept;

// Appends the system text of `code` to `out`: the source's text with every CR and LF turned into
// a space, then " (", or "Unknown error (" when there is no text; then the code in signed
// decimal, "=0x", the code in upper-case hexadecimal (two's complement for negative codes)
// and ")". Example: "Unknown error (12345678=0xBC614E)".
void PSystemErrorText(PString& out, std::int32_t code);

// Receives the message of every traced PError-family construction. Called on the constructing
// thread; must not throw (anything it throws is swallowed). A PError constructed while the hook
// runs on the same thread does not reach the hook again.
class PErrorHook {
  public:
    virtual ~PErrorHook() = default;
    virtual void onError(const char* message) noexcept = 0;
};

// Installs `hook` as the process-wide error hook (null removes it). The previous hook is
// destroyed once no thread is still calling it.
void PErrorSetHook(std::unique_ptr<PErrorHook> hook);

// Whether the process-wide error hook is installed.
bool PErrorHasHook() noexcept;

// The calling thread's trace flag (initially on): errors built on this thread reach the hook
// only while it is on. Setting it returns the previous value.
bool PErrorTraceEnabled() noexcept;
bool PErrorSetTrace(bool on) noexcept;
