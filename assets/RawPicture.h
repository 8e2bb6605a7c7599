// The layout of a picture drawn at build time for 100 % scaling: a 16-byte
// header (magic, width, height, QImage format, each a native 32-bit word)
// and then the pixels as QImage keeps them, rows packed.  Bundled without
// compression, so the program shows the pixels where they lie in its binary.
#pragma once

#include <QtGlobal>

namespace RawPicture {

inline constexpr quint32 Magic = 0x5456524bu; // "KRVT" in memory
inline constexpr int HeaderBytes = 16;

struct Header {
    quint32 magic, width, height, format;
};
static_assert(sizeof(Header) == HeaderBytes);

} // namespace RawPicture
