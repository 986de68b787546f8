// The update descriptor (a PAD file): the three texts the update check reads
// from it, and the comparison of version texts. Portable.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Bytes of a descriptor at the most; a longer response is not a descriptor.
inline constexpr size_t kMaxDescriptorSize = 1u << 20;

struct UpdateDescriptor {
    std::string latestVersion; // XML_DIZ_INFO/Program_Info/Program_Version
    std::string infoUrl;       // XML_DIZ_INFO/Web_Info/Application_URLs/Application_Info_URL
    std::string downloadUrl;   // XML_DIZ_INFO/Web_Info/Download_URLs/Primary_Download_URL
};

// Parses the `length` bytes at `data` as XML, with text trimmed and runs of
// white space condensed, and reads the three texts: the first element of
// each name at every step of the path, its text when its first child is
// text (CDATA included), else empty. False, and `out` untouched, when the
// document does not parse; missing elements only leave texts empty.
bool ParseDescriptor(const char* data, size_t length, UpdateDescriptor& out);

// Whether `latest` is greater than `installed` compared byte by byte as
// unsigned characters, a proper prefix being the smaller: "1.10" is newer
// than "1.1" but not than "1.9". No numeric reading of the parts.
bool IsNewerVersion(std::string_view latest, std::string_view installed);
