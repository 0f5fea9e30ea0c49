#include "config/DebugOutput.h"

#include <mutex>
#include <utility>

namespace vx::config {

namespace {

std::mutex SinkLock;
TDebugOutputSink Sink;

} // namespace

TDebugOutputSink SetDebugOutputSink(TDebugOutputSink sink) {
    std::lock_guard lock(SinkLock);
    std::swap(Sink, sink);
    return sink;
}

void OutputDebugString(std::string_view text) {
    std::lock_guard lock(SinkLock);
    if (Sink) {
        Sink(text);
    }
}

} // namespace vx::config
