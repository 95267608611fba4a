// Feeds arbitrary lines, as a network client would send them, to the Hamlib endpoint's command
// parser and formats an answer for each: never a crash, an answer always ends with its newline,
// an extended answer ends with its RPRT record, and nothing echoes more than the line held.
#include "station/hamlib/HamlibProtocol.h"
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QByteArrayView line : QByteArray(input.toByteArray()).split('\n')) {
        const Hamlib::Request request = Hamlib::Parse(line);
        const QList<Hamlib::Item> items {{"Value", "1"}};
        for (const Hamlib::Code code : {Hamlib::Ok, Hamlib::NotAvailable}) {
            const QByteArray answer = Hamlib::Format(request, items, code);
            if (request.command == Hamlib::Command::Empty) {
                if (!answer.isEmpty())
                    std::abort();
                continue;
            }
            if (!answer.endsWith('\n') || answer.size() > line.size() + 64)
                std::abort();
            if ((request.extended || code != Hamlib::Ok) && !answer.contains("RPRT "))
                std::abort();
            if (request.command == Hamlib::Command::Unknown && answer != "RPRT -1\n")
                std::abort();
        }
    }
    return 0;
}
