#include "KvLocations.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

KvString WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return KvString(std::move(path));
}

KvResult ExecutableFolder(std::filesystem::path& folder) {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !exe.has_parent_path()) {
        return KvCode::NOT_FOUND;
    }
    folder = exe.parent_path();
    return KvCode::OK;
}

// An empty variable counts as unset: it names no folder.
bool FolderFromVariable(const char* variable, KvString& folder) {
    KvString value;
    if (KvGetenv(variable, value) != KvCode::OK || value.IsEmpty()) {
        return false;
    }
    folder = WithoutTrailingSlash(value.str());
    return true;
}

KvResult CopyOut(KvResult result, const KvString& folder, char* buffer, size_t length) {
    if (!buffer || length == 0) {
        return KvCode::INVALID_ARGUMENT;
    }
    buffer[0] = '\0';
    if (result != KvCode::OK) {
        return result;
    }
    if (folder.GetLength() >= length) {
        return KvCode::BUFFER_TOO_SMALL;
    }
    KvStrcpy(buffer, length, folder.view());
    return KvCode::OK;
}

}  // namespace

KvResult KvGetenv(const char* name, KvString& value) {
    const char* text = name ? std::getenv(name) : nullptr;
    if (!text) {
        return KvCode::NOT_FOUND;
    }
    value = text;
    return KvCode::OK;
}

KvResult TessaryBinariesLocation(KvString& folder) {
    if (FolderFromVariable(KV_BINARIES_VARIABLE, folder)) {
        return KvCode::OK;
    }
    std::filesystem::path exeFolder;
    if (const KvResult result = ExecutableFolder(exeFolder); result != KvCode::OK) {
        return result;
    }
    folder = WithoutTrailingSlash(exeFolder.string());
    return KvCode::OK;
}

KvResult TessarySoftwareLocation(KvString& folder) {
    if (FolderFromVariable(KV_SOFTWARE_VARIABLE, folder)) {
        return KvCode::OK;
    }
    std::filesystem::path exeFolder;
    if (const KvResult result = ExecutableFolder(exeFolder); result != KvCode::OK) {
        return result;
    }
    const std::filesystem::path root =
        exeFolder.has_parent_path() && exeFolder != "/" ? exeFolder.parent_path() : exeFolder;
    folder = WithoutTrailingSlash(root.string());
    return KvCode::OK;
}

KvResult TessaryBinariesLocation(char* buffer, size_t length) {
    KvString folder;
    const KvResult result = TessaryBinariesLocation(folder);
    return CopyOut(result, folder, buffer, length);
}

KvResult TessarySoftwareLocation(char* buffer, size_t length) {
    KvString folder;
    const KvResult result = TessarySoftwareLocation(folder);
    return CopyOut(result, folder, buffer, length);
}
