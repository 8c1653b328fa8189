#pragma once

#include "app/ProgramFiles.h"
#include "javascript/JsonReader.h"

#include <cstddef>
#include <functional>
#include <memory>

// Reading the configuration and going through its icons, the same way for the program, a
// reload and a check of the file, so that all of them log the same lines.

// Reads the configuration `files` found into `reader`, after a warning for each folder whose
// configuration was passed over. Throws with the text the log shows; when there is no file, the
// text says where it was looked for.
void readConfiguration(javascript::JsonReader& reader, const ProgramFiles& files);

struct IconCount {
    std::size_t loaded = 0;
    std::size_t failed = 0;
};

// What follows a load that leaves nothing to show, as its lines in the log say: the program
// ends, or, for a reload, the icons shown stay.
enum class WhenNothingLoads { Exit, KeepIcons };

// Calls `load` on every icon entry of the configuration. Logs the text of each one that throws,
// and a configuration without icons or without one that loaded.
IconCount
loadIconEntries(const javascript::JsonReader& reader,
                const std::function<void(const std::shared_ptr<javascript::Value>&)>& load,
                WhenNothingLoads ending = WhenNothingLoads::Exit);
