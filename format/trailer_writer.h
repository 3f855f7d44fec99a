// The writer's side of the trailer, for the packaging tool and the tests:
// the installer never writes a package.
#pragma once

#include <cstdint>
#include <string>

#include "byte_source.h"
#include "trailer.h"

namespace kv {

// Field encoders, used by the writer.
void EncodeCountField(int count, char (&field)[kCountBytes]);
void EncodeNameField(const std::string& name, char (&field)[kNameBytes]);
void EncodeSizeField(int64_t size, char (&field)[kSizeBytes]);

// One packaged file for the writer: its name and where its body comes from.
struct PackageFile {
    std::string name;
    ByteSource* body;
};

// Writes stub + zero padding + entries + count + filler with the integrity
// record. `files[0]` becomes entry 1 (listed and extracted first, stored
// nearest the end). Bodies are copied in chunks. The padding makes the
// length a multiple of 8.
// The caller has checked names and sizes; this only fails on I/O.
bool WritePackage(ByteSource& stub, const PackageFile* files, int file_count, ByteSink& out);

}  // namespace kv
