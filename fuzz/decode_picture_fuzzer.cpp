#include "decoder_fuzzer.h"
#include "picture.h"

#include <cstddef>
#include <cstdint>

// The whole set-picture path: recognition and every decoder.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (const auto picture = pictures::decodePicture({data, size}); picture && !picture->animation)
        fuzzing::checkImage(picture->image);
    return 0;
}
