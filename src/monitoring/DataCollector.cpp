#include "monitoring/DataCollector.h"

#include <stdexcept>

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

void checkDataSource(const std::string& type, const std::string& name) {
    if (type != "wmi" && type != "win32")
        throw std::runtime_error("unknown data source type.");
    if (type == "wmi" && name.empty())
        throw std::runtime_error("invalid data source name.");
}

} // namespace util::system::monitoring
