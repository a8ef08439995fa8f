#include <layer/PathMapping.h>

#include "TextCodec.h"

#include <errhandlingapi.h>
#include <winerror.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace win32 {

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool IsDirectory(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string HomeFolder()
{
    return Environment("HOME");
}

std::string WithoutTrailingSlash(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

// The Wine prefix whose drive_c serves as C:, if any.
std::string WinePrefix()
{
    std::string prefix = Environment("WINEPREFIX");
    if (!prefix.empty() && IsDirectory(prefix + "/drive_c"))
        return WithoutTrailingSlash(prefix);
    std::string home = HomeFolder();
    if (!home.empty() && IsDirectory(home + "/.wine/drive_c"))
        return home + "/.wine";
    return {};
}

std::string FallbackDriveC()
{
    std::string data = Environment("XDG_DATA_HOME");
    if (data.empty()) {
        std::string home = HomeFolder();
        if (home.empty())
            return {};
        data = home + "/.local/share";
    }
    return WithoutTrailingSlash(data) + "/kestrova/drive_c";
}

// The folder of a drive; with create set, the fallback C: folder is made
// when it does not exist yet.
std::string DriveFolderOf(char letter, bool create)
{
    letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    if (letter < 'A' || letter > 'Z')
        return {};
    std::string override = Environment((std::string("KESTROVA_DRIVE_") + letter).c_str());
    if (!override.empty())
        return WithoutTrailingSlash(override);
    if (letter == 'C') {
        std::string prefix = WinePrefix();
        if (!prefix.empty())
            return prefix + "/drive_c";
        std::string fallback = FallbackDriveC();
        if (fallback.empty())
            return {};
        if (create && !IsDirectory(fallback)) {
            std::error_code ignored;
            std::filesystem::create_directories(fallback, ignored);
        }
        return fallback;
    }
    std::string prefix = WinePrefix();
    if (!prefix.empty()) {
        std::string link = prefix + "/dosdevices/" + static_cast<char>(std::tolower(letter)) + ":";
        if (IsDirectory(link)) {
            char target[4096];
            ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
            if (length > 0) {
                std::string resolved(target, static_cast<size_t>(length));
                if (resolved[0] != '/')
                    resolved = prefix + "/dosdevices/" + resolved;
                return WithoutTrailingSlash(std::filesystem::path(resolved).lexically_normal().string());
            }
        }
    }
    if (letter == 'Z')
        return "/";
    return {};
}

std::string CurrentDirectory()
{
    std::error_code error;
    auto path = std::filesystem::current_path(error);
    return error ? std::string("/") : path.string();
}

// Splits the part after the drive into components, dropping empty ones and
// "." and resolving ".." textually, as Windows does before it looks at the
// disk. Trailing dots and spaces of a name are ignored by Windows too.
std::vector<std::string> SplitComponents(const std::string& rest, bool absolute)
{
    std::vector<std::string> parts;
    size_t i = 0;
    while (i < rest.size()) {
        size_t end = i;
        while (end < rest.size() && !IsSeparator(rest[end]))
            ++end;
        std::string part = rest.substr(i, end - i);
        i = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..")
                parts.pop_back();
            else if (!absolute)
                parts.push_back(part);
            continue;
        }
        size_t keep = part.find_last_not_of(". ");
        if (keep != std::string::npos)
            part.resize(keep + 1);
        parts.push_back(part);
    }
    return parts;
}

// Looks a name up in a folder: the exact name when it exists, else the first
// entry that matches it ignoring case, else the name as written.
std::string ResolveComponent(const std::string& folder, const std::string& name)
{
    std::string exact = folder.empty() ? name : (folder == "/" ? "/" + name : folder + "/" + name);
    if (name == ".." || Exists(exact))
        return name;
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return name;
    std::string found = name;
    while (dirent* entry = readdir(dir)) {
        if (EqualIgnoringCase(entry->d_name, name)) {
            found = entry->d_name;
            break;
        }
    }
    closedir(dir);
    return found;
}

char CurrentDrive()
{
    std::string windows = UnmapLinuxPath(CurrentDirectory());
    return windows.size() >= 2 && windows[1] == ':' ? windows[0] : 'Z';
}

} // namespace

std::string DriveFolder(char letter)
{
    return DriveFolderOf(letter, true);
}

std::string MapWindowsPath(const char* windowsPath)
{
    if (!windowsPath || !*windowsPath) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return {};
    }
    std::string path = windowsPath;

    // Pass 1: strip the long-path prefix and reject what has no folder here.
    if (path.rfind("\\\\?\\", 0) == 0 || path.rfind("//?/", 0) == 0)
        path = path.substr(4);
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        SetLastError(ERROR_BAD_PATHNAME);
        return {};
    }

    // Pass 2: find the base folder: a drive's folder, or the current
    // directory for a relative path.
    std::string base;
    std::string rest;
    bool absolute = true;
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        base = DriveFolderOf(path[0], true);
        rest = path.substr(2);
    } else if (IsSeparator(path[0])) {
        base = DriveFolderOf(CurrentDrive(), true);
        rest = path;
    } else {
        absolute = false;
        rest = path;
    }
    if (absolute && base.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return {};
    }

    // Pass 3: walk the components, matching existing entries ignoring case.
    std::string result = absolute ? base : std::string();
    bool existing = true;
    for (const std::string& part : SplitComponents(rest, absolute)) {
        std::string name = existing ? ResolveComponent(result, part) : part;
        std::string next = result.empty() ? name : (result == "/" ? "/" + name : result + "/" + name);
        existing = existing && Exists(next);
        result = std::move(next);
    }
    if (result.empty())
        result = ".";
    return result;
}

std::string MapWindowsPath(const wchar_t* windowsPath)
{
    if (!windowsPath) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return {};
    }
    std::string narrow = WideToUtf8(windowsPath);
    return MapWindowsPath(narrow.c_str());
}

std::string UnmapLinuxPath(const std::string& linuxPath)
{
    std::string absolute = linuxPath;
    if (absolute.empty() || absolute[0] != '/')
        absolute = CurrentDirectory() + "/" + absolute;
    absolute = WithoutTrailingSlash(std::filesystem::path(absolute).lexically_normal().string());

    // The drive whose folder holds the path, the deepest one when folders
    // nest (a drive inside another drive's folder). Z: is the last resort.
    auto toBackslashes = [](std::string text) {
        for (char& c : text)
            if (c == '/')
                c = '\\';
        return text;
    };
    char bestLetter = 0;
    size_t bestLength = 0;
    std::string bestRest;
    for (char letter = 'A'; letter <= 'Y'; ++letter) {
        std::string folder = DriveFolderOf(letter, false);
        if (folder.empty() || folder == "/")
            continue;
        std::string candidates[2] = {WithoutTrailingSlash(std::filesystem::path(folder).lexically_normal().string()),
                                     {}};
        char real[PATH_MAX];
        if (realpath(folder.c_str(), real))
            candidates[1] = real;
        for (const std::string& candidate : candidates) {
            if (candidate.empty() || candidate.size() < bestLength)
                continue;
            if (absolute == candidate || absolute.rfind(candidate + "/", 0) == 0) {
                bestLetter = letter;
                bestLength = candidate.size();
                bestRest = absolute.substr(candidate.size());
            }
        }
    }
    if (bestLetter) {
        std::string rest = toBackslashes(bestRest);
        if (rest.empty())
            rest = "\\";
        return std::string(1, bestLetter) + ":" + rest;
    }
    return "Z:" + toBackslashes(absolute);
}

} // namespace win32
