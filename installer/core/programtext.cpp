#include "installer/core/programtext.h"

#include "plib/perror.h"
#include "plib/pstringencoding.h"
#include "plib/putf8.h"

std::string Utf8ToProgramText(std::string_view utf8) {
    PString out;
    const char* cursor = utf8.data();
    const char* end = utf8.data() + utf8.size();
    while (cursor != end) {
        const std::int32_t c = PUtf8Decode(cursor, end);
        // A zero byte counts as malformed too: the program's strings cannot hold one.
        if (c <= 0) throw PI18NError("UTF-8 format error");
        PMixedEncoding().append(out, c);
    }
    return std::string(out.view());
}

std::string ProgramTextToUtf8(std::string_view text) {
    std::string out;
    const auto reader = PMixedEncoding().createReader(text.data(), text.size());
    for (std::int32_t c = reader->next(); c > 0; c = reader->next()) {
        char bytes[kUtf8MaxSequence];
        out.append(bytes, PUtf8Encode(c, bytes));
    }
    return out;
}
