#include "state/EngineEventPump.h"

#include <QMetaObject>

EngineEventPump::EngineEventPump(std::shared_ptr<stowline::EventStream> stream, QObject* receiver,
                                 Deliver deliver) {
    // The shared delivery function and the weak guard are created here, on the receiver's
    // thread; the reading thread only copies them into posted calls.
    auto shared = std::make_shared<const Deliver>(std::move(deliver));
    QPointer<QObject> guard(receiver);
    thread_ = std::thread([stream = std::move(stream), receiver, guard, shared] {
        while (auto event = stream->next()) {
            // Queued calls to one receiver from one thread run in posting order; a call
            // still pending when the receiver dies is discarded by Qt with the receiver.
            QMetaObject::invokeMethod(
                receiver,
                [guard, shared, event = std::move(*event)] {
                    if (guard) {
                        (*shared)(event);
                    }
                },
                Qt::QueuedConnection);
        }
    });
}

EngineEventPump::~EngineEventPump() {
    if (thread_.joinable()) {
        thread_.join();
    }
}
