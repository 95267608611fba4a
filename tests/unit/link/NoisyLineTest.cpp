// The EEPROM block states on a noisy line, in virtual time: damaged answers sent again at
// their ";", silence sent again after the line's own pace, late answers told from the next
// block's, and every block read until two readings agree.
#include "EngineFixture.h"
#include "RowName.h"
#include "link/states/ReadSerialPromState.h"
#include "sim/CancellingPair.h"
#include <random>

using Machine = CProbeMachine;

namespace {
using ::operator<<;
using Tamper = std::function<QByteArray(QByteArray)>;

class NoisyRead : public EngineTest {
protected:
    // Reads `blocks` blocks of 64 from 0x1000; `answer(n, answer)` gives what the amplifier
    // sends for the n-th command (0-based): the answer, a damaged one, or nothing.
    DWORD Read(DWORD blocks, std::function<QByteArray(int, QByteArray)> answer)
    {
        port->script = EepromAnswers(&memory, [this, answer](QByteArray a) { return answer(m_commands++, a); });
        destination = QByteArray(static_cast<qsizetype>(blocks) * 64, '\0');
        read = std::make_unique<CReadSerialPromState<Machine>>(machine.get(), "ReadState", &machine->m_finalState, 4000,
            Result::NoReadBlockResponse, 0x1000, blocks * 64, reinterpret_cast<BYTE*>(destination.data()));
        machine->Start(read.get());
        RunUntilIdle();
        return machine->ResultCode();
    }
    std::uint64_t SendTime(size_t n) const { return port->writes.at(n).time; }
    bool ReadRight() const { return destination == memory.mid(0x1000, destination.size()); }

    const QByteArray memory = RandomMemory();
    QByteArray destination;
    std::unique_ptr<CReadSerialPromState<Machine>> read;

private:
    int m_commands = 0;
};

QByteArray WithPair(QByteArray answer, std::uint32_t seed)
{
    std::mt19937 random(seed);
    SimDamage::CancellingPair(answer, random);
    return answer;
}

struct DamageCase {
    const char* name;
    Tamper damage;
};

class DamagedAnswer : public NoisyRead, public ::testing::WithParamInterface<DamageCase> { };
} // namespace

TEST_P(DamagedAnswer, IsSentAgainAtItsSemicolon)
{
    model->m_verboseLogging.m_value = 1;
    const Tamper damage = GetParam().damage;
    const auto answer = [damage](int n, QByteArray a) { return n == 0 ? damage(a) : a; };
    ASSERT_EQ(Read(1, answer), 0u);
    EXPECT_TRUE(ReadRight());
    EXPECT_EQ(SendTime(1), SendTime(0) + port->answerDelayMs);
    EXPECT_EQ(machine->Link().m_damaged, 1u);
    EXPECT_EQ(machine->Link().m_lost, 0u);
    EXPECT_TRUE(sink.verbose.contains("Block at 0x01000: damaged answer, asking again at once (try 2 of 10)"));
}

INSTANTIATE_TEST_SUITE_P(Kinds, DamagedAnswer,
    ::testing::Values(DamageCase {"CheckByteOffByOne",
                          [](QByteArray a) {
                              a[a.size() - 2] = a[a.size() - 2] == '0' ? '1' : '0';
                              return a;
                          }},
        DamageCase {"TwoDigitsMissing", [](QByteArray a) { return a.remove(20, 2); }},
        DamageCase {"NotAHexDigit", [](QByteArray a) { return a.replace(30, 1, "G"); }},
        DamageCase {"EchoedAddressDamaged", [](QByteArray a) { return a.replace(9, 1, a[9] == '1' ? "3" : "1"); }}),
    [](const auto& info) { return std::string(info.param.name); });

namespace {
struct SilenceCase {
    const char* name;
    DWORD answerMs; // how long every answer takes
    std::vector<int> lost; // commands whose answer never comes
    std::vector<std::uint64_t> waits; // from each lost command to the next send
};

class Silence : public NoisyRead, public ::testing::WithParamInterface<SilenceCase> { };
} // namespace

