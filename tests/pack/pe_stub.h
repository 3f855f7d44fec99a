// Small PE images for the packaging tool's tests, laid out by hand from the
// PE/COFF format: a DOS header pointing at "PE\0\0", the COFF header, and an
// optional header with 16 data directories. Signing appends a certificate
// table as a signing tool does.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace testpe {

struct Shape {
    uint16_t machine = 0x14C;           // i386
    uint16_t magic = 0x10B;             // PE32
    uint16_t subsystem = 2;             // Windows GUI
    uint16_t characteristics = 0x0102;  // executable image, 32-bit machine
};

constexpr size_t kPeAt = 0x40;
constexpr size_t kOptionalAt = kPeAt + 4 + 20;

inline void Put(std::string& s, size_t at, uint64_t value, int width) {
    for (int i = 0; i < width; ++i) s[at + i] = static_cast<char>(value >> (8 * i));
}

// Where the security directory entry (data directory 4) lies.
inline size_t SecurityEntry(const Shape& shape = Shape()) {
    return kOptionalAt + (shape.magic == 0x20B ? 112 : 96) + 4 * 8;
}

// A stub of `size` bytes: the headers, then a recognisable body, which is
// the image's one section.
inline std::string Stub(const Shape& shape = Shape(), size_t size = 1536) {
    std::string s(size, '\0');
    for (size_t i = 0x200; i < size; ++i) s[i] = static_cast<char>(0x90 + i % 7);
    s[0] = 'M';
    s[1] = 'Z';
    Put(s, 0x3C, kPeAt, 4);
    std::memcpy(&s[kPeAt], "PE\0\0", 4);
    const bool plus = shape.magic == 0x20B;
    Put(s, kPeAt + 4, shape.machine, 2);
    Put(s, kPeAt + 4 + 16, plus ? 240 : 224, 2);  // SizeOfOptionalHeader
    Put(s, kPeAt + 4 + 18, shape.characteristics, 2);
    Put(s, kOptionalAt, shape.magic, 2);
    Put(s, kOptionalAt + 68, shape.subsystem, 2);
    Put(s, kOptionalAt + (plus ? 108 : 92), 16, 4);  // NumberOfRvaAndSizes
    Put(s, kPeAt + 4 + 2, 1, 2);                     // NumberOfSections
    const size_t section = kOptionalAt + (plus ? 240 : 224);
    std::memcpy(&s[section], ".text", 5);
    Put(s, section + 16, size - 0x200, 4);  // SizeOfRawData
    Put(s, section + 20, 0x200, 4);         // PointerToRawData
    return s;
}

// Pads to 8 bytes, appends one WIN_CERTIFICATE of `certificate` bytes of
// content and points the security directory entry at the table.
inline std::string Sign(std::string file, size_t certificate = 40, const Shape& shape = Shape()) {
    while (file.size() % 8) file += '\0';
    std::string table(8 + certificate, 'C');
    Put(table, 0, table.size(), 4);
    Put(table, 4, 0x0200, 2);  // revision 2
    Put(table, 6, 0x0002, 2);  // PKCS#7 signed data
    while (table.size() % 8) table += '\0';
    Put(file, SecurityEntry(shape), file.size(), 4);
    Put(file, SecurityEntry(shape) + 4, table.size(), 4);
    return file + table;
}

}  // namespace testpe
