#include "alloc.h"

#include <stdlib.h>

#include <atomic>

/* Each block carries its size in front, so that the total held can be capped. */
typedef union block_head {
    size_t size;
    max_align_t align;
} block_head;

/* Books opened side by side may be searched on several threads at once, so the counts
   they share are atomic; the test seams are set while nothing else runs. */
static std::atomic<size_t> g_live_bytes;
static std::atomic<long> g_live_blocks;
static std::atomic<size_t> g_last_size;
static std::atomic<unsigned long> g_attempts;
static unsigned long g_fail_nth;
static bool g_fail_onward;
static size_t g_total_cap = LEXQ_MAX_TOTAL;

/* Counts one attempt and says whether the test seam makes it fail. */
static bool seam_fails(void) {
    const unsigned long attempt = ++g_attempts;
    if (g_fail_nth == 0)
        return false;
    return g_fail_onward ? attempt >= g_fail_nth : attempt == g_fail_nth;
}

/* Takes the growth from old_size to new_size bytes out of the caps; false, with nothing
   taken, when it would go beyond either. Taking first and checking after keeps two
   threads from both passing the check with room for one. */
static bool take_from_caps(size_t new_size, size_t old_size) {
    if (new_size > LEXQ_MAX_BLOCK)
        return false;
    if (new_size <= old_size) {
        g_live_bytes -= old_size - new_size;
        return true;
    }
    const size_t growth = new_size - old_size;
    if (g_live_bytes.fetch_add(growth) + growth <= g_total_cap)
        return true;
    g_live_bytes -= growth;
    return false;
}

/* Gives back what take_from_caps took when the system refuses the block. */
static void give_back(size_t new_size, size_t old_size) {
    if (new_size > old_size)
        g_live_bytes -= new_size - old_size;
    else
        g_live_bytes += old_size - new_size;
}

/* calloc rather than malloc + memset: fresh pages from the system are zero already, so
   large tables that a lookup only partly uses are never touched in full. */
static void *allocate(size_t size, bool zero) {
    if (seam_fails() || !take_from_caps(size, 0))
        return NULL;
    block_head *head = (block_head *)(zero ? calloc(1, sizeof(block_head) + size)
                                           : malloc(sizeof(block_head) + size));
    if (head == NULL) {
        give_back(size, 0);
        return NULL;
    }
    head->size = size;
    g_live_blocks++;
    g_last_size = size;
    return head + 1;
}

void *lexq_alloc(size_t size) {
    return allocate(size, false);
}

void *lexq_alloc_zero(size_t count, size_t size) {
    size_t bytes;
    if (__builtin_mul_overflow(count, size, &bytes))
        return NULL;
    return allocate(bytes, true);
}

void *lexq_realloc(void *block, size_t size) {
    if (block == NULL)
        return lexq_alloc(size);
    block_head *head = (block_head *)block - 1;
    const size_t old_size = head->size;
    if (seam_fails() || !take_from_caps(size, old_size))
        return NULL;
    block_head *grown = (block_head *)realloc(head, sizeof(block_head) + size);
    if (grown == NULL) {
        give_back(size, old_size);
        return NULL;
    }
    grown->size = size;
    return grown + 1;
}

void lexq_free(void *block) {
    if (block == NULL)
        return;
    block_head *head = (block_head *)block - 1;
    g_live_bytes -= head->size;
    g_live_blocks--;
    free(head);
}

void lexq_seam_alloc_fail(unsigned long nth, bool onward) {
    g_attempts = 0;
    g_fail_nth = nth;
    g_fail_onward = onward;
}

void lexq_seam_alloc_total_cap(size_t cap) {
    g_total_cap = cap != 0 && cap < LEXQ_MAX_TOTAL ? cap : LEXQ_MAX_TOTAL;
}

unsigned long lexq_seam_alloc_count(void) {
    return g_attempts;
}
long lexq_seam_alloc_live_blocks(void) {
    return g_live_blocks;
}
size_t lexq_seam_alloc_live_bytes(void) {
    return g_live_bytes;
}
size_t lexq_seam_alloc_last_size(void) {
    return g_last_size;
}
