#include "testsupport.h"

namespace testsupport {

std::vector<std::string> filesIn(const std::string &folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

void removeTree(const std::string &folder) {
    // A test's scratch folder lies in the temporary folder; refuse anything else.
    char temp[MAX_PATH + 1];
    DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp || folder.size() <= length ||
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, folder.c_str(), static_cast<int>(length), temp,
                       static_cast<int>(length)) != CSTR_EQUAL) {
        return;
    }
    for (const std::string &name : filesIn(folder)) {
        std::string path = folder + "\\" + name;
        DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            removeTree(path);
        } else {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
    }
    RemoveDirectoryA(folder.c_str());
}

std::string freshTempFolder(const std::string &name) {
    char temp[MAX_PATH + 1];
    DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp) return "";
    std::string folder = std::string(temp, length) + name;
    removeTree(folder);
    return CreateDirectoryA(folder.c_str(), nullptr) ? folder : "";
}

}  // namespace testsupport
