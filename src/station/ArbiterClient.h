#pragma once
#include <QByteArray>

// Why the line is not free for everyone: another program has it to itself.
enum class LineLease {
    None,
    BootLoader, // a firmware load: raw bytes between the boot loader and that program
    PowerCycle, // a restore or reset switching the amplifier off and on again
};

// One user of the shared line, as the arbiter sees it (a sharing endpoint's connection, or
// the server's own poll cycle through a port-like adapter).
class IArbiterClient {
public:
    virtual ~IArbiterClient() = default;
    // Bytes from the amplifier for this client: the answer to its command, or, while it has
    // the line to itself, everything the line carries.
    virtual void OnLineData(const QByteArray& bytes) = 0;
    // Another client's exclusive use began (its kind) or ended (None).
    virtual void OnLineBusy(LineLease lease) = 0;
};
