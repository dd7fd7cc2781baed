// Fuzz target: commentary files of any bytes and any length. The loader must never read past
// what it was given, every text must fit its field, and what it reads must survive being
// written and read again unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "mainwnd/commentary_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CommentaryTexts texts = DecodeCommentary(data, size);
    for (int i = 0; i < kFieldCount; ++i) {
        if (texts[i].size() > kCommentaryFields[i].maxLength) std::abort();
        if (texts[i].find(u'\0') != std::u16string::npos) std::abort();
    }
    const std::vector<uint8_t> again = EncodeCommentary(texts);
    if (again.size() != kCommentaryFileSize) std::abort();
    if (DecodeCommentary(again.data(), again.size()) != texts) std::abort();
    return 0;
}
