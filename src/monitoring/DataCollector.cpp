#include "monitoring/DataCollector.h"

namespace util::system::monitoring {

DataCollector::DataCollector(Units units, std::string name)
    : units_(units), name_(std::move(name)) {}

std::shared_ptr<DataBuffer> DataCollector::createBuffer(std::uint32_t capacity) {
    auto buffer = std::make_shared<DataBuffer>(units_, capacity);
    buffers_.push_back(buffer);
    return buffer;
}

void DataCollector::publish(double value) {
    for (const auto& buffer : buffers_)
        buffer->push(value);
}

} // namespace util::system::monitoring
