#include "tools/rarpack/file_collector.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "archive/archive_writer.h"
#include "archive/entry_name.h"

namespace rarpack {
namespace {

std::string baseName(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    const size_t slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

struct FileIdentity {
    bool known = false;
    dev_t device = 0;
    ino_t inode = 0;
};

void addFile(const std::string& path, const std::string& name, const struct stat& st,
             const FileIdentity& skip, CollectResult& out) {
    if (skip.known && st.st_dev == skip.device && st.st_ino == skip.inode) {
        out.warnings.push_back(path + ": the archive being written, skipped");
        return;
    }
    if (name.find('\\') != std::string::npos) {
        out.errors.push_back(path + ": names with '\\' cannot be stored (it is the separator)");
        return;
    }
    std::string stored = name;
    std::replace(stored.begin(), stored.end(), '/', '\\');
    if (!rar::acceptableEntryName(stored.c_str())) {
        out.errors.push_back(path + ": stored name longer than 255 bytes");
        return;
    }
    SourceFile f;
    f.path = path;
    f.name = stored;
    f.modified = st.st_mtime;
    f.readOnly = !(st.st_mode & S_IWUSR);
    out.files.push_back(f);
}

void walkDirectory(const std::string& dir, const std::string& prefix, const FileIdentity& skip,
                   CollectResult& out) {
    DIR* d = opendir(dir.c_str());
    if (!d) {
        out.errors.push_back(dir + ": " + std::strerror(errno));
        return;
    }
    std::vector<std::string> names;
    while (const dirent* e = readdir(d)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
            names.push_back(e->d_name);
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    for (const std::string& n : names) {
        const std::string path = dir + "/" + n;
        const std::string name = prefix.empty() ? n : prefix + "/" + n;
        struct stat st;
        if (lstat(path.c_str(), &st) != 0) {
            out.errors.push_back(path + ": " + std::strerror(errno));
            continue;
        }
        if (S_ISLNK(st.st_mode)) {
            // Links to files are stored as the file; links to directories are not followed,
            // which keeps loops out.
            if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
                out.warnings.push_back(path + ": link to a directory or nothing, skipped");
                continue;
            }
        }
        if (S_ISDIR(st.st_mode)) {
            walkDirectory(path, name, skip, out);
        } else if (S_ISREG(st.st_mode)) {
            addFile(path, name, st, skip, out);
        } else {
            out.warnings.push_back(path + ": not a regular file, skipped");
        }
    }
}

}  // namespace

CollectResult collectFiles(const std::vector<std::string>& paths, const std::string& skipPath) {
    CollectResult out;
    FileIdentity skip;
    struct stat skipStat;
    if (!skipPath.empty() && stat(skipPath.c_str(), &skipStat) == 0) {
        skip.known = true;
        skip.device = skipStat.st_dev;
        skip.inode = skipStat.st_ino;
    }
    for (const std::string& path : paths) {
        struct stat st;
        if (stat(path.c_str(), &st) != 0) {
            out.errors.push_back(path + ": " + std::strerror(errno));
        } else if (S_ISDIR(st.st_mode)) {
            walkDirectory(path, "", skip, out);
        } else if (S_ISREG(st.st_mode)) {
            addFile(path, baseName(path), st, skip, out);
        } else {
            out.errors.push_back(path + ": not a regular file or directory");
        }
    }
    // The reader finds the first of two names that match alike; the second would be lost.
    for (size_t i = 0; i < out.files.size(); ++i)
        for (size_t j = 0; j < i; ++j)
            if (rar::entryNamesMatch(out.files[i].name.c_str(), out.files[j].name.c_str())) {
                out.errors.push_back(out.files[i].path + ": stored name \"" + out.files[i].name +
                                     "\" is the same to the reader as that of " +
                                     out.files[j].path);
                break;
            }
    return out;
}

}  // namespace rarpack
