#include "decoder_fuzzer.h"

PICTURE_DECODER_FUZZER(decodeIcon)
