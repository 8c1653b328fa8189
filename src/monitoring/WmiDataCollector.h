#pragma once

#include "monitoring/DataCollector.h"
#include "platform/Counters.h"

#include <memory>
#include <string>

namespace util::system::monitoring {

// Samples one performance counter, named by its counter path.
class WmiDataCollector final : public DataCollector {
public:
    // Throws std::invalid_argument("PdhAddCounter failed") for a path the system does not serve,
    // and ("remote counter paths are not supported.") for a path that names a computer.
    WmiDataCollector(const std::string& counterPath, Units units, std::string name);
    // The same on a query of the caller's.
    WmiDataCollector(std::unique_ptr<platform::CounterQuery> query, const std::string& counterPath,
                     Units units, std::string name);

    // Publishes the counter's value, or 0 when it gives none. One Error line says that it gives
    // none, and one Info line that it gives values again.
    void collect() override;

private:
    void reportFailure(const char* reason);
    void reportRecovery();

    std::unique_ptr<platform::CounterQuery> query_;
    std::size_t counter_;
    std::string counterPath_;
    bool failing_ = false; // an Error line has said so since the last value
};

// Samples the physical memory load in percent.
class MemoryDataCollector final : public DataCollector {
public:
    using DataCollector::DataCollector;
    void collect() override;
};

// The collector of one graph: "wmi" (a counter path in `name`) or "win32" (the memory load).
// Throws std::runtime_error("unknown data source type.") or ("invalid data source name.").
std::shared_ptr<DataCollector> createDataCollector(Units units, const std::string& type,
                                                   const std::string& name,
                                                   const std::string& label);

} // namespace util::system::monitoring
