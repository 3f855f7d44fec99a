// Packages built in memory with the format's own writer, for the tests.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "trailer.h"

namespace testpkg {

using Files = std::vector<std::pair<std::string, std::string>>;  // name, body

inline std::string Pack(const std::string& stub, const Files& files) {
    std::vector<kv::MemorySource> bodies;
    bodies.reserve(files.size());
    std::vector<kv::PackageFile> entries;
    for (const auto& f : files) {
        bodies.emplace_back(f.second.data(), f.second.size());
        entries.push_back({f.first, &bodies.back()});
    }
    kv::MemorySource stub_source(stub.data(), stub.size());
    std::string package;
    kv::StringSink sink(package);
    EXPECT_TRUE(
        kv::WritePackage(stub_source, entries.data(), static_cast<int>(entries.size()), sink));
    return package;
}

}  // namespace testpkg
