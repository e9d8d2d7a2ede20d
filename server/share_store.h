// The shared files: what an upload may contain, where it is kept under an unguessable name, and when it
// expires.
#pragma once

#include "common/result.h"
#include "server/root_files.h"

#include <array>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace aquine::server {

// The one file of a multipart/form-data upload: the first part that carries a file name.
struct UploadedFile {
    std::string name;
    std::string content;
};
// Empty reason when the body is not a form with a file in it.
Result<UploadedFile> parseMultipartUpload(std::string_view contentType, std::string_view body);

// Programs and scripts, recognised by their first bytes whatever the name says: ELF, PE ("MZ"), "#!"
// (also behind a UTF-8 byte-order mark).
bool looksExecutable(std::string_view content);

// The names Windows runs when they are opened, whatever their bytes: the extension is checked
// without regard to case.
inline constexpr std::array<std::string_view, 20> kProgramExtensions = {"exe", "com", "scr", "pif", "bat", "cmd", "ps1",
                                                                        "msi", "vbs", "vbe", "js",  "jse", "wsf", "wsh",
                                                                        "hta", "cpl", "msc", "jar", "lnk", "reg"};
// The program extension of a cleaned name (".exe"), if it has one.
std::optional<std::string> programExtension(std::string_view name);

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// Names are kept to this many bytes of UTF-8, their extension (of at most kMaxExtensionBytes) whole.
inline constexpr std::size_t kMaxNameBytes = 200;
inline constexpr std::size_t kMaxExtensionBytes = 16;

// A file name safe to repeat in a header and to save on any system, as UTF-8 (a GBK name is read as
// GBK): no control or direction characters, quotes, folders, or characters Windows refuses; cut on a
// character boundary, keeping its extension. The same name cleaned again stays as it is.
std::string cleanFileName(std::string_view name);

// The Content-Disposition value that makes browsers save the file under its name, never show it.
std::string attachmentDisposition(std::string_view name);

class ShareStore {
public:
    ShareStore(std::filesystem::path folder, std::chrono::seconds lifetime);

    // Keeps the bytes under a new random id and returns the id.
    Result<std::string> store(const UploadedFile& file);

    struct Shared {
        OpenFile file;
        std::string name;
    };
    // A file that exists and has not expired; an expired one is removed on the way.
    std::optional<Shared> find(std::string_view id);

    // Removes every expired file; returns how many went.
    int sweep();

    static bool isValidId(std::string_view id);

private:
    bool expired(const std::filesystem::path& path) const;

    std::filesystem::path m_folder;
    std::chrono::seconds m_lifetime;
};

} // namespace aquine::server
