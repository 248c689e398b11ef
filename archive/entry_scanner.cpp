#include "archive/entry_scanner.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "archive/crc32.h"

namespace rar {
namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
using MallocBlock = std::unique_ptr<uint8_t, FreeDeleter>;

}  // namespace

bool EntryScanner::decodable() const {
    // No cipher is carried: an enciphered entry can only fail, so it fails at once.
    return header_.unpackVersion >= kMinVersion && header_.unpackVersion <= kMaxVersion &&
           !header_.enciphered() && header_.dataInside(source_.size());
}

bool EntryScanner::decode(uint8_t* output) {
    if (static_cast<uint64_t>(header_.unpackedSize) >
        static_cast<uint64_t>(header_.packedSize) * kMaxExpansion)
        return false;
    if (!decoder_) {
        decoder_.reset(new (std::nothrow) Decompressor());
        if (!decoder_) return false;
    }
    MallocBlock packed(
        static_cast<uint8_t*>(std::malloc(size_t{header_.packedSize} + BitInput::kPadding)));
    if (!packed) return false;
    std::memset(packed.get() + header_.packedSize, 0, BitInput::kPadding);
    if (!source_.readAt(header_.dataStart, packed.get(), header_.packedSize)) return false;
    return decoder_->decodeEntry(packed.get(), header_.packedSize, header_.unpackedSize,
                                 header_.solid(), output);
}

bool EntryScanner::extract(unsigned char** buffer) {
    *buffer = nullptr;
    if (!decodable()) return false;
    const uint32_t size = header_.unpackedSize;
    if (header_.stored() && size > header_.packedSize) return false;
    if (!header_.stored() &&
        static_cast<uint64_t>(size) > static_cast<uint64_t>(header_.packedSize) * kMaxExpansion)
        return false;

    MallocBlock out(static_cast<uint8_t*>(std::malloc(size ? size : 1)));
    if (!out) return false;
    if (header_.stored()) {
        if (!source_.readAt(header_.dataStart, out.get(), size)) return false;
    } else if (!decode(out.get()) && size != 0) {
        // An empty entry needs no bytes from its stream; only a solid successor would.
        return false;
    }
    if (crc32Of(out.get(), size) != header_.fileCrc) return false;
    *buffer = out.release();
    return true;
}

bool EntryScanner::pass() {
    if (!walker_.solidArchive() || header_.stored()) return true;
    return decodable() && decode(nullptr);
}

}  // namespace rar
