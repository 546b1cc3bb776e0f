// Splitting Windows paths.
#include "common/Paths.h"

std::string FolderPart(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(0, slash);
}

std::string NamePart(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string NameWithoutExtension(const std::string& path) {
    std::string name = NamePart(path);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool IsBareName(const std::string& path) {
    return path.find_first_of("\\/:") == std::string::npos;
}

std::string WithLastThree(const std::string& path, const char* three) {
    if (path.size() < 3)
        return path + three;
    return path.substr(0, path.size() - 3) + three;
}

std::string WithExtension(const std::string& path, const char* extension) {
    size_t dot = path.find_last_of('.');
    size_t slash = path.find_last_of("\\/");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + "." + extension;
    return path.substr(0, dot + 1) + extension;
}
