#pragma once
#include <cstdint>

// An observer of model values. Values call OnEvent synchronously when they are set; the
// observer then reads the value (or element `index`) from the model.
class IEventSink {
public:
    virtual void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra) = 0;

protected:
    ~IEventSink() = default;
};
