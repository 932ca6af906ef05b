// How far a long conversion is, for a progress bar, and the way to stop it: a callback
// that gets the part done (0 to 1) and returns false to cancel. The callback runs on the
// thread that does the work.
#pragma once

#include <cstddef>
#include <functional>
#include <stdexcept>

namespace books {

// Thrown out of the work when the callback asked to stop.
class Cancelled : public std::runtime_error {
  public:
    Cancelled() : std::runtime_error("cancelled") {}
};

class Progress {
  public:
    using Callback = std::function<bool(double done)>;

    explicit Progress(Callback callback) : callback_(std::move(callback)) {}

    // The next steps fill the part of the bar from `from` to `to`.
    void Stage(double from, double to) {
        from_ = from;
        to_ = to;
        Report(from);
    }
    // `done` of `total` steps of the current stage; reports every 1/200 of the bar.
    void Step(std::size_t done, std::size_t total) {
        if (total == 0)
            return;
        const double at =
            from_ + (to_ - from_) * static_cast<double>(done) / static_cast<double>(total);
        if (at - last_ >= 0.005 || done == total)
            Report(at);
    }

    // The work is done: reports the full bar; too late to cancel.
    void Finish() {
        if (callback_)
            callback_(1.0);
    }

  private:
    void Report(double at) {
        last_ = at;
        if (callback_ && !callback_(at))
            throw Cancelled();
    }

    Callback callback_;
    double from_ = 0, to_ = 1, last_ = -1;
};

}  // namespace books
