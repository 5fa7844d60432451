#pragma once
// Starting the user's default web browser on an address.
#include <QString>

namespace kelpo {

class Browser {
public:
    virtual ~Browser() = default;

    // Starts the default browser on `address`, passed as one argument and never through
    // a shell. False (and nothing started) when no browser can be found.
    virtual bool Open(const QString& address) = 0;
};

} // namespace kelpo
