#pragma once
#include <QByteArray>
#include <array>
#include <cstdint>
#include <initializer_list>

// Which Telnet options are on at each end of the connection, negotiated the way RFC 1143
// describes, so that a request is answered exactly once, an acknowledgement is never answered,
// and two ends that ask for the same thing at the same moment cannot loop. "Local" options are
// those this end performs (WILL/WONT from here, DO/DONT from the server), "remote" those the
// server performs.
class CTelnetOptions {
public:
    // The options this end agrees to perform and to let the server perform; every other
    // request is refused.
    CTelnetOptions(std::initializer_list<std::uint8_t> local, std::initializer_list<std::uint8_t> remote);

    // Our request to turn an option on: IAC WILL (local) or IAC DO (remote), or nothing when
    // it is on already or asked for.
    QByteArray EnableLocal(std::uint8_t option);
    QByteArray EnableRemote(std::uint8_t option);

    // The answer to a received WILL, WONT, DO or DONT; empty when none is due.
    QByteArray Receive(std::uint8_t verb, std::uint8_t option);

    bool IsLocalEnabled(std::uint8_t option) const { return m_local[option] == State::Yes; }
    bool IsRemoteEnabled(std::uint8_t option) const { return m_remote[option] == State::Yes; }
    // Whether the server has answered our request for a local option, either way.
    bool IsLocalSettled(std::uint8_t option) const { return m_local[option] != State::WantYes; }

private:
    enum class State : std::uint8_t { No, Yes, WantNo, WantYes };
    static QByteArray Answer(
        State& state, bool allowed, bool on, std::uint8_t accept, std::uint8_t refuse, std::uint8_t option);

    std::array<State, 256> m_local {};
    std::array<State, 256> m_remote {};
    std::array<bool, 256> m_localAllowed {};
    std::array<bool, 256> m_remoteAllowed {};
};
