// The section streams on a POSIX system: file descriptors that are not the stream's stay open.
#include <fcntl.h>
#include <unistd.h>

#include "fixture.h"

namespace tk::test {
namespace {

class StreamDescriptors : public LexqTest {};

TEST_F(StreamDescriptors, ClosingAStreamThatNeverOpenedLeavesDescriptorsAlone) {
    // A zeroed stream holds descriptor 0 by value; it must not be closed for it.
    const std::string path = dir_.Write("stream.bin", "content");
    const int spare = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(spare, 0);
    const int saved = ::dup(0);
    ASSERT_GE(saved, 0);
    ASSERT_EQ(::dup2(spare, 0), 0);
    lexq_stream never{};
    lexq_stream_close(&never);
    lexq_stream failed{};
    lexq_seam_stream_fail(LEXQ_OP_OPEN, 1, false);
    EXPECT_EQ(lexq_stream_open(&failed, path.c_str()), LEXQ_S_OPEN);
    lexq_stream_close(&failed);
    EXPECT_NE(::fcntl(0, F_GETFD), -1) << "descriptor 0 was closed";
    ::dup2(saved, 0);
    ::close(saved);
    ::close(spare);
}

}  // namespace
}  // namespace tk::test
