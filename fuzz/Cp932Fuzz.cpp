// The CP932 codec: decoding never fails and keeps every byte's width; what it decodes encodes again and
// decodes to the same text; encoding refuses rather than drops; texts compare as their CP932 bytes; the
// byte-counting cuts never split a character.

#include "common/Cp932.h"
#include "common/SjisText.h"
#include "fuzz/FuzzSupport.h"

#include <algorithm>

using namespace qz;
using qz::fuzz::Check;

namespace {

int ByteOrder(std::string_view a, std::string_view b)
{
    const auto less = [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), less))
        return -1;
    return std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), less) ? 1 : 0;
}

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

void CheckDecoded(std::string_view bytes)
{
    const std::string text = DecodeCp932(bytes);
    Check(fuzz::IsUtf8(text), "decoding gives UTF-8");
    // Every byte keeps its width: a character is as wide as its bytes, a broken pair is two blanks, a lone
    // lead byte or a byte that is no character one blank.
    Check(SjisLength(text) == bytes.size(), "decoding keeps the CP932 width of the bytes", text);
    std::string encoded;
    try {
        encoded = EncodeCp932(text);
    } catch (const TEncodingError& error) {
        Check(false, "what decoding gives encodes again", error.what());
    }
    Check(encoded.size() == bytes.size(), "encoding the decoded text gives as many bytes", text);
    Check(DecodeCp932(encoded) == text, "the decoded text survives encoding and decoding", text);
    Check(EncodeCp932Escaped(text) == encoded, "the escaping encoder agrees where nothing needs escaping", text);
}

void CheckEncoded(std::string_view utf8)
{
    // Any bytes taken as UTF-8: the escaping encoder never fails; the strict one fails or gives bytes that
    // stay the same through another decoding.
    const std::string escaped = EncodeCp932Escaped(utf8);
    std::string encoded;
    try {
        encoded = EncodeCp932(utf8);
    } catch (const TEncodingError&) {
        return;
    }
    Check(escaped == encoded, "the escaping encoder agrees with the strict one on an encodable text");
    Check(EncodeCp932(DecodeCp932(encoded)) == encoded, "encoded bytes survive decoding and encoding");
    Check(SjisLength(utf8) == encoded.size(), "the CP932 width is the encoded length");
}

void CheckOrder(std::string_view a, std::string_view b)
{
    const std::string ta = DecodeCp932(a), tb = DecodeCp932(b);
    const int order = Cp932Compare(ta, tb);
    Check(Sign(order) == ByteOrder(EncodeCp932(ta), EncodeCp932(tb)), "texts compare as their CP932 bytes", ta + "|" + tb);
    Check(Sign(Cp932Compare(tb, ta)) == -Sign(order), "the order is antisymmetric");
    Check(Cp932Less(ta, tb) == (order < 0), "Cp932Less agrees with Cp932Compare");
}

void CheckCuts(std::string_view bytes, int width)
{
    const std::string text = DecodeCp932(bytes);
    const std::string cut = CutSjis(text, width);
    Check(SjisLength(cut) <= static_cast<std::size_t>(std::max(width, 0)), "a cut is no wider than asked", cut);
    Check(fuzz::IsUtf8(cut), "a cut splits no character", cut);
    // The cut is the text's start, with at most its last character made a blank.
    const std::size_t kept = cut.size() > 0 && cut.back() == ' ' ? cut.size() - 1 : cut.size();
    Check(text.compare(0, kept, cut, 0, kept) == 0, "a cut is the start of the text", cut);
    // A middle part is exactly as wide as the bytes it covers.
    const int start = width / 3;
    const std::string mid = MidSjis(text, start, width);
    Check(fuzz::IsUtf8(mid), "a middle part splits no character", mid);
    const auto covered = std::clamp<std::int64_t>(static_cast<std::int64_t>(SjisLength(text)) - std::max(start, 0), 0, std::max(width, 0));
    Check(SjisLength(mid) == static_cast<std::size_t>(covered), "a middle part is as wide as the bytes it covers", mid);
    if (width >= 0 && width <= 510) {
        Check(SjisLength(FixLeft(text, width)) == static_cast<std::size_t>(width), "FixLeft gives the width asked");
        Check(SjisLength(FixRight(text, width)) == static_cast<std::size_t>(width), "FixRight gives the width asked");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::TInput input(data, size);
    const int width = static_cast<int>(input.Byte()) - 16;
    const std::string_view bytes = input.Rest();
    CheckDecoded(bytes);
    CheckEncoded(bytes);
    CheckCuts(bytes, width);
    const std::size_t half = bytes.size() / 2;
    CheckOrder(bytes.substr(0, half), bytes.substr(half));
    return 0;
}
