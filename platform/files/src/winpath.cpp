#include "winpath.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <vector>

namespace {

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// The directory entry of `dir` that equals `name` ignoring case, or `name` itself.
std::string MatchComponent(const std::string& dir, const std::string& name) {
    const std::string base = dir.empty() ? "." : dir;
    if (Exists(dir.empty() ? name : dir + "/" + name)) return name;
    DIR* d = opendir(base.c_str());
    if (!d) return name;
    std::string found = name;
    while (dirent* e = readdir(d)) {
        if (strcasecmp(e->d_name, name.c_str()) == 0) {
            found = e->d_name;
            break;
        }
    }
    closedir(d);
    return found;
}

} // namespace

std::string ResolveWindowsPath(const char* path) {
    if (!path) return {};
    std::vector<std::string> parts;
    std::string current;
    const bool absolute = path[0] == '/' || path[0] == '\\';
    for (const char* p = path;; ++p) {
        if (*p == '\\' || *p == '/' || *p == '\0') {
            if (!current.empty()) parts.push_back(current);
            current.clear();
            if (*p == '\0') break;
        } else {
            current += *p;
        }
    }
    std::string result = absolute ? "/" : "";
    bool matching = true; // once a directory is missing, nothing below it can match
    for (size_t i = 0; i < parts.size(); ++i) {
        std::string name = parts[i];
        if (matching && name != "." && name != "..") {
            std::string dir = result;
            if (dir.size() > 1 && dir.back() == '/') dir.pop_back();
            name = MatchComponent(dir, name);
            matching = Exists(result + name);
        }
        result += name;
        if (i + 1 < parts.size()) result += '/';
    }
    return result;
}

FILE* OpenWindowsFile(const char* path, const char* mode) {
    if (!path || !mode) return nullptr;
    return std::fopen(ResolveWindowsPath(path).c_str(), mode);
}
