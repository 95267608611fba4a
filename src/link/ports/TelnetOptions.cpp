#include "link/ports/TelnetOptions.h"
#include "link/ports/TelnetCodec.h"

CTelnetOptions::CTelnetOptions(std::initializer_list<std::uint8_t> local, std::initializer_list<std::uint8_t> remote)
{
    for (std::uint8_t option : local)
        m_localAllowed[option] = true;
    for (std::uint8_t option : remote)
        m_remoteAllowed[option] = true;
}

QByteArray CTelnetOptions::EnableLocal(std::uint8_t option)
{
    if (m_local[option] != State::No)
        return {};
    m_local[option] = State::WantYes;
    return Telnet::Negotiation(Telnet::kWill, option);
}

QByteArray CTelnetOptions::EnableRemote(std::uint8_t option)
{
    if (m_remote[option] != State::No)
        return {};
    m_remote[option] = State::WantYes;
    return Telnet::Negotiation(Telnet::kDo, option);
}

QByteArray CTelnetOptions::Receive(std::uint8_t verb, std::uint8_t option)
{
    switch (verb) {
    case Telnet::kWill:
        return Answer(m_remote[option], m_remoteAllowed[option], true, Telnet::kDo, Telnet::kDont, option);
    case Telnet::kWont:
        return Answer(m_remote[option], m_remoteAllowed[option], false, Telnet::kDo, Telnet::kDont, option);
    case Telnet::kDo:
        return Answer(m_local[option], m_localAllowed[option], true, Telnet::kWill, Telnet::kWont, option);
    case Telnet::kDont:
        return Answer(m_local[option], m_localAllowed[option], false, Telnet::kWill, Telnet::kWont, option);
    default:
        return {};
    }
}

QByteArray CTelnetOptions::Answer(
    State& state, bool allowed, bool on, std::uint8_t accept, std::uint8_t refuse, std::uint8_t option)
{
    if (on) {
        switch (state) {
        case State::No:
            // A request from the other end: agree or refuse, once.
            state = allowed ? State::Yes : State::No;
            return Telnet::Negotiation(allowed ? accept : refuse, option);
        case State::WantYes:
            state = State::Yes; // the answer to our own request
            return {};
        case State::WantNo:
            state = State::No; // an end that answers our refusal by insisting is not obeyed
            return {};
        case State::Yes:
            return {};
        }
    } else {
        switch (state) {
        case State::Yes:
            state = State::No;
            return Telnet::Negotiation(refuse, option);
        case State::WantYes:
        case State::WantNo:
            state = State::No;
            return {};
        case State::No:
            return {};
        }
    }
    return {};
}
