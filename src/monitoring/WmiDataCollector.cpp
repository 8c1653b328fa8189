#include "monitoring/WmiDataCollector.h"

#include "util/log/AppLog.h"

#include <stdexcept>

namespace util::system::monitoring {

WmiDataCollector::WmiDataCollector(const std::string& counterPath, Units units, std::string name)
    : WmiDataCollector(platform::openCounterQuery(), counterPath, units, std::move(name)) {}

// Takes a first sample at once, so that a rate has its starting point by the first pass.
WmiDataCollector::WmiDataCollector(std::unique_ptr<platform::CounterQuery> query,
                                   const std::string& counterPath, Units units, std::string name)
    : DataCollector(units, std::move(name)), query_(std::move(query)),
      counter_(query_->addCounter(counterPath)), counterPath_(counterPath) {
    query_->collect();
}

void WmiDataCollector::collect() {
    double value = 0.0;
    try {
        if (query_->collect()) {
            value = query_->read(counter_);
            reportRecovery();
        } else {
            reportFailure("the counter gives no data.");
        }
    } catch (const std::exception& e) {
        reportFailure(e.what());
    }
    publish(value);
}

// Once when the counter stops giving values, not at every pass while it keeps failing.
void WmiDataCollector::reportFailure(const char* reason) {
    if (failing_)
        return;
    failing_ = true;
    util::log::logMessage(util::log::LogLevel::Error, "data collection for wmi counter '" +
                                                          counterPath_ + "' failed: " + reason);
}

void WmiDataCollector::reportRecovery() {
    if (!failing_)
        return;
    failing_ = false;
    util::log::logMessage(util::log::LogLevel::Info,
                          "wmi counter '" + counterPath_ + "' gives data again.");
}

void MemoryDataCollector::collect() {
    publish(platform::memoryLoad());
}

std::shared_ptr<DataCollector> createDataCollector(Units units, const std::string& type,
                                                   const std::string& name,
                                                   const std::string& label) {
    checkDataSource(type, name);
    if (type == "wmi")
        return std::make_shared<WmiDataCollector>(name, units, label);
    return std::make_shared<MemoryDataCollector>(units, label);
}

} // namespace util::system::monitoring
