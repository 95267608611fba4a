#include "sim/CancellingPair.h"
#include "model/HexDigits.h"
#include <vector>

namespace SimDamage {
bool CancellingPair(QByteArray& answer, std::mt19937& random)
{
    if (answer.size() < 20 || answer.left(3).toUpper() != "^ER")
        return false;
    const qsizetype bytes = (answer.size() - 16) / 2;
    std::vector<qsizetype> up, down; // positions of low digits that can go up or down by one
    for (qsizetype i = 0; i < bytes; ++i) {
        const qsizetype at = 13 + 2 * i + 1;
        const int digit = Hex::DigitValue(answer[at]);
        if (digit < 0)
            return false;
        if (digit < 15)
            up.push_back(at);
        if (digit > 0)
            down.push_back(at);
    }
    if (up.empty() || down.empty() || (up.size() == 1 && down.size() == 1 && up[0] == down[0]))
        return false;
    qsizetype raise = 0, lower = 0;
    do {
        raise = up[std::uniform_int_distribution<size_t>(0, up.size() - 1)(random)];
        lower = down[std::uniform_int_distribution<size_t>(0, down.size() - 1)(random)];
    } while (raise == lower);
    answer[raise] = Hex::kUpperDigits[Hex::DigitValue(answer[raise]) + 1];
    answer[lower] = Hex::kUpperDigits[Hex::DigitValue(answer[lower]) - 1];
    return true;
}
} // namespace SimDamage
