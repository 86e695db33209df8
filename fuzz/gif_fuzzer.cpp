#include "gif.h"
#include "gif_player.h"

#include <cstddef>
#include <cstdint>

// The GIF decoder, then one pass of playing over every frame and on into the
// next loop, so the compositor's clipping and restores meet the same input.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto gif = pictures::decodeGif({data, size});
    if (!gif || !gif->animation)
        return 0;
    auto player = pictures::GifPlayer::create(gif->animation, 0xfff0f0f0u);
    if (!player)
        return 0;
    for (std::size_t i = 0; i <= gif->animation->frames.size(); ++i)
        (void)player->advance();
    return 0;
}
