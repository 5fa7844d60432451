#pragma once

namespace kelpo {

// The short notification sound (a wrong password, for example).
class Sound {
public:
    virtual ~Sound() = default;
    virtual void PlayAsterisk() = 0;
};

} // namespace kelpo
