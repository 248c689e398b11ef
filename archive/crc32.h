// crc32.h - CRC-32 (IEEE 802.3, reflected polynomial 0xEDB88320) over entry data and
// headers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rar {

class Crc32 {
  public:
    void update(const void* data, size_t size);
    uint32_t value() const { return ~state_; }

  private:
    uint32_t state_ = 0xFFFFFFFFu;
};

uint32_t crc32Of(const void* data, size_t size);

}  // namespace rar
