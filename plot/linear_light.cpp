#include "plot/linear_light.h"

#include <cmath>

namespace {

double SrgbToLinear(double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double LinearToSrgb(double l) {
    return l <= 0.0031308 ? l * 12.92 : 1.055 * std::pow(l, 1 / 2.4) - 0.055;
}

} // namespace

LinearLight::LinearLight() {
    for (int v = 0; v < 256; ++v)
        decode[v] = static_cast<float>(SrgbToLinear(v / 255.0));
    for (int v = 0; v < 255; ++v)
        threshold[v] = static_cast<float>(SrgbToLinear((v + 0.5) / 255.0));
    for (int i = 0; i <= kSteps; ++i)
        encode[i] = static_cast<uint8_t>(std::lround(LinearToSrgb(double(i) / kSteps) * 255));
}

uint32_t LinearLight::Blend(uint32_t color, uint32_t over, float coverage) const {
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const float c = decode[(color >> shift) & 0xFF], o = decode[(over >> shift) & 0xFF];
        result |= static_cast<uint32_t>(Encode(o + (c - o) * coverage)) << shift;
    }
    return result;
}

const LinearLight& SharedLinearLight() {
    static const LinearLight tables;
    return tables;
}
