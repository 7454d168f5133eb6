// Test support: the whole content of a registry tree as text, for before/after comparisons.
#pragma once
#include <string>

namespace zktest {

// One line per key (its path below `path`) and per value (key, name, type, data in hex), in
// sorted order; "" when the key does not exist. `path` is a RegistryPath.
std::string RegSnapshot(const std::string& path);

} // namespace zktest
