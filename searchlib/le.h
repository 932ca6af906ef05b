/* Little-endian field readers that look only at bytes in [p, end): each returns false,
   leaving *out untouched, when the field does not fit before end. */
#ifndef LEXQ_LE_H
#define LEXQ_LE_H

#include <stdint.h>

static inline bool lexq_le16(const uint8_t *p, const uint8_t *end, uint16_t *out) {
    if (p > end || end - p < 2)
        return false;
    *out = (uint16_t)(p[0] | (p[1] << 8));
    return true;
}

static inline bool lexq_le32(const uint8_t *p, const uint8_t *end, uint32_t *out) {
    if (p > end || end - p < 4)
        return false;
    *out = (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
    return true;
}

#endif