TEST_P(Silence, IsSentAgainAfterTheLinesPaceNeverLaterThanTheTimeout)
{
    const SilenceCase& c = GetParam();
    port->answerDelayMs = c.answerMs;
    const auto answer = [&c](int n, QByteArray a) {
        return std::find(c.lost.begin(), c.lost.end(), n) == c.lost.end() ? a : QByteArray();
    };
    ASSERT_EQ(Read(6, answer), 0u);
    EXPECT_TRUE(ReadRight());
    for (size_t i = 0; i < c.lost.size(); ++i)
        EXPECT_EQ(SendTime(c.lost[i] + 1) - SendTime(c.lost[i]), c.waits[i]) << "loss " << i;
    EXPECT_EQ(machine->Link().m_lost, c.lost.size());
}

INSTANTIATE_TEST_SUITE_P(Lines, Silence,
    ::testing::Values(SilenceCase {"FirstExchangeWaitsTheWholeTimeout", 2, {0}, {4000}},
        SilenceCase {"FastLineWaitsTheFloor", 2, {4}, {100}},
        SilenceCase {"SlowerLineWaitsThreeTimesItsSlowestAnswer", 60, {4}, {180}},
        SilenceCase {"SlowLineKeepsTheTimeout", 1500, {4}, {4000}},
        SilenceCase {"SilenceInARowDoublesTheWait", 2, {4, 5, 6}, {100, 200, 400}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(NoisyRead, LateAnswerToAnEarlierTryIsNotTakenForTheNextBlock)
{
    // The third block's first answer comes 150 ms late, after the block was asked again (at
    // 100 ms) and read twice: it reaches the fourth block's wait, which takes only its own.
    const auto answer = [this](int n, QByteArray a) {
        if (n != 4 && n != 7)
            return a;
        host.StartTimer(n == 4 ? 150 : 80, [this, a]() { port->Inject(a); });
        return QByteArray();
    };
    ASSERT_EQ(Read(6, answer), 0u);
    EXPECT_TRUE(ReadRight());
    const QByteArrayList commands = port->Commands();
    ASSERT_EQ(commands.size(), 13);
    EXPECT_EQ(commands.count(commands[4]), 3);
    EXPECT_EQ(commands[7], Eeprom::BuildReadCommand(0x1000 + 3 * 64, 64));
    // It was neither damaged nor, as it turned out, lost.
    EXPECT_EQ(machine->Link().m_damaged, 0u);
    EXPECT_EQ(machine->Link().m_lost, 0u);
}

namespace {
struct LimitCase {
    const char* name;
    std::function<QByteArray(int, QByteArray)> answer;
};

class TryLimit : public NoisyRead, public ::testing::WithParamInterface<LimitCase> { };
} // namespace

TEST_P(TryLimit, TenSendsThenTheStatesErrorCode)
{
    EXPECT_EQ(Read(1, GetParam().answer), Result::NoReadBlockResponse);
    EXPECT_EQ(port->writes.size(), 10u);
}

INSTANTIATE_TEST_SUITE_P(Lines, TryLimit,
    ::testing::Values(LimitCase {"EveryAnswerLost", [](int, QByteArray) { return QByteArray(); }},
        LimitCase {"EveryAnswerDamaged", [](int, QByteArray a) { return a.replace(20, 1, "G"); }},
        LimitCase {
            "LostAndDamagedInTurn", [](int n, QByteArray a) { return n % 2 ? QByteArray() : a.replace(20, 1, "G"); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(NoisyRead, EveryBlockIsReadUntilTwoReadingsAgree)
{
    // On an otherwise clean line, command 3 (the second block's second reading) carries a pair
    // of damaged digits that cancel out in the check byte.
    const auto answer = [](int n, QByteArray a) { return n == 3 ? WithPair(a, 3) : a; };
    ASSERT_EQ(Read(4, answer), 0u);
    EXPECT_TRUE(ReadRight());
    const QByteArrayList commands = port->Commands();
    ASSERT_EQ(commands.size(), 2 + 3 + 2 + 2);
    EXPECT_EQ(commands.count(Eeprom::BuildReadCommand(0x1040, 64)), 3);
    EXPECT_EQ(machine->Link().m_differingBlocks, 1u);
    EXPECT_EQ(machine->Link().m_retries, 1u);
}

TEST_F(NoisyRead, ReadingsThatNeverAgreeFailWithTheirOwnCode)
{
    // The damaged answer and nine readings that differ spend the ten tries; the planned second
    // reading takes none.
    const auto answer = [](int n, QByteArray a) { return n == 0 ? a.replace(20, 1, "G") : WithPair(a, n); };
    EXPECT_EQ(Read(1, answer), Result::ReadingsDisagree);
    EXPECT_EQ(port->writes.size(), 11u);
}
