#include "server/httpsession.h"

#include <sys/sendfile.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "server/jsonlog.h"

namespace {

// At most this much of a file goes out per call, so that one download does not hold a network
// thread while others wait.
constexpr std::uint64_t kSendFileChunk = 1 << 20;

bool HasBody(int status) {
    return status >= 200 && status != 204 && status != 304;
}

}  // namespace

std::size_t SessionHub::count() {
    std::lock_guard guard(lock);
    return sessions.size();
}

// The sessions are posted to outside the lock: the last reference to one may be let go here
// (its posted call may have run already), and its destructor takes the lock.
void SessionHub::forEach(void (HttpSession::*act)()) {
    std::vector<std::shared_ptr<HttpSession>> live;
    {
        std::lock_guard guard(lock);
        for (auto& [raw, weak] : sessions)
            if (auto session = weak.lock()) live.push_back(std::move(session));
    }
    for (auto& session : live) {
        auto executor = session->socketExecutor();
        asio::post(executor, [session, act] { (session.get()->*act)(); });
    }
}

HttpSession::HttpSession(tcp::socket socket, SessionHub& hub)
    : hub_(hub), socket_(std::move(socket)), timer_(socket_.get_executor()) {
    boost::system::error_code ignored;
    peer_ = socket_.remote_endpoint(ignored).address().to_string();
    socket_.set_option(tcp::no_delay(true), ignored);
}

HttpSession::~HttpSession() {
    std::lock_guard guard(hub_.lock);
    hub_.sessions.erase(this);
    if (hub_.draining && hub_.sessions.empty()) hub_.allGone();
}

asio::any_io_executor HttpSession::socketExecutor() {
    return socket_.get_executor();
}

void HttpSession::start() {
    {
        std::lock_guard guard(hub_.lock);
        hub_.sessions.emplace(this, weak_from_this());
    }
    asio::post(socket_.get_executor(), [self = shared_from_this()] { self->waitForRequest(); });
}

void HttpSession::closeIfIdle() {
    if (idle_) closeNow();
}

void HttpSession::closeNow() {
    boost::system::error_code ignored;
    socket_.shutdown(tcp::socket::shutdown_both, ignored);
    socket_.close(ignored);
    timer_.cancel();
}

// Moving the deadline later costs no timer operation: the timer wakes at the deadline it was set
// to, finds a later one and waits again; it wakes once per deadline that passes, not per request.
// A sooner deadline (the request time after the idle time) moves the timer.
void HttpSession::arm(std::uint64_t seconds) {
    deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    if (!watching_ || deadline_ < timer_.expiry()) watch();
}

void HttpSession::watch() {
    watching_ = true;
    timer_.expires_at(deadline_);
    timer_.async_wait([self = shared_from_this()](boost::system::error_code error) {
        // Cancelled: moved to a sooner deadline (a wait is pending again) or closed.
        if (error) return;
        self->watching_ = false;
        if (!self->socket_.is_open()) return;
        if (std::chrono::steady_clock::now() >= self->deadline_) return self->closeNow();
        self->watch();
    });
}

// Between requests a connection may wait the idle time for the first byte; from then on the
// whole request must arrive within the request time.
void HttpSession::waitForRequest() {
    if (hub_.draining) return closeNow();
    if (buffer_.size() > 0) return readRequest();
    idle_ = true;
    arm(hub_.options.idleSeconds);
    socket_.async_read_some(
        buffer_.prepare(4096),
        [self = shared_from_this()](boost::system::error_code error, std::size_t bytes) {
            self->idle_ = false;
            if (error) return self->closeNow();
            self->buffer_.commit(bytes);
            self->readRequest();
        });
}

void HttpSession::readRequest() {
    parser_.emplace();
    parser_->header_limit(static_cast<std::uint32_t>(hub_.options.maxHeaderBytes));
    parser_->body_limit(hub_.options.maxBodyBytes);
    arm(hub_.options.requestSeconds);
    http::async_read(socket_, buffer_, *parser_,
                     [self = shared_from_this()](boost::system::error_code error, std::size_t) {
                         self->onRequest(error);
                     });
}

void HttpSession::onRequest(boost::system::error_code error) {
    if (error == http::error::header_limit) return refuse(431, "header too large");
    if (error == http::error::body_limit) return refuse(413, "body too large");
    if (error == http::error::end_of_stream || error == asio::error::operation_aborted ||
        error == asio::error::eof || error == asio::error::connection_reset)
        return closeNow();
    if (error) return refuse(400, error.message());
    keepAlive_ = parser_->get().keep_alive() && !hub_.draining;
    arm(hub_.options.requestSeconds);
    HttpRequest request = takeRequest();
    const bool head = request.method == "HEAD";
    hub_.router.dispatch(std::move(request),
                         [target = AnswerTarget(*this), head](HttpResponse response) mutable {
                             response.headersOnly = response.headersOnly || head;
                             auto executor = target.executor;
                             asio::post(executor, [session = std::move(target.session),
                                                   response = std::move(response)]() mutable {
                                 session->respond(std::move(response));
                             });
                         });
}

