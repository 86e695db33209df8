#pragma once

// One libFuzzer entry point per decoder, from one macro:
//   PICTURE_DECODER_FUZZER(decodeBitmap)
// for any decoder in namespace pictures that takes a byte span and returns an
// optional result. Besides the sanitizers' findings, an Image that breaks the
// decoders' promises (a size past the caps, a pixel count that does not match
// the size) stops the run; other results are only decoded.

#include "decoders.h"
#include "gif.h"
#include "size_caps.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace fuzzing {

inline void checkImage(const pictures::Image &image)
{
    if (!pictures::fitsSizeCaps(image.width, image.height)
        || image.pixels.size() != std::size_t(image.width) * std::size_t(image.height))
        std::abort();
}

template <typename Result>
void checkImage(const Result &)
{
}

} // namespace fuzzing

#define PICTURE_DECODER_FUZZER(decoder)                                                      \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)       \
    {                                                                                        \
        if (const auto image = pictures::decoder(pictures::Bytes(data, size)))                \
            fuzzing::checkImage(*image);                                                     \
        return 0;                                                                            \
    }
