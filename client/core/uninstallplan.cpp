#include "client/core/uninstallplan.h"

#include <algorithm>
#include <set>

#include "installer/core/payloadarchive.h"
#include "installer/core/programtext.h"
#include "installer/core/windowsfilename.h"
#include "plib/perror.h"
#include "plib/pstringencoding.h"

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

bool EndsWithNoCase(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && EqualsNoCase(text.substr(text.size() - end.size()), end);
}

std::string_view LastPart(std::string_view path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool IsUserSettings(std::string_view path) {
    const std::string_view name = LastPart(path);
    return EqualsNoCase(name, "user.ini") || EqualsNoCase(name, "user.ini.bak");
}

void AddOnce(std::vector<std::string>& list, std::string item) {
    if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(std::move(item));
}

// Every folder above a payload file, below the install folder, deepest first.
std::vector<std::string> PayloadFolders(const std::vector<std::string>& payloadFiles) {
    std::set<std::string> folders;
    for (const std::string& file : payloadFiles)
        for (size_t slash = file.find('\\'); slash != std::string::npos;
             slash = file.find('\\', slash + 1))
            folders.insert(file.substr(0, slash));
    std::vector<std::string> ordered(folders.begin(), folders.end());
    std::stable_sort(
        ordered.begin(), ordered.end(), [](const std::string& a, const std::string& b) {
            return std::count(a.begin(), a.end(), '\\') > std::count(b.begin(), b.end(), '\\');
        });
    return ordered;
}

}  // namespace

std::vector<std::string> ParsePayloadList(std::string_view text) {
    std::vector<std::string> files;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        std::string name;
        try {
            name = Utf8ToProgramText(line);
        } catch (const PError&) {
            continue;  // a damaged line names no file the build wrote
        }
        std::replace(name.begin(), name.end(), '/', '\\');
        if (IsSafeRelativePath(name)) files.push_back(std::move(name));
    }
    return files;
}

UninstallPlan PlanUninstall(const UninstallRecord& record,
                            const std::vector<std::string>& payloadFiles) {
    UninstallPlan plan;
    // Shortcuts and the group are named as the registration named them.
    const std::string d = AsPlainFileName(record.fullDisplayName);
    for (const std::string& link : record.links)
        if (EndsWithNoCase(link, ".lnk")) AddOnce(plan.files, link);
    if (!record.groupFolder.empty()) {
        AddOnce(plan.files, PMixedJoin({record.groupFolder, "\\", d, ".lnk"}));
        AddOnce(plan.files, PMixedJoin({record.groupFolder, "\\Uninstall ", d, ".lnk"}));
        plan.folders.push_back(record.groupFolder);
    }
    if (record.installFolder.empty()) return plan;

    const std::string prefix = record.installFolder + "\\";
    AddOnce(plan.files, prefix + "Uninstall " + d + ".lnk");
    for (const std::string& file : payloadFiles)
        if (!IsUserSettings(file)) AddOnce(plan.files, prefix + file);
    for (const char* own : {"tinfo.dat", "app.ini", "Install.log", kPayloadListName})
        AddOnce(plan.files, prefix + own);
    for (const std::string& folder : PayloadFolders(payloadFiles))
        plan.folders.push_back(prefix + folder);
    plan.folders.push_back(record.installFolder);
    return plan;
}