// Where a route's answer goes, however late it comes and from whichever thread. The executor
// keeps the server running until the answer has been handed over (or its holder has given up):
// it is let go after the connection, which, let go last anywhere but on a network thread,
// must not outlive the server it belongs to.
HttpSession::AnswerTarget::AnswerTarget(HttpSession& session)
    : executor(
          asio::prefer(session.socket_.get_executor(), asio::execution::outstanding_work.tracked)),
      session(session.shared_from_this()) {}

HttpRequest HttpSession::takeRequest() {
    auto& message = parser_->get();
    HttpRequest request;
    request.method = std::string(message.method_string());
    request.target = std::string(message.target());
    const std::size_t question = request.target.find('?');
    request.path = request.target.substr(0, question);
    if (question != std::string::npos) request.query = request.target.substr(question + 1);
    for (const auto& field : message)
        request.headers.emplace_back(std::string(field.name_string()), std::string(field.value()));
    request.body = std::move(message.body());
    request.peer = peer_;
    return request;
}

// A request the server cannot read to its end: answered, then the connection is closed, as
// what follows on it cannot be trusted to start a request.
void HttpSession::refuse(int status, std::string_view reason) {
    LogEvent("request_refused").text("peer", peer_).number("status", status).text("reason", reason);
    keepAlive_ = false;
    buffer_.clear();
    respond(PlainResponse(status, StatusText(status)));
}

void HttpSession::respond(HttpResponse response) {
    response_ = std::move(response);
    sent_ = 0;
    head_.emplace(static_cast<http::status>(response_.status), 11);
    for (const auto& [name, value] : response_.headers) head_->set(name, value);
    if (HasBody(response_.status)) {
        std::uint64_t length = 0;
        for (const BodyPart& part : response_.body) length += part.size();
        head_->content_length(length);
    }
    head_->keep_alive(keepAlive_ && !hub_.draining);
    serializer_.emplace(*head_);
    arm(hub_.options.requestSeconds);
    http::async_write_header(
        socket_, *serializer_,
        [self = shared_from_this()](boost::system::error_code error, std::size_t) {
            if (error) return self->finish(false);
            self->writePart(0);
        });
}

void HttpSession::writePart(std::size_t index) {
    if (response_.headersOnly || !HasBody(response_.status) || index == response_.body.size())
        return finish(true);
    const BodyPart& part = response_.body[index];
    if (part.file) return sendFilePart(index, 0);
    arm(hub_.options.requestSeconds);
    asio::async_write(
        socket_, asio::buffer(part.bytes),
        [self = shared_from_this(), index](boost::system::error_code error, std::size_t bytes) {
            self->sent_ += bytes;
            if (error) return self->finish(false);
            self->writePart(index + 1);
        });
}

// The file's bytes go from the page cache to the socket (sendfile); when the socket is full
// the connection waits until it can write, the request time at most, so a client that stops
// reading is dropped.
void HttpSession::sendFilePart(std::size_t index, std::uint64_t done) {
    const BodyPart& part = response_.body[index];
    if (done == part.length) return writePart(index + 1);
    if (!socket_.native_non_blocking()) {
        boost::system::error_code ignored;
        socket_.native_non_blocking(true, ignored);
    }
    off_t offset = static_cast<off_t>(part.offset + done);
    const std::size_t want = std::min(part.length - done, kSendFileChunk);
    const ssize_t bytes = ::sendfile(socket_.native_handle(), part.file->get(), &offset, want);
    auto self = shared_from_this();
    if (bytes > 0) {
        sent_ += static_cast<std::uint64_t>(bytes);
        const std::uint64_t next = done + static_cast<std::uint64_t>(bytes);
        return asio::post(socket_.get_executor(),
                          [self, index, next] { self->sendFilePart(index, next); });
    }
    if (bytes < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        arm(hub_.options.requestSeconds);
        return socket_.async_wait(tcp::socket::wait_write,
                                  [self, index, done](boost::system::error_code error) {
                                      if (error) return self->finish(false);
                                      self->sendFilePart(index, done);
                                  });
    }
    finish(false);  // the file ended early, or the connection failed
}

void HttpSession::finish(bool complete) {
    if (response_.finished) response_.finished(sent_, complete);
    response_ = HttpResponse();
    if (!complete || !keepAlive_ || hub_.draining) return closeNow();
    waitForRequest();
}
