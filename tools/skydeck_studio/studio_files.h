// The studio's access to the user's files: only files inside the data and profile folders are
// read or written (a name that is absolute, climbs out with "..", or leads out through a link is
// refused); a file read has a version, so a save can tell that it changed on disk since; a save
// goes through a temporary file beside the target that the caller checks before it replaces the
// target, and the previous version is kept as FILE.bak.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace XPL::STUDIO {

// Files larger than this are not read (the plug-in's gauge files are bounded far below it).
inline constexpr size_t kMaxFileBytes = 16 * 1024 * 1024;

// The file a relative name (slashes or backslashes) gives inside folder, or none when the name is
// empty, absolute, names a drive, holds "..", or the file (or a folder on its way) is a link
// that leads out of folder.
std::optional<std::filesystem::path> InsideFolder(const std::filesystem::path& folder,
                                                  std::string_view name);
// Whether file, with every link resolved, lies inside folder.
bool LiesInside(const std::filesystem::path& folder, const std::filesystem::path& file);

// Reads a whole file of at most kMaxFileBytes. False when it is missing or cannot be read.
bool ReadFileBytes(const std::filesystem::path& file, std::string& bytes);
// What a save compares: "" for a missing file, else a digest of the bytes.
std::string VersionOf(const std::optional<std::string>& bytes);

// A new version of one file, written beside it first.
class CPendingFile {
public:
    explicit CPendingFile(std::filesystem::path target);
    ~CPendingFile();  // removes the temporary file unless committed
    CPendingFile(const CPendingFile&) = delete;
    CPendingFile& operator=(const CPendingFile&) = delete;

    // Writes bytes to the temporary file. False, with why, when it cannot.
    bool Write(std::string_view bytes, std::string& why);
    const std::filesystem::path& Temporary() const { return temporary_; }
    // Keeps the target's present bytes (previous: none when it did not exist) as FILE.bak, then
    // puts the temporary file in the target's place in one step. False, with why, when either
    // step fails; the target then is as it was.
    bool Commit(const std::optional<std::string>& previous, std::string& why);

private:
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    bool committed_ = false;
};

}  // namespace XPL::STUDIO
