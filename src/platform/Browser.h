#pragma once
// Starting the user's default web browser on an address.
#include <QString>

namespace kelpo {

class Browser {
public:
    virtual ~Browser() = default;

    // Starts the default browser on `address`, passed as one argument and never through
    // a shell. The lookup of the browser may finish after this returns, so true means the
    // start is under way; false means the address was refused or no way to start a
    // browser exists on this system (nothing is started either way).
    virtual bool Open(const QString& address) = 0;
};

} // namespace kelpo
