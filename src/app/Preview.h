#pragma once

#include "app/ConfigurationCheck.h"
#include "app/ConfigurationLoader.h"
#include "app/ProgramFiles.h"

#include <filesystem>
#include <iosfwd>

struct PreviewRequest {
    std::filesystem::path folder;
    int seconds = 5;        // of sampling the counters at each icon's interval
    bool synthetic = false; // made-up data instead, the whole history at once, the same every run
};

// Runs the configuration on a desktop of its own, with no display, and writes two PNG files per
// icon into the folder: "icon<N>-tray.png", its tray picture eight times enlarged without
// smoothing, and "icon<N>-detail.png", its detail window pinned with the inspector on the graph.
// Writes what the load logs to `out`, and ends as a check does; a folder that cannot be written
// is unreadable input too.
CheckResult renderPreview(const ProgramFiles& files, const PreviewRequest& request,
                          const ConfigurationLoader::CollectorFactory& counters, std::ostream& out);

// The collectors of a synthetic preview: ramp, sine and steps in turn, graph after graph.
ConfigurationLoader::CollectorFactory syntheticCollectors();
