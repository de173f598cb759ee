#pragma once
#include "stowline/EngineEvent.h"
#include "stowline/EventStream.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <thread>

/// Reads an engine's event stream on a thread of its own and hands each event, in order,
/// to `deliver` on the receiver's thread through a queued invocation. No event is dropped
/// or merged; nothing is delivered once the receiver is gone.
class EngineEventPump {
public:
    using Deliver = std::function<void(const stowline::EngineEvent&)>;

    /// Needs: `receiver` lives until this pump is destroyed (its pending deliveries are
    /// discarded with it). Starts reading at once.
    EngineEventPump(std::shared_ptr<stowline::EventStream> stream, QObject* receiver, Deliver deliver);
    /// Joins the reading thread; the stream must end (the engine finished or was destroyed).
    ~EngineEventPump();
    EngineEventPump(const EngineEventPump&) = delete;
    EngineEventPump& operator=(const EngineEventPump&) = delete;

private:
    std::thread thread_;
};
