// The operate answers' parsers on arbitrary text after a prefix. What one accepts lies in its
// range, and the value written back as the amplifier writes it reads as the same value.
#include "operate/OperateAnswers.h"
#include <cstdint>
#include <cstdlib>

namespace {
template <class T>
void Check(const std::optional<T>& got, const std::optional<T>& again)
{
    if (got && got != again)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace OperateAnswers;
    const QByteArray rest(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)HasPrefix(rest, "^pwf");
    if (const auto w = Word(rest))
        Check(w, Word(QByteArray::number(*w) + ';'));
    if (const auto mv = Millivolts(rest))
        Check(mv, Millivolts(QByteArray::number(*mv) + ';'));
    if (const auto a = Antenna(rest); a && *a != 1 && *a != 2)
        std::abort();
    if (const auto b = Band(rest); b && (*b < 0 || *b > 10))
        std::abort();
    if (const auto f = Flag(rest); f && *f != 0 && *f != 1)
        std::abort();
    (void)Letter(rest);
    if (const auto h = HexByte(rest))
        Check(h, HexByte(QByteArray::number(*h, 16).rightJustified(2, '0') + ';'));
    if (const auto r = RelayByte(rest))
        Check(r, RelayByte(QByteArray::number(*r, 16).rightJustified(2, '0') + ';'));
    if (const auto text = DisplayText(rest); text && text->size() > rest.size())
        std::abort();
    return 0;
}
