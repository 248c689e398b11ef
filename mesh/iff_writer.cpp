#include "mesh/iff_writer.h"

#include <cstring>

IffWriter& IffWriter::u1(uint8_t v) {
    bytes_.push_back(v);
    return *this;
}

IffWriter& IffWriter::u2(uint16_t v) {
    return u1(uint8_t(v >> 8)).u1(uint8_t(v));
}

IffWriter& IffWriter::u4(uint32_t v) {
    return u2(uint16_t(v >> 16)).u2(uint16_t(v));
}

IffWriter& IffWriter::f4(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return u4(bits);
}

IffWriter& IffWriter::vec(float x, float y, float z) {
    return f4(x).f4(y).f4(z);
}

IffWriter& IffWriter::id(const char* tag) {
    bytes_.insert(bytes_.end(), tag, tag + 4);
    return *this;
}

IffWriter& IffWriter::s0(const std::string& s) {
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    u1(0);
    if ((s.size() + 1) % 2) u1(0);
    return *this;
}

IffWriter& IffWriter::raw(const IffWriter& other) {
    bytes_.insert(bytes_.end(), other.bytes_.begin(), other.bytes_.end());
    return *this;
}

IffWriter& IffWriter::chunk(const char* tag, const IffWriter& body) {
    id(tag).u4(uint32_t(body.size())).raw(body);
    if (body.size() % 2) u1(0);
    return *this;
}

IffWriter& IffWriter::sub(const char* tag, const IffWriter& body) {
    return id(tag).u2(uint16_t(body.size())).raw(body);
}

void IffWriter::open(const char* tag, bool shortLength) {
    id(tag);
    open_.push_back({bytes_.size(), shortLength});
    if (shortLength) {
        u2(0);
    } else {
        u4(0);
    }
}

void IffWriter::close() {
    if (open_.empty()) return;
    const Open o = open_.back();
    open_.pop_back();
    const int lengthBytes = o.shortLength ? 2 : 4;
    const size_t length = bytes_.size() - (o.at + lengthBytes);
    if (length % 2) u1(0);
    for (int i = 0; i < lengthBytes; ++i)
        bytes_[o.at + i] = uint8_t(length >> (8 * (lengthBytes - 1 - i)));
}
