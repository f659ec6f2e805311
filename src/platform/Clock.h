#pragma once

#include <QDateTime>

class Clock {
public:
    virtual ~Clock() = default;
    // The current local date and time.
    [[nodiscard]] virtual QDateTime now() const = 0;
};
