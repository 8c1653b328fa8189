#pragma once

#include "monitoring/DataBuffer.h"
#include "util/SharedPtrProvider.h"
#include "values/ConfigurationValues.h"

#include <memory>
#include <string>
#include <vector>

namespace util::system::monitoring {

// One source of samples. The owner decides when to sample by calling collect(); each sample goes
// to every buffer the collector feeds.
class DataCollector : public SharedPtrProvider<DataCollector> {
public:
    DataCollector(Units units, std::string name);
    virtual ~DataCollector() = default;

    DataCollector(const DataCollector&) = delete;
    DataCollector& operator=(const DataCollector&) = delete;

    // Reads the source once and publishes the value. Never throws: a failed read publishes 0.0.
    virtual void collect() = 0;

    // A new buffer of zeros in the collector's units, fed from the next sample on.
    std::shared_ptr<DataBuffer> createBuffer(std::uint32_t capacity);
    // The graph's label, shown as the name of its legend row.
    std::string getName() const { return name_; }

protected:
    void publish(double value);

private:
    Units units_;
    std::string name_;
    std::vector<std::shared_ptr<DataBuffer>> buffers_;
};

// Throws the loader's text for a data source no collector serves: a type other than "wmi" (a
// counter path) or "win32" (the memory load), or "wmi" without a path.
void checkDataSource(const std::string& type, const std::string& name);

} // namespace util::system::monitoring
