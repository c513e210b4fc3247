#pragma once

#include "sim_options.h"

#include <QString>
#include <vector>

namespace vorkelsim {

// A family of real adapters: how it behaves, and where that is known from.
struct Personality {
    const char* name;
    const char* summary; // one line for --help
    const char* source;  // the evidence: data sheet pages, published byte logs
    void (*apply)(SimOptions& options);
};

const std::vector<Personality>& Personalities();

// Puts the behaviour of the named family into options; false for an unknown name.
bool ApplyPersonality(const QString& name, SimOptions& options);

} // namespace vorkelsim
