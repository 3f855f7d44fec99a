// Packages built in memory with the format's own writer: the one builder of
// the unit tests, the tool's tests, the benchmarks and the Wine harness. No
// test framework here, so the harness can use it too.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "byte_source.h"
#include "trailer_writer.h"

namespace testpkg {

using Files = std::vector<std::pair<std::string, std::string>>;  // name, body

// Stub + padding + entries + count + filler; files[0] becomes entry 1
// (listed first). Empty when the writer fails.
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
    package.reserve(stub.size() + 1024);
    kv::StringSink sink(package);
    if (!kv::WritePackage(stub_source, entries.data(), static_cast<int>(entries.size()), sink))
        package.clear();
    return package;
}

}  // namespace testpkg
