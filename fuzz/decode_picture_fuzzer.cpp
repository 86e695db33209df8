#include "picture.h"

#include <cstddef>
#include <cstdint>

// The whole set-picture path: recognition and every decoder.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    (void)pictures::decodePicture({data, size});
    return 0;
}
