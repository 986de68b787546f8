// Parses arbitrary bytes as an update descriptor. Beyond crashes and
// sanitizer reports, it checks that a failed parse leaves the texts alone
// and that the comparison is a strict order on what it reads.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "descriptor/descriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kMaxDescriptorSize)
        return 0;
    // The download hands the parser a NUL-terminated buffer.
    const std::string text(reinterpret_cast<const char*>(data), size);
    UpdateDescriptor descriptor;
    descriptor.latestVersion = "unchanged";
    if (!ParseDescriptor(text.c_str(), text.size(), descriptor)) {
        if (descriptor.latestVersion != "unchanged")
            std::abort();
        return 0;
    }
    const std::string& v = descriptor.latestVersion;
    if (IsNewerVersion(v, v) || (IsNewerVersion(v, "1.1") && IsNewerVersion("1.1", v)))
        std::abort();
    return 0;
}
