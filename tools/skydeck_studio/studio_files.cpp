#include "studio_files.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

#include "tool_text.h"

namespace XPL::STUDIO {

namespace {

bool Write(const std::filesystem::path& file, std::string_view bytes) {
    // A link left in the name's place is removed, not written through.
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

bool Replace(const std::filesystem::path& from, const std::filesystem::path& to, std::string& why) {
    std::error_code error;
    std::filesystem::rename(from, to, error);
    if (error) {
        why = TOOLS::ShownPath(to.filename()) + " cannot be replaced: " + error.message();
        return false;
    }
    return true;
}

}  // namespace

bool LiesInside(const std::filesystem::path& folder, const std::filesystem::path& file) {
    std::error_code error;
    const std::filesystem::path root = std::filesystem::canonical(folder, error);
    if (error) {
        return false;
    }
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(file, error);
    if (error) {
        return false;
    }
    auto r = root.begin();
    auto f = resolved.begin();
    for (; r != root.end(); ++r, ++f) {
        // A trailing separator of the root shows as an empty last part.
        if (r->empty() && std::next(r) == root.end()) {
            break;
        }
        if (f == resolved.end() || *r != *f) {
            return false;
        }
    }
    return true;
}

std::optional<std::filesystem::path> InsideFolder(const std::filesystem::path& folder,
                                                  std::string_view name) {
    if (name.empty() || name.size() > 1024 || name.find('\0') != std::string_view::npos ||
        name.find(':') != std::string_view::npos || name[0] == '/' || name[0] == '\\') {
        return std::nullopt;
    }
    std::filesystem::path relative;
    size_t start = 0;
    while (start <= name.size()) {
        const size_t end = name.find_first_of("/\\", start);
        const std::string_view part = name.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (part == "..") {
            return std::nullopt;
        }
        if (!part.empty() && part != ".") {
            relative /= TOOLS::PathOfUtf8(part);
        }
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    if (relative.empty() || relative.is_absolute() || relative.has_root_name()) {
        return std::nullopt;
    }
    const std::filesystem::path file = folder / relative;
    if (!LiesInside(folder, file)) {
        return std::nullopt;
    }
    return file;
}

bool ReadFileBytes(const std::filesystem::path& file, std::string& bytes) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error) ||
        std::filesystem::file_size(file, error) > kMaxFileBytes || error) {
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return static_cast<bool>(in) || in.eof();
}

std::string VersionOf(const std::optional<std::string>& bytes) {
    if (!bytes) {
        return "";
    }
    // FNV-1a: a change of the file, not an attack on it, is what it must tell.
    uint64_t hash = 1469598103934665603ull;
    for (const char c : *bytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    char text[40];
    std::snprintf(text, sizeof text, "%zx-%016llx", bytes->size(),
                  static_cast<unsigned long long>(hash));
    return text;
}

CPendingFile::CPendingFile(std::filesystem::path target)
    : target_(std::move(target)), temporary_(target_) {
    temporary_ += ".studio-new";
}

CPendingFile::~CPendingFile() {
    if (!committed_) {
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
    }
}

bool CPendingFile::Write(std::string_view bytes, std::string& why) {
    if (!XPL::STUDIO::Write(temporary_, bytes)) {
        why = TOOLS::ShownPath(temporary_.filename()) + " cannot be written";
        return false;
    }
    return true;
}

bool CPendingFile::Commit(const std::optional<std::string>& previous, std::string& why) {
    if (previous) {
        std::filesystem::path backup = target_;
        backup += ".bak";
        std::filesystem::path backupNew = backup;
        backupNew += ".studio-new";
        if (!XPL::STUDIO::Write(backupNew, *previous)) {
            why = TOOLS::ShownPath(backup.filename()) + " cannot be written";
            std::error_code ignored;
            std::filesystem::remove(backupNew, ignored);
            return false;
        }
        if (!Replace(backupNew, backup, why)) {
            return false;
        }
    }
    if (!Replace(temporary_, target_, why)) {
        return false;
    }
    committed_ = true;
    return true;
}

}  // namespace XPL::STUDIO
