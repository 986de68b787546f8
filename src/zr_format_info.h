// Format information that travels with an image or an image file: what a
// file format records about an image beyond its pixels.
#pragma once

#include <cstddef>
#include <memory>

class ZrImgFmtGlobalInfo {
public:
    ZrImgFmtGlobalInfo() = default;
    ZrImgFmtGlobalInfo(const ZrImgFmtGlobalInfo&) = default;
    ZrImgFmtGlobalInfo& operator=(const ZrImgFmtGlobalInfo&) = default;

    // Writes the format's name into `buffer`, NUL-terminated and cut to fit
    // its `size` bytes (nothing when size is 0).
    virtual void formatName(char* buffer, size_t size) const = 0;
    virtual ~ZrImgFmtGlobalInfo() = default;
    // A copy of the same kind that the caller owns; throws ZrErrorCode 2
    // when memory runs out.
    virtual std::unique_ptr<ZrImgFmtGlobalInfo> clone() const = 0;
};
