#include "installer/ZembricoInstall/googleanalytics.h"

#include <windows.h>

#include <cwchar>
#include <iterator>
#include <system_error>
#include <vector>

#include "installer/core/toplevelcatch.h"
#include "plib/perror.h"
#include "plib/pstringencoding.h"
#include "plib/win/pmodule.h"
#include "plib/win/pregistry.h"
#include "plib/win/psystemlibraries.h"
#include "plib/winseam/pwidenarrow.h"
#include "plib/winseam/unique.h"

namespace {

// "host:port" or "host"; the port defaults to 80.
UrlParts CollectAddress(std::string_view collectionHost) {
    return ParseUrl("http://" + std::string(collectionHost) + "/collect");
}

std::string ReadMachineGuid(REGSAM view) {
    UniqueRegKey key;
    PString guid;
    if (PRegOpenKey(HKEY_LOCAL_MACHINE, PString("SOFTWARE\\Microsoft\\Cryptography\\"), 0,
                    KEY_READ | view, key) != ERROR_SUCCESS ||
        PRegReadString(key.get(), "MachineGuid", guid, nullptr) != ERROR_SUCCESS)
        return {};
    return std::string(guid.view());
}

}  // namespace

const std::string& AnalyticsClientId() {
    static const std::string id = [] {
        std::string guid = ReadMachineGuid(0);
        if (guid.empty()) guid = ReadMachineGuid(KEY_WOW64_64KEY);
        return ClientIdFromMachineGuid(guid);
    }();
    return id;
}

std::string ExecutableProductVersion() {
    const PString path = PModuleFileName(nullptr, &PMixedEncoding());
    return path.empty() ? std::string() : ProductVersionOf(path);
}

std::string ProductVersionOf(const PString& path) {
    PSysText file(path, &PMixedEncoding(), /*wide=*/true);
    DWORD handle = 0;
    const DWORD size = PGetFileVersionInfoSize(file.w(), &handle);
    if (size == 0) return {};
    std::vector<char> info(size);
    if (!PGetFileVersionInfo(file.w(), 0, size, info.data())) return {};
    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* translation = nullptr;
    UINT translationSize = 0;
    if (!PVerQueryValue(info.data(), "\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &translationSize) ||
        translationSize < sizeof(Translation))
        return {};
    char query[64];
    std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\ProductVersion",
                  translation->language, translation->codePage);
    char* version = nullptr;
    UINT versionSize = 0;
    if (!PVerQueryValue(info.data(), query, reinterpret_cast<void**>(&version), &versionSize) ||
        versionSize == 0)
        return {};
    return std::string(version, strnlen(version, versionSize));
}

GoogleAnalytics::GoogleAnalytics(std::string_view collectionHost, std::string appVersion)
    : logPlace_(EarlyLogQueue::instance().hold()) {
    identity_.appVersion = std::move(appVersion);
    const UrlParts address = CollectAddress(collectionHost);
    collectUrl_ = ComposeUrl(address.host, address.port, address.path);
    try {
        connector_ = std::thread([this, address] { connect(address); });
    } catch (const std::system_error&) {
        connect(address);
    }
}

GoogleAnalytics::~GoogleAnalytics() {
    if (connector_.joinable()) connector_.join();
}

void GoogleAnalytics::connect(const UrlParts& address) {
    const bool connected = Caught(
        {.place = CatchPlace::kAnalyticsConnect,
         .systemError = "PSystemError",
         .error = nullptr,
         .other = nullptr},
        [this](const std::string& line) { logPlace_.fill("%s", line.c_str()); },
        [&] {
            socket_.create();
            socket_.connect(address.host, address.port);
            return true;
        },
        [](const std::optional<std::string>&) { return false; });
    if (!connected) {
        disable();
        return;
    }
    logPlace_.release();
    sendWaitingHits();
}

void GoogleAnalytics::sendWaitingHits() {
    {
        std::lock_guard lock(postLock_);
        Caught(
            {.place = CatchPlace::kAnalyticsSend,
             .systemError = "PSystemError",
             .error = nullptr,
             .other = nullptr},
            EarlyLogLine,
            [this] {
                for (const std::string& request : waiting_)
                    socket_.send(request.data(), request.size());
            },
            DropCaught);
        waiting_.clear();
        state_ = State::kConnected;
    }
    settled_.notify_all();
}

void GoogleAnalytics::disable() {
    {
        std::lock_guard lock(postLock_);
        waiting_.clear();
        state_ = State::kFailed;
    }
    settled_.notify_all();
}

bool GoogleAnalytics::awaitConnection() {
    std::unique_lock lock(postLock_);
    settled_.wait(lock, [this] { return state_ != State::kConnecting; });
    return state_ == State::kConnected;
}

void GoogleAnalytics::setIdentity(std::string_view appNameBase, std::string_view generalAccount,
                                  std::string_view licenceAccount) {
    std::lock_guard lock(postLock_);
    identity_.appNameBase = appNameBase;
    identity_.generalAccount = generalAccount;
    identity_.licenceAccount = licenceAccount;
}

void GoogleAnalytics::setGroupId(std::string_view groupId) {
    std::lock_guard lock(postLock_);
    identity_.groupId = groupId;
}

void GoogleAnalytics::screenView(std::string_view screenName) {
    AnalyticsHit hit;
    hit.screenName = screenName;
    post(hit);
}

void GoogleAnalytics::event(std::string_view category, std::string_view action,
                            std::string_view label, int value) {
    AnalyticsHit hit;
    hit.type = AnalyticsHit::Type::Event;
    hit.category = category;
    hit.action = action;
    hit.label = label;
    hit.value = value;
    post(hit);
}

void GoogleAnalytics::post(const AnalyticsHit& hit) {
    std::lock_guard lock(postLock_);
    if (state_ == State::kFailed) return;
    identity_.clientId = AnalyticsClientId();
    for (const std::string& body : HitPayloads(identity_, hit)) {
        UrlParts url = ParseUrl(collectUrl_);
        std::string request = ComposePost(url, body.size(), "application/x-www-form-urlencoded");
        request += body;
        if (state_ == State::kConnecting)
            waiting_.push_back(std::move(request));
        else
            socket_.send(request.data(), request.size());
    }
}
