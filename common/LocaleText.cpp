#include "common/LocaleText.h"

#include "common/SjisText.h"

#include <cerrno>
#include <iconv.h>
#include <langinfo.h>

namespace qz {

std::string LocaleCodeset()
{
    const char* codeset = nl_langinfo(CODESET);
    return codeset ? codeset : "";
}

bool IsUtf8Codeset(std::string_view codeset)
{
    const std::string name = UpperAscii(codeset);
    // The C and POSIX locales name plain ASCII, which would leave nothing of a Japanese text.
    return name.empty() || name == "UTF-8" || name == "UTF8" || name == "ANSI_X3.4-1968" || name == "ASCII" ||
           name == "US-ASCII";
}

std::string ToCodeset(std::string_view utf8, std::string_view codeset)
{
    if (IsUtf8Codeset(codeset))
        return std::string(utf8);
    iconv_t cd = iconv_open((std::string(codeset) + "//TRANSLIT").c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string(utf8);
    std::string out;
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char buffer[1024];
    while (inLeft > 0) {
        char* next = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t done = iconv(cd, &in, &inLeft, &next, &outLeft);
        out.append(buffer, static_cast<std::size_t>(next - buffer));
        if (done != static_cast<std::size_t>(-1) || errno == E2BIG)
            continue;
        // A byte sequence the set cannot take: one "?" for the whole UTF-8 character.
        out += '?';
        do {
            ++in;
            --inLeft;
        } while (inLeft > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80);
    }
    iconv_close(cd);
    return out;
}

}  // namespace qz
